// A program held flat (FlatProgram): the form the members of a population
// are bred in and scored from. It is edited by making a new one (a recipe
// copies and splices ranges of its parents); the tree walk and the
// composers work on a tree of Head nodes made from it.
#pragma once

#include <cstddef>
#include <utility>

#include "programs/FlatProgram.h"
#include "programs/LispCode.h"

class FlatLispCode final : public LispCode {
 public:
  explicit FlatLispCode(FlatProgram program);
  // With the depth of its root known (program's root is a copy of a node
  // just measured): read back from the copy, it would wait for the copy's
  // stores, and on several threads for the cache line they go to.
  FlatLispCode(FlatProgram program, int depth) : program(std::move(program)), depth(depth) {}
  FlatLispCode(const FlatLispCode&) = delete;
  FlatLispCode& operator=(const FlatLispCode&) = delete;

  // One is made and destroyed for every member, often on another thread than
  // the heap's arena for it: from a pool of blocks instead.
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size);

  // Composers and iterators work on a tree (HeadLispCode made from
  // ToTree): refused here.
  LispCodeComposer* CreateComposer() override;
  LispCodeIterator* CreateIterator() override;
  // Walks a tree made from the program for the purpose.
  void Evaluate(LispInterpreter* interpreter) override;
  std::string ToString() override { return program.ToString(); }
  std::string ToSaveString() override { return program.ToSaveString(); }
  void DeleteTree() override;
  LispCode* Clone() override;

  const FlatProgram& GetProgram() const { return program; }
  // Gives up the program, leaving this code empty.
  FlatProgram TakeProgram() {
    depth = 0;
    return std::move(program);
  }
  // The root, null when the program is empty.
  const FlatNode* GetRoot() const { return program.IsEmpty() ? nullptr : program.Root(); }
  int GetSize() const { return program.Size(); }
  // The program's depth, a lone node having depth 1 (0 when empty).
  int GetDepth() const { return depth; }

 private:
  FlatProgram program;
  int depth;
};

// code in flat form: a tree whose every node holds all its children becomes
// a FlatLispCode, and code itself is destroyed; anything else (a flat
// program already, an empty or unfinished tree) is returned as it is.
LispCode* MakeFlat(LispCode* code);
// code as a tree: a FlatLispCode becomes a HeadLispCode, and code itself is
// destroyed; anything else is returned as it is.
LispCode* MakeTree(LispCode* code);
