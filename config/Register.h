// A fixed-capacity table from a key to a value it owns. Lookups scan in
// insertion order, so the first entry of a key wins. A miss calls Create:
// plain registers report the missing key there, factory registers build the
// value instead.
#pragma once

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/Exception.h"

template <class Key, class Value>
class Register {
 public:
  explicit Register(int capacity) : capacity(capacity > 0 ? capacity : 0) {
    keys.reserve(static_cast<std::size_t>(this->capacity));
    values.reserve(static_cast<std::size_t>(this->capacity));
  }
  Register(const Register&) = delete;
  Register& operator=(const Register&) = delete;

  virtual void Push(const Key& key, Value* value) {
    if (count >= capacity) {
      delete value;
      GetException()->CapacityError(capacity, ClassNameOf(*this), "Push");
    }
    keys.push_back(key);
    values.emplace_back(value);
    ++count;
  }

  virtual Value* Get(const Key& key) {
    for (int i = 0; i < count; ++i) {
      if (keys[static_cast<std::size_t>(i)] == key) return values[static_cast<std::size_t>(i)].get();
    }
    return Create(key);
  }

  virtual int Exists(const Key& key) {
    for (int i = 0; i < count; ++i) {
      if (keys[static_cast<std::size_t>(i)] == key) return 1;
    }
    return 0;
  }

  virtual ~Register() = default;

  virtual Value* Create(const Key& key) {
    std::ostringstream line;
    line << key << '\n';
    GetException()->Diagnostic(line.str());
    GetException()->FatalError("Can not find ", ClassNameOf(*this), "Create");
  }

  int Count() const { return count; }
  int Capacity() const { return capacity; }
  const Key& KeyAt(int i) const { return keys[static_cast<std::size_t>(i)]; }
  Value* ValueAt(int i) const { return values[static_cast<std::size_t>(i)].get(); }

 private:
  // Storage is reserved once for the capacity and never grows beyond it.
  std::vector<Key> keys;
  std::vector<std::unique_ptr<Value>> values;
  int count = 0;
  int capacity;
};

// The plain registers of parameters and file names. Add keeps the first
// value of a key and returns the value passed in.
template <class Value>
class PlainRegister : public Register<std::string, Value> {
 public:
  explicit PlainRegister(int capacity) : Register<std::string, Value>(capacity) {}
  Value Add(const std::string& key, const Value& value) {
    if (this->Exists(key) == 0) this->Push(key, new Value(value));
    return value;
  }
};

class IntRegister : public PlainRegister<int> {
 public:
  explicit IntRegister(int capacity) : PlainRegister<int>(capacity) {}
};

class DoubleRegister : public PlainRegister<double> {
 public:
  explicit DoubleRegister(int capacity) : PlainRegister<double>(capacity) {}
};

class StringRegister : public PlainRegister<std::string> {
 public:
  explicit StringRegister(int capacity) : PlainRegister<std::string>(capacity) {}
};
