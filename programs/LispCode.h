// An evolved program, seen abstractly: it evaluates itself on an interpreter,
// prints itself in two text forms, copies itself deeply and hands out a
// composer (to splice subtrees) and an iterator (to walk it).
#pragma once

#include <string>

class LispCodeComposer;
class LispCodeIterator;
class LispInterpreter;

class LispCode {
 public:
  virtual ~LispCode() = default;
  virtual LispCodeComposer* CreateComposer() = 0;
  virtual void Evaluate(LispInterpreter* interpreter) = 0;
  // First text form, the bracket form: Plus[x0,Times[x1,1.0]].
  virtual std::string ToString() = 0;
  // Second text form, the listing form: one "name\tarity\n" line per node in preorder.
  virtual std::string ToSaveString() = 0;
  // Destroys every node of the tree; the code object itself stays.
  virtual void DeleteTree() = 0;
  virtual LispCode* Clone() = 0;
  virtual LispCodeIterator* CreateIterator() = 0;
  // Computes what the program computes lazily (a tree's size and depth
  // caches), so that several threads may read it at once afterwards.
  virtual void PrepareForSharing() {}
};
