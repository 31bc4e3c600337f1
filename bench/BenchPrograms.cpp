#include "BenchPrograms.h"

#include <sstream>

#include "foundation/Utility.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "variation/GPGenerator.h"

const NodeSet& Parity5Set() {
  static const NodeSet set{"parity5", "1\tb0 b1 b2 b3 b4\n1\tand2 or2 nand2 nor2\n", "Parity bool 5"};
  return set;
}

const NodeSet& Mux6Set() {
  static const NodeSet set{"mux6", "1\tb0 b1 b2 b3 b4 b5\n1\tand2 or2 not if\n", "Multiplexer bool 2"};
  return set;
}

const NodeSet& Mux11Set() {
  static const NodeSet set{"mux11", "1\tb0 b1 b2 b3 b4 b5 b6 b7 b8 b9 b10\n1\tand2 or2 not if\n",
                           "Multiplexer bool 3"};
  return set;
}

const NodeSet& RegressionSet() {
  static const NodeSet set{"regression", "1\tx0 1.0 2.0 0.5\n2\tPlus2 Subtract Times2 divide Sin Cos\n",
                           "Regression (2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.0 10.0 101"};
  return set;
}

const NodeSet& SantaFeSet() {
  static const NodeSet set{
      "santafe", "1\tmoveForward0 turnLeft0 turnRight0\n1\tifFoodAhead Prog2\n",
      "Ant 32 32 1 1 0 400 "
      "2 1 3 1 4 1 4 2 4 3 26 3 27 3 28 3 4 4 25 4 30 4 4 5 25 5 30 5 4 6 5 6 6 6 7 6 9 6 10 6 11 6 12 6 13 6 "
      "22 6 23 6 13 7 30 7 13 8 21 8 13 9 21 9 13 10 21 10 30 10 21 11 13 12 13 13 30 13 13 14 21 14 13 15 21 15 "
      "27 15 28 15 29 15 18 16 24 16 13 18 13 19 17 19 25 19 13 20 17 20 28 20 13 21 17 21 13 22 17 22 13 23 27 23 "
      "13 24 24 24 4 25 5 25 8 25 9 25 10 25 11 25 12 25 17 25 2 26"};
  return set;
}

const NodeSet& BoxMovingSet() {
  static const NodeSet set{"boxmoving",
                           "2\t1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0\n6\tProg2 iflte Plus2 Times2\n"
                           "2\tsensor moveForward0 moveBackward0 moveLeft1 moveRight1\n",
                           "BoxMoving 100 100 10 1 -30 -30 1.57 400 0 0 2 8 3 8 4 8 9 3 9 4"};
  return set;
}

ProgramSet::ProgramSet(const NodeSet& set, int count, int minDepth, int maxDepth, int minSize, std::uint32_t seed)
    : operators(std::make_unique<OperatorRegister>(100)) {
  std::istringstream table(set.table);
  symbols = std::make_unique<GPSymbolRegister>(operators.get(), table);
  GPDepthLimitGenerator generator(symbols.get(), maxDepth);
  GetUtility()->Seed(seed);
  while (static_cast<int>(programs.size()) < count) {
    generator.SetDepthLimit(minDepth + GetUtility()->RandomInt(maxDepth - minDepth + 1));
    LispCode* code = generator.Generate();
    if (RootOf(code)->GetSize() < minSize) {
      code->DeleteTree();
      delete code;
      continue;
    }
    programs.push_back(code);
  }
}

ProgramSet::~ProgramSet() {
  for (LispCode* code : programs) {
    code->DeleteTree();
    delete code;
  }
}

long long ProgramSet::TotalSize() const {
  long long total = 0;
  for (LispCode* code : programs) total += RootOf(code)->GetSize();
  return total;
}

Head* RootOf(LispCode* code) { return static_cast<HeadLispCode*>(code)->GetRoot(); }
