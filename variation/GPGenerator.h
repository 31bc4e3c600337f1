// Random program generation: a depth-limited grow, drawing operators from the
// node set in prefix order (a node before its children, children left to
// right), so the same seed gives the same trees.
#pragma once

class GPSymbolRegister;
class LispCode;
class LispCodePointer;
class Operator;

class GPGenerator {
 public:
  virtual ~GPGenerator() = default;
  // A new random program, owned by the caller.
  virtual LispCode* Generate() = 0;
  // The same program held flat where it can be (see MakeFlat): the same
  // draws and reports as MakeFlat(Generate()).
  virtual LispCode* GenerateFlat();
  // Grows the subtree under the pointer; depth is the level of the node made.
  virtual void GenerateHelper(LispCodePointer* pointer, int depth) = 0;
};

// Grows trees of depth at most the limit (a lone root has depth 1): below the
// limit any symbol may be drawn, at the limit only terminals.
class GPDepthLimitGenerator : public GPGenerator {
 public:
  // The most nodes one generated program may have. With a node set whose
  // functions outnumber its terminals, programs grow exponentially with the
  // depth limit; past this size a run could not hold its population.
  static constexpr int kMaxNodes = 100000;

  GPDepthLimitGenerator(GPSymbolRegister* symbols, int depthLimit);
  // A program that would pass kMaxNodes ends the process with a report naming
  // the depth limit.
  LispCode* Generate() override;
  // Grows the program straight into flat form, without a tree of nodes
  // first (a tree only when an operator drawn has no flat form).
  LispCode* GenerateFlat() override;
  void GenerateHelper(LispCodePointer* pointer, int depth) override;
  void SetDepthLimit(int limit) { depthLimit = limit; }
  int GetDepthLimit() const { return depthLimit; }

 private:
  // The operator of the count-th node of a program, at level depth (the
  // limit's: a terminal), after the checks both forms of growth make.
  Operator* DrawNode(int count, int depth);

  int depthLimit;
  GPSymbolRegister* symbols;
  int made = 0;     // nodes of the program being generated
  int nesting = 0;  // GenerateHelper calls under way
};
