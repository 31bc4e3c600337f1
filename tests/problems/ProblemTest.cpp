#include "engine/Problem.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "config/IndividualVisitor.h"
#include "foundation/NumericArrays.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/ProblemFileReader.h"
#include "problems/TestProblem.h"
#include "programs/LispInterpreter.h"
#include "run/ProblemRegister.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

class NotScored : public Individual {
 public:
  explicit NotScored(Chromosome* chromosome) : Individual(chromosome) {}
  void Accept(IndividualVisitor* visitor) override { visitor->Visit(this); }
  std::string ToString() override { return ""; }
  Individual* Clone() override { return nullptr; }
};

// A bit-string problem: uses the GA cast helper.
class BitProblem : public Problem {
 public:
  void FitnessFunction(Individual* individual) override {
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    scored->SetFitness(CastGAChromosome(scored)->GetGenes()->Sum());
  }
};

TEST(ProblemTest, SolvedFlagStartsAtZeroAndResets) {
  std::istringstream file("1");
  TestProblem problem(file);
  EXPECT_EQ(problem.IsSolved(), 0);
  std::unique_ptr<Individual> good(MakeIndividual("a", 0.5));
  problem.FitnessFunction(good.get());
  EXPECT_EQ(problem.IsSolved(), 1);
  problem.ResetSolved();
  EXPECT_EQ(problem.IsSolved(), 0);
}

TEST(ProblemDeathTest, FitnessFunctionCastsAreReportedWithTheProblemClass) {
  std::istringstream file("1");
  TestProblem problem(file);
  NotScored plain(new GPChromosome(new FakeLispCode("x", 1)));
  EXPECT_EXIT(problem.FitnessFunction(&plain), ExitedWithCode(1),
              Report("Cast from Individual to DoubleTypeFitnessIndividual failed at TestProblem::FitnessFunction\n"));
  DoubleTypeFitnessIndividual bits(new GAChromosome(new IntArray(2)));
  EXPECT_EXIT(problem.FitnessFunction(&bits), ExitedWithCode(1),
              Report("Cast from Chromosome to GPChromosome failed at TestProblem::FitnessFunction\n"));
  BitProblem bitProblem;
  std::unique_ptr<Individual> program(MakeIndividual("x", 1));
  EXPECT_EXIT(bitProblem.FitnessFunction(program.get()), ExitedWithCode(1),
              Report("Cast from Chromosome to GAChromosome failed at BitProblem::FitnessFunction\n"));
  auto* genes = dynamic_cast<GAChromosome*>(bits.GetChromosome())->GetGenes();
  genes->Add(1);
  genes->Add(1);
  bitProblem.FitnessFunction(&bits);
  EXPECT_EQ(bits.GetFitness(), 2);
}

TEST(ProblemRegisterTest, NamesAreTriedInOrderAndComparedWhole) {
  ASSERT_EQ(ProblemRegister::KindCount(), 8);
  const char* order[] = {"Regression", "Parity",    "Multiplexer", "Wallfollowing",
                         "Ant",        "HPAnt",     "BoxMoving",   "MultiVariate"};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ProblemRegister::KindName(i), order[i]);
    EXPECT_EQ(ProblemRegister::FindKind(order[i]), i);
  }
  EXPECT_EQ(ProblemRegister::FindKind("Ant"), 4);
  EXPECT_EQ(ProblemRegister::FindKind("HPAnt"), 5);
  for (const char* other : {"ant", "ANT", "An", "Ants", "PAnt", "Regression1", "boxmoving", ""}) {
    EXPECT_EQ(ProblemRegister::FindKind(other), -1) << other;
  }
  EXPECT_FALSE(ProblemRegister::IsAvailable(-1));
  EXPECT_FALSE(ProblemRegister::IsAvailable(8));
}

