// Fixed sets of random programs for the benchmarks: each node set of the
// example runs, grown from a fixed seed, so every benchmark run measures the
// same programs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "programs/GPSymbolRegister.h"
#include "programs/LispCode.h"
#include "programs/OperatorRegister.h"

struct NodeSet {
  const char* name;
  const char* table;
  const char* problem;  // the problem file's text
};

// The node sets and problems of the example runs.
const NodeSet& Parity5Set();
const NodeSet& Mux6Set();
const NodeSet& Mux11Set();
const NodeSet& RegressionSet();
const NodeSet& SantaFeSet();
const NodeSet& BoxMovingSet();

class ProgramSet {
 public:
  // count programs grown from set's table with depth limits from minDepth to
  // maxDepth, none smaller than minSize nodes.
  ProgramSet(const NodeSet& set, int count, int minDepth, int maxDepth, int minSize, std::uint32_t seed);
  ~ProgramSet();
  ProgramSet(const ProgramSet&) = delete;
  ProgramSet& operator=(const ProgramSet&) = delete;

  const std::vector<LispCode*>& Programs() const { return programs; }
  long long TotalSize() const;
  GPSymbolRegister* Symbols() { return symbols.get(); }

 private:
  std::unique_ptr<OperatorRegister> operators;
  std::unique_ptr<GPSymbolRegister> symbols;
  std::vector<LispCode*> programs;
};

// The root of a program made by ProgramSet.
class Head;
Head* RootOf(LispCode* code);
