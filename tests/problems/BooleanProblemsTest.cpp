#include <gtest/gtest.h>

#include <sstream>

#include "ProgramText.h"
#include "TestSupport.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/NumericArrays.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"

namespace {
using ::testing::ExitedWithCode;

struct BooleanProblemsTest : ::testing::Test {
  OperatorRegister operators{100};

  // The fitness the problem gives the program, and whether it is solved then.
  double Score(Problem& problem, const std::string& program) {
    DoubleTypeFitnessIndividual individual(new GPChromosome(ParseProgram(operators, program)));
    problem.FitnessFunction(&individual);
    return individual.GetFitness();
  }
};

// A case's input bits (an array cannot be copied, so each call fills a fresh one).
struct Bits {
  IntArray array;
  Bits(std::initializer_list<int> values) : array(static_cast<int>(values.size())) {
    for (int v : values) array.Add(v);
  }
  operator const IntArray&() const { return array; }
};

TEST_F(BooleanProblemsTest, EvenThreeParity) {
  std::istringstream file("bool 3");
  Parity parity(file);
  EXPECT_EQ(parity.GetCases(), 8);
  EXPECT_EQ(Parity::ParityOf(Bits({0, 0, 0})), 1);
  EXPECT_EQ(Parity::ParityOf(Bits({1, 0, 0})), 0);
  EXPECT_EQ(Parity::ParityOf(Bits({1, 1, 0})), 1);
  EXPECT_EQ(Score(parity, "or2(b0,not(b0))"), 4.0);  // always 1
  EXPECT_EQ(parity.IsSolved(), 0);
}

TEST_F(BooleanProblemsTest, APerfectProgramSolvesTheProblem) {
  std::istringstream file("bool 2");
  Parity parity(file);
  EXPECT_EQ(Score(parity, "or2(and2(b0,b1),nor2(b0,b1))"), 0.0);
  EXPECT_EQ(parity.IsSolved(), 1);
  EXPECT_EQ(Score(parity, "b0"), 2.0);
  EXPECT_EQ(parity.IsSolved(), 1);  // stays solved until reset
  parity.ResetSolved();
  EXPECT_EQ(parity.IsSolved(), 0);
}

TEST_F(BooleanProblemsTest, DoubleModeCountsZeroAsOne) {
  std::istringstream none("double 0");
  Parity empty(none);
  EXPECT_EQ(empty.GetCases(), 1);
  EXPECT_EQ(Score(empty, "0.0"), 0.0);   // the one case's target is 1
  EXPECT_EQ(Score(empty, "-0.5"), 1.0);
  std::istringstream two("double 2");
  Parity parity(two);
  // x0 - x1 >= 0 except for case (0,1): answers 1,1,0,1 against targets 1,0,0,1.
  EXPECT_EQ(Score(parity, "Subtract(x0,x1)"), 1.0);
  EXPECT_EQ(Score(parity, "Plus2(1,-2)"), 2.0);  // an int result counts as a real
}

TEST_F(BooleanProblemsTest, MultiplexerTargets) {
  std::istringstream six("bool 2");
  Multiplexer mux6(six);
  EXPECT_EQ(mux6.GetInputs(), 6);
  EXPECT_EQ(mux6.GetCases(), 64);
  EXPECT_EQ(mux6.MultiplexerOf(Bits({1, 0, 0, 1, 0, 0})), 1);  // address 1: case[3]
  EXPECT_EQ(mux6.MultiplexerOf(Bits({1, 0, 1, 0, 1, 1})), 0);
  EXPECT_EQ(mux6.MultiplexerOf(Bits({0, 1, 0, 0, 1, 0})), 1);  // address 2: case[4]
  EXPECT_EQ(Score(mux6, "if(b1,if(b0,b5,b4),if(b0,b3,b2))"), 0.0);
  EXPECT_EQ(mux6.IsSolved(), 1);
  EXPECT_EQ(Score(mux6, "b2"), 24.0);  // right only when the address is 0 or b2 happens to match
  std::istringstream eleven("bool 3");
  Multiplexer mux11(eleven);
  EXPECT_EQ(mux11.GetInputs(), 11);
  EXPECT_EQ(mux11.GetCases(), 2048);
  EXPECT_EQ(mux11.MultiplexerOf(Bits({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1})), 1);  // address 7: case[10]
}

TEST_F(BooleanProblemsTest, BadModesAndResultTypesAreReported) {
  std::istringstream parityMode("int 3");
  EXPECT_EXIT(Parity parity(parityMode), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid mode at Parity::Parity\n") + "$");
  std::istringstream muxMode("double 2");
  EXPECT_EXIT(Multiplexer mux(muxMode), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid mode at Multiplexer::Multiplexer\n") + "$");
  std::istringstream bool3("bool 3");
  Parity parity(bool3);
  EXPECT_EXIT(Score(parity, "1"), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid type : not int at Parity::FitnessIntParity\n") + "$");
  std::istringstream double3("double 3");
  Parity real(double3);
  EXPECT_EXIT(Score(real, "b0"), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid type at Parity::FitnessDoubleParity\n") + "$");
  std::istringstream bool2("bool 2");
  Multiplexer mux(bool2);
  EXPECT_EXIT(Score(mux, "2.0"), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid type : not int at Multiplexer::FitnessIntMultiplexer\n") + "$");
}

TEST_F(BooleanProblemsTest, ImpossibleSizesAreRefusedAtReading) {
  std::istringstream negative("bool -1");
  EXPECT_EXIT(Parity parity(negative), ExitedWithCode(1),
              ExactLine("Fatal error: The number of input bits gives -1 input bits; between 0 and 20 are "
                        "possible at Parity::Parity"));
  std::istringstream wide("bool 5");
  EXPECT_EXIT(Multiplexer mux(wide), ExitedWithCode(1),
              ExactLine("Fatal error: The number of address bits is 5; between 0 and 4 are possible at "
                        "Multiplexer::Multiplexer"));
  std::istringstream early("bool");
  EXPECT_EXIT(Parity parity(early), ExitedWithCode(1),
              ExactLine("Fatal error: Expected an integer for number of input bits at Parity::Parity"));
}
}  // namespace
