// Builds the problem of a run from its problem file: the first word names the
// problem class, whose constructor reads the rest. Keeps every problem it made.
#pragma once

#include <istream>
#include <string>

#include "config/Register.h"
#include "engine/Problem.h"

class ProblemRegister : public Register<std::string, Problem> {
 public:
  explicit ProblemRegister(int capacity);

  using Register<std::string, Problem>::Create;
  // Reads the name, builds that problem from the rest of the stream, keeps
  // it under the name and returns it. A name no problem class has ends the
  // process: "Problem can not be created : " + name.
  Problem* Create(std::istream& in);

  // The names tried, in order, compared whole and case-sensitively.
  static int KindCount();
  static std::string KindName(int kind);
  // Position of name among the kinds, or -1.
  static int FindKind(const std::string& name);
  // Whether the class of that kind is part of the build yet.
  static bool IsAvailable(int kind);

 protected:
  // The problem of that name read from in, or null when no class answers to
  // the name.
  virtual Problem* Build(const std::string& name, std::istream& in);
};
