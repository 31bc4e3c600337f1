// Builds program trees for tests from a compact text of register names:
// "or2(and2(b0,b1),nor2(b0,b1))" — a name, then its children in brackets.
#pragma once

#include <string>

#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "programs/OperatorRegister.h"

inline Head* ParseTree(OperatorRegister& operators, const std::string& text, std::size_t& at) {
  std::size_t end = text.find_first_of("(),", at);
  if (end == std::string::npos) end = text.size();
  auto* node = new Head(operators.Get(text.substr(at, end - at)));
  at = end;
  if (at < text.size() && text[at] == '(') {
    do {
      ++at;  // past "(" or ","
      node->AddChild(ParseTree(operators, text, at));
    } while (text[at] == ',');
    ++at;  // past ")"
  }
  return node;
}

inline HeadLispCode* ParseProgram(OperatorRegister& operators, const std::string& text) {
  std::size_t at = 0;
  return new HeadLispCode(ParseTree(operators, text, at));
}