// Every input bit is an interpreter variable: more bits than the interpreter
// holds are refused as the file is read, not in the middle of a run.
TEST(ProblemRegisterDeathTest, BooleanProblemsNeedNoMoreInputsThanTheInterpreterHolds) {
  ProblemRegister problems(20);
  std::istringstream widest("Parity bool 20");
  auto* parity = dynamic_cast<Parity*>(problems.Create(widest));
  ASSERT_NE(parity, nullptr);
  EXPECT_EQ(parity->GetCases(), 1 << 20);
  std::istringstream wider("Parity double 21");
  EXPECT_EXIT(problems.Create(wider), ExitedWithCode(1),
              Report("Fatal error: The number of input bits gives 21 input bits; between 0 and 20 are possible at "
                     "Parity::Parity\n"));
  std::istringstream multiplexer("Multiplexer bool 4");
  EXPECT_EQ(dynamic_cast<Multiplexer*>(problems.Create(multiplexer))->GetInputs(), LispInterpreter::VariableCount);
}

TEST(ProblemRegisterTest, CreateKeepsTheProblemUnderItsName) {
  TestProblemRegister problems;
  std::istringstream file("  Test\n 3 \n");
  Problem* problem = problems.Create(file);
  ASSERT_NE(dynamic_cast<TestProblem*>(problem), nullptr);
  EXPECT_EQ(dynamic_cast<TestProblem*>(problem)->solvedAt, 3);
  EXPECT_EQ(problems.Exists("Test"), 1);
  EXPECT_EQ(problems.Get("Test"), problem);
}

TEST(ProblemRegisterDeathTest, AnyOtherNameIsReported) {
  ProblemRegister problems(20);
  for (const char* name : {"ant", "Regression1", "Box", "test"}) {
    std::istringstream file(std::string(name) + " 1 2 3\n");
    EXPECT_EXIT(problems.Create(file), ExitedWithCode(1),
                Report("Fatal error: Problem can not be created : " + std::string(name) +
                       " at ProblemRegister::Create\n"));
  }
  std::istringstream empty("");
  EXPECT_EXIT(problems.Create(empty), ExitedWithCode(1),
              Report("Fatal error: Problem can not be created :  at ProblemRegister::Create\n"));
  // A known name whose problem class is not part of the build yet.
  for (int kind = 0; kind < ProblemRegister::KindCount(); ++kind) {
    if (ProblemRegister::IsAvailable(kind)) continue;
    std::istringstream file(ProblemRegister::KindName(kind) + "\n");
    EXPECT_EXIT(problems.Create(file), ExitedWithCode(1),
                Report("Fatal error: Problem can not be created : " + ProblemRegister::KindName(kind) +
                       " at ProblemRegister::Create\n"));
  }
}

TEST(ProblemFileReaderTest, FixedFieldsThenTrailingPairs) {
  std::istringstream file("100 100\n10\n1\n 0.5 -2 1.57 300\n\n3 4\n5 6\n");
  ProblemFileReader reader(file, "BoxMoving");
  EXPECT_EQ(reader.ReadDouble("room width"), 100);
  EXPECT_EQ(reader.ReadDouble("room height"), 100);
  EXPECT_EQ(reader.ReadInt("cell size"), 10);
  EXPECT_EQ(reader.ReadDouble("step length"), 1);
  EXPECT_EQ(reader.ReadDouble("robot x"), 0.5);
  EXPECT_EQ(reader.ReadDouble("robot y"), -2);
  EXPECT_EQ(reader.ReadDouble("heading"), 1.57);
  EXPECT_EQ(reader.ReadDouble("energy"), 300);
  std::vector<std::pair<int, int>> walls;
  int column = 0;
  int row = 0;
  while (reader.TryReadIntPair(column, row)) walls.emplace_back(column, row);
  EXPECT_EQ(walls, (std::vector<std::pair<int, int>>{{3, 4}, {5, 6}}));
}

TEST(ProblemFileReaderTest, TrailingListsStopAtTheFirstIncompleteEntry) {
  std::istringstream cut("1 2 3");
  ProblemFileReader pairs(cut, "Ant");
  int a = 0;
  int b = 0;
  EXPECT_TRUE(pairs.TryReadIntPair(a, b));
  EXPECT_FALSE(pairs.TryReadIntPair(a, b));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);

  std::istringstream junk("7 -1 2x 4");
  ProblemFileReader codes(junk, "HPAnt");
  std::vector<int> residues;
  int code = 0;
  while (codes.TryReadInt(code)) residues.push_back(code);
  EXPECT_EQ(residues, (std::vector<int>{7, -1}));

  std::istringstream reals("0.5 1e3 . 2");
  ProblemFileReader numbers(reals, "MultiVariate");
  double x = 0;
  EXPECT_TRUE(numbers.TryReadDouble(x));
  EXPECT_TRUE(numbers.TryReadDouble(x));
  EXPECT_EQ(x, 1000);
  EXPECT_FALSE(numbers.TryReadDouble(x));
  EXPECT_EQ(x, 1000);
}

