// A dynamic_cast for paths taken once per member or more: an object of
// exactly the class asked for (the usual case) is told apart by comparing
// classes, which costs far less than the cast; anything else, a subclass
// included, goes through dynamic_cast.
#pragma once

#include <typeinfo>

template <class To, class From>
To* CastFast(From* object) {
  if (object == nullptr) return nullptr;
  if (typeid(*object) == typeid(To)) return static_cast<To*>(object);
  return dynamic_cast<To*>(object);
}