// A list that ends before the data does, or words after the data, leave part
// of the file unread: the reader says so in a warning and goes on.
TEST(ProblemFileReaderTest, DataLeftUnreadIsWarnedAbout) {
  auto warnings = [](const std::string& text, bool pairs) {
    std::istringstream in(text);
    ProblemFileReader reader(in, "Ant");
    int a = 0;
    int b = 0;
    testing::internal::CaptureStderr();
    if (pairs) {
      while (reader.TryReadIntPair(a, b)) {
      }
      reader.EndList("food list");
    } else {
      reader.ReadInt("count");
    }
    return testing::internal::GetCapturedStderr();
  };
  EXPECT_EQ(warnings("1 2 3 4\n", true), "");
  EXPECT_EQ(warnings("1 2 3 4 5\n", true), "Warning: The food list ends with 5 alone, which is not read at Ant::Ant\n");
  EXPECT_EQ(warnings("1 2 3 x 5 6", true),
            "Warning: The food list stops at x, which is not an integer; the rest of the problem file is not read "
            "at Ant::Ant\n");
  EXPECT_EQ(warnings("1 2 3.5 4", true),
            "Warning: The food list stops at 3.5, which is not an integer; the rest of the problem file is not read "
            "at Ant::Ant\n");
  EXPECT_EQ(warnings("101 \n\n", false), "");
  EXPECT_EQ(warnings("101 7 8", false), "") << "fixed fields leave what follows them unread, silently";
}

TEST(ProblemFileReaderTest, WholeWordNumbers) {
  int i = 0;
  double d = 0;
  EXPECT_TRUE(ProblemFileReader::ParseInt("-12", i));
  EXPECT_EQ(i, -12);
  EXPECT_FALSE(ProblemFileReader::ParseInt("3.5", i));
  EXPECT_FALSE(ProblemFileReader::ParseInt("99999999999", i));
  EXPECT_FALSE(ProblemFileReader::ParseInt("", i));
  EXPECT_EQ(i, -12);
  EXPECT_TRUE(ProblemFileReader::ParseDouble("2.5e-1", d));
  EXPECT_EQ(d, 0.25);
  EXPECT_TRUE(ProblemFileReader::ParseDouble("7", d));
  EXPECT_FALSE(ProblemFileReader::ParseDouble("1.5.2", d));
  EXPECT_FALSE(ProblemFileReader::ParseDouble("wide", d));
  EXPECT_EQ(d, 7);
}

TEST(ProblemFileReaderDeathTest, MalformedFixedFieldsNameTheProblemAndTheValue) {
  std::istringstream word("100 wide 10");
  ProblemFileReader boxMoving(word, "BoxMoving");
  boxMoving.ReadDouble("room width");
  EXPECT_EXIT(boxMoving.ReadDouble("room height"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for room height at BoxMoving::BoxMoving\n"));

  std::istringstream real("10 2.5");
  ProblemFileReader ant(real, "Ant");
  ant.ReadInt("room width");
  EXPECT_EXIT(ant.ReadInt("room height"), ExitedWithCode(1),
              Report("Fatal error: Expected an integer for room height at Ant::Ant\n"));

  std::istringstream early("Rosenbrock 1.5");
  ProblemFileReader regression(early, "Regression");
  EXPECT_EQ(regression.ReadWord("objective function"), "Rosenbrock");
  regression.ReadDouble("lower bound");
  EXPECT_EXIT(regression.ReadDouble("upper bound"), ExitedWithCode(1),
              Report("Fatal error: Expected a real number for upper bound at Regression::Regression\n"));
  EXPECT_EXIT(regression.ReadWord("mode"), ExitedWithCode(1),
              Report("Fatal error: Expected a word for mode at Regression::Regression\n"));
}
}  // namespace
