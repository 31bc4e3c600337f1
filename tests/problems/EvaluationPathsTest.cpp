// Differential test of the evaluation paths: random programs from the node
// sets of every problem are evaluated by walking the tree case by case, by
// running the compiled program case by case, and by the default paths (many
// cases at once where the program allows it). Every path must give the same
// fitness bit for bit, the same solved flag and, for programs that run into
// a report, the same report line.
//
// MORVANE2_DIFFERENTIAL_PROGRAMS sets the number of programs per node set
// (the long run uses 100000); the default keeps the test short.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "programs/CompiledProgram.h"
#include "programs/FlatLispCode.h"
#include "programs/HeadLispCode.h"
#include "programs/GPSymbolRegister.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/OperatorRegister.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "robots/HPAnt.h"
#include "robots/Wallfollowing.h"
#include "variation/GPGenerator.h"

namespace {

// The programs per node set: the count the environment asks for, else a
// short run in which the slower problems (share > 1) take fewer.
int ProgramCount(int share) {
  if (const char* text = std::getenv("MORVANE2_DIFFERENTIAL_PROGRAMS")) return std::atoi(text);
  int count = 4000;
#if defined(__SANITIZE_ADDRESS__)
  count = 300;
#endif
  int programs = count / share;
  return programs < 1 ? 1 : programs;
}

struct Outcome {
  bool reported = false;
  std::string line;  // the report, or the lines written besides
  std::uint64_t fitness = 0;
  int solved = 0;

  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  if (outcome.reported) return out << "report \"" << outcome.line << "\"";
  return out << "fitness " << std::bit_cast<double>(outcome.fitness) << " (bits " << outcome.fitness << "), solved "
             << outcome.solved << ", lines \"" << outcome.line << "\"";
}

Outcome Evaluate(Problem& problem, Problem::Paths paths, DoubleTypeFitnessIndividual& individual) {
  problem.SetPaths(paths);
  problem.ResetSolved();
  individual.SetFitness(-12345.0);
  Outcome outcome;
  Exception::CaptureScope capture;
  try {
    problem.FitnessFunction(&individual);
    outcome.fitness = std::bit_cast<std::uint64_t>(individual.GetFitness());
    outcome.solved = problem.IsSolved();
    outcome.line = capture.TakeText();
  } catch (const Exception::CapturedReport& report) {
    outcome.reported = true;
    outcome.line = capture.TakeText() + report.what();
  }
  return outcome;
}

// How often each kind of program came up, to show that the paths were taken.
struct Tally {
  int programs = 0;
  int typed = 0;
  int allBool = 0;
  int runnable = 0;
  int reported = 0;
  int flat = 0;  // also checked in flat form
};

// Generates count programs from table (random depth limits up to maxDepth)
// and checks the three paths on problem for each.
Tally Check(Problem& problem, const std::string& table, int count, int maxDepth, std::uint32_t seed) {
  OperatorRegister operators(100);
  std::istringstream tableText(table);
  GPSymbolRegister symbols(&operators, tableText);
  GPDepthLimitGenerator generator(&symbols, maxDepth);
  GetUtility()->Seed(seed);
  CompiledProgram compiled;
  Tally tally;
  for (int p = 0; p < count; ++p) {
    generator.SetDepthLimit(1 + GetUtility()->RandomInt(maxDepth));
    DoubleTypeFitnessIndividual individual(new GPChromosome(generator.Generate()));
    LispCode* code = dynamic_cast<GPChromosome*>(individual.GetChromosome())->GetCode();
    compiled.CompileCode(code);
    ++tally.programs;
    tally.typed += compiled.IsTyped() ? 1 : 0;
    tally.allBool += compiled.IsAllBool() ? 1 : 0;
    tally.runnable += compiled.IsRunnable() ? 1 : 0;

    Outcome tree = Evaluate(problem, Problem::Paths::Tree, individual);
    Outcome perCase = Evaluate(problem, Problem::Paths::Compiled, individual);
    Outcome all = Evaluate(problem, Problem::Paths::All, individual);
    tally.reported += tree.reported ? 1 : 0;
    EXPECT_EQ(perCase, tree) << "compiled case by case, program " << p << ": " << code->ToString();
    EXPECT_EQ(all, tree) << "default paths, program " << p << ": " << code->ToString();
    // The same program held flat, as the members of a run are.
    std::string text = code->ToString();
    auto* chromosome = dynamic_cast<GPChromosome*>(individual.GetChromosome());
    chromosome->Flatten();
    if (chromosome->GetCode() != code) {
      ++tally.flat;
      Outcome flatPerCase = Evaluate(problem, Problem::Paths::Compiled, individual);
      Outcome flatAll = Evaluate(problem, Problem::Paths::All, individual);
      EXPECT_EQ(flatPerCase, tree) << "flat, compiled case by case, program " << p << ": " << text;
      EXPECT_EQ(flatAll, tree) << "flat, default paths, program " << p << ": " << text;
    }
    individual.DeleteChromosome();
    if (::testing::Test::HasFailure()) break;
  }
  problem.SetPaths(Problem::Paths::All);
  if (std::getenv("MORVANE2_DIFFERENTIAL_PROGRAMS") != nullptr) {
    std::printf("%d programs: %d typed, %d all bool, %d compiled, %d reported, %d flat\n", tally.programs,
                tally.typed, tally.allBool, tally.runnable, tally.reported, tally.flat);
  }
  return tally;
}

template <class P>
std::unique_ptr<P> Make(const std::string& text) {
  std::istringstream in(text);
  return std::make_unique<P>(in);
}

TEST(EvaluationPathsTest, EvenParityOverBoolNodes) {
  auto problem = Make<Parity>("bool 5");
  Tally tally = Check(*problem, "1 b0 b1 b2 b3 b4\n3 and2 or2 nand2 nor2 not if\n", ProgramCount(1), 10, 11);
  EXPECT_EQ(tally.allBool, tally.programs);
  EXPECT_EQ(tally.flat, tally.programs);
}

// Numbers among the bools: conditions over ints and reals, numbers where a
// bool is wanted (type reports), a variable beyond the inputs.
TEST(EvaluationPathsTest, EvenParityOverMixedNodes) {
  auto problem = Make<Parity>("bool 3");
  problem->GetInterpreter()->SetIntVariable(5, 1);
  Tally tally = Check(*problem, "3 b0 b1 b2 b5 0 1 x0\n2 and2 or2 nand2 not if iflte Plus2\n", ProgramCount(1), 7, 12);
  EXPECT_GT(tally.reported, 0);
  EXPECT_GT(tally.typed, tally.allBool);
  EXPECT_GT(tally.allBool, 0);
}

TEST(EvaluationPathsTest, ParityInRealMode) {
  auto problem = Make<Parity>("double 4");
  Tally tally = Check(*problem,
                      "2 x0 x1 x2 x3 1 -1 0.5 b0\n"
                      "2 Plus2 Subtract Times2 divide Sin Cos ln Exp log pow\n1 iflte if\n",
                      ProgramCount(1), 8, 13);
  EXPECT_GT(tally.typed, tally.programs / 2);
  EXPECT_GT(tally.reported, 0);
}

TEST(EvaluationPathsTest, SixMultiplexer) {
  auto problem = Make<Multiplexer>("bool 2");
  Tally tally = Check(*problem, "1 b0 b1 b2 b3 b4 b5\n3 and2 or2 not if\n", ProgramCount(1), 10, 14);
  EXPECT_EQ(tally.allBool, tally.programs);
}

TEST(EvaluationPathsTest, ElevenMultiplexer) {
  auto problem = Make<Multiplexer>("bool 3");
  Tally tally =
      Check(*problem, "1 b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 b10\n3 and2 or2 not if\n", ProgramCount(10), 10, 15);
  EXPECT_EQ(tally.allBool, tally.programs);
}

// Ints that overflow, reals, bools, conditionals of every kind, variables
// that keep values other than 0, and the protected functions.
TEST(EvaluationPathsTest, Regression) {
  auto problem = Make<Regression>("(2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.0 10.0 101");
  problem->GetInterpreter()->SetIntVariable(0, 7);
  problem->GetInterpreter()->SetIntVariable(1, 1 << 30);
  problem->GetInterpreter()->SetIntVariable(2, 1);
  problem->GetInterpreter()->SetDoubleVariable(1, -2.5);
  Tally tally = Check(*problem,
                      "3 x0 1.0 2.0 0.5 1 2 -3 i0 i1 x1 b2 -0.0\n"
                      "3 Plus2 Subtract Times2 divide Sin Cos ln Exp log pow\n"
                      "1 if iflte and2 not\n",
                      ProgramCount(1), 8, 16);
  EXPECT_GT(tally.typed, tally.programs / 2);
  EXPECT_GT(tally.reported, 0);
}

TEST(EvaluationPathsTest, RegressionOverItsExampleNodeSet) {
  auto problem = Make<Regression>("(2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.0 10.0 101");
  Tally tally =
      Check(*problem, "1 x0 1.0 2.0 0.5\n3 Plus2 Subtract Times2 divide Sin Cos\n", ProgramCount(1), 10, 17);
  EXPECT_EQ(tally.typed, tally.programs);
}

const char* const kSantaFe =
    "32 32 1 1 0 400 "
    "2 1 3 1 4 1 4 2 4 3 26 3 27 3 28 3 4 4 25 4 30 4 4 5 25 5 30 5 4 6 5 6 6 6 7 6 9 6 10 6 11 6 12 6 13 6 "
    "22 6 23 6 13 7 30 7 13 8 21 8 13 9 21 9 13 10 21 10 30 10 21 11 13 12 13 13 30 13 13 14 21 14 13 15 21 15 "
    "27 15 28 15 29 15 18 16 24 16 13 18 13 19 17 19 25 19 13 20 17 20 28 20 13 21 17 21 13 22 17 22 13 23 27 23 "
    "13 24 24 24 4 25 5 25 8 25 9 25 10 25 11 25 12 25 17 25 2 26";

TEST(EvaluationPathsTest, SantaFeAnt) {
  auto problem = Make<Ant>(kSantaFe);
  Tally tally = Check(*problem, "1 moveForward0 turnLeft0 turnRight0\n1 ifFoodAhead Prog2\n", ProgramCount(4), 8, 18);
  EXPECT_EQ(tally.runnable, tally.programs);
}

// Programs deeper than the interpreter's stacks hold (food tests nested
// in their first branches beyond the pending stack's room; Progs nested in
// their second arguments), flat as in a run: the ant's own loop takes them
// only where the compiled run would, and every path ends as the tree walk.
TEST(EvaluationPathsTest, SantaFeAntBeyondTheStacks) {
  auto problem = Make<Ant>(kSantaFe);
  OperatorRegister operators(100);
  std::istringstream tableText("1 moveForward0 turnLeft0 turnRight0\n1 ifFoodAhead Prog2\n");
  GPSymbolRegister symbols(&operators, tableText);
  auto node = [&](const char* name, std::initializer_list<Head*> children) {
    auto* made = new Head(operators.Get(name));
    for (Head* child : children) made->AddChild(child);
    return made;
  };
  for (int depth : {90, 99, 100, 150}) {
    for (bool tests : {true, false}) {
      Head* root = node("moveForward0", {});
      for (int k = 0; k < depth; ++k) {
        root = tests ? node("ifFoodAhead", {root, node("turnLeft0", {})})
                     : node("Prog2", {node("moveForward0", {}), root});
      }
      DoubleTypeFitnessIndividual individual(new GPChromosome(new HeadLispCode(root)));
      Outcome tree = Evaluate(*problem, Problem::Paths::Tree, individual);
      auto* chromosome = dynamic_cast<GPChromosome*>(individual.GetChromosome());
      chromosome->Flatten();
      ASSERT_EQ(typeid(*chromosome->GetCode()), typeid(FlatLispCode));
      EXPECT_EQ(Evaluate(*problem, Problem::Paths::Compiled, individual), tree) << depth << (tests ? " tests" : " progs");
      EXPECT_EQ(Evaluate(*problem, Problem::Paths::All, individual), tree) << depth << (tests ? " tests" : " progs");
      individual.DeleteChromosome();
    }
  }
  problem->SetPaths(Problem::Paths::All);
}

TEST(EvaluationPathsTest, BoxMoving) {
  auto problem = Make<BoxMoving>("100 100 10 1 -30 -30 1.57 400 0 0 2 8 3 8 4 8 9 3 9 4");
  Tally tally = Check(*problem,
                      "2 1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0\n6 Prog2 iflte Plus2 Times2\n"
                      "2 sensor moveForward0 moveBackward0 moveLeft1 moveRight1\n",
                      ProgramCount(6), 7, 19);
  EXPECT_EQ(tally.runnable, tally.programs);
}

TEST(EvaluationPathsTest, WallfollowingWithIntsAndReals) {
  auto problem = Make<Wallfollowing>("100 100 10 1 0 0 0.0 600 4 4 4 5 4 6 5 6 6 6 8 3");
  Check(*problem,
        "2 1.0 2.0 3 4 5.0\n6 Prog2 iflte Plus2 Subtract\n3 sensor moveForward0 moveLeft1 moveRight1 turnLeft0\n",
        ProgramCount(6), 7, 20);
}

TEST(EvaluationPathsTest, HPAntWithIntsAndReals) {
  auto problem = Make<HPAnt>("0 1 0 1 1 0 0 1 0 1 1 0 1 0 0 1 1 0 1 0");
  Tally tally = Check(*problem, "2 0 1 2 3 4 5 6 7 8 9 10 1.5\n4 Prog2 iflte if\n3 sensor moveForward0 turnLeft0 turnRight0\n",
                      ProgramCount(4), 8, 21);
  EXPECT_EQ(tally.runnable, tally.programs);
}

// A copy made for a worker thread scores every program as its original does.
TEST(EvaluationPathsTest, CopiesScoreAsTheirOriginals) {
  std::unique_ptr<Problem> problems[] = {
      Make<Parity>("bool 4"),
      Make<Multiplexer>("bool 2"),
      Make<Regression>("(2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.0 10.0 101"),
      Make<Ant>(kSantaFe),
      Make<BoxMoving>("100 100 10 1 -30 -30 1.57 400 0 0 2 8 3 8 4 8 9 3 9 4"),
      Make<HPAnt>("0 1 0 1 1 0 0 1"),
      Make<Wallfollowing>("100 100 10 1 0 0 0.0 600 4 4 4 5 4 6 5 6 6 6 8 3"),
  };
  const char* tables[] = {
      "1 b0 b1 b2 b3\n1 and2 or2 not if\n",
      "1 b0 b1 b2 b3 b4 b5\n1 and2 or2 not if\n",
      "1 x0 1.0 2\n1 Plus2 Times2 Sin divide iflte\n",
      "1 moveForward0 turnLeft0 turnRight0\n1 ifFoodAhead Prog2\n",
      "1 1.0 5.0 moveForward0\n1 Prog2 iflte Plus2 sensor moveLeft1\n",
      "1 0 1 2 9 moveForward0 turnLeft0\n1 Prog2 iflte sensor\n",
      "1 1.0 2 moveForward0\n1 Prog2 iflte sensor moveLeft1\n",
  };
  for (int k = 0; k < 7; ++k) {
    std::unique_ptr<Problem> copy(problems[k]->Clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->IsSolved(), 0);
    OperatorRegister operators(100);
    std::istringstream tableText(tables[k]);
    GPSymbolRegister symbols(&operators, tableText);
    GPDepthLimitGenerator generator(&symbols, 6);
    GetUtility()->Seed(30 + k);
    for (int p = 0; p < 40; ++p) {
      DoubleTypeFitnessIndividual individual(new GPChromosome(generator.Generate()));
      Outcome original = Evaluate(*problems[k], Problem::Paths::All, individual);
      Outcome copied = Evaluate(*copy, Problem::Paths::All, individual);
      EXPECT_EQ(copied, original) << "problem " << k << ", program " << p;
      individual.DeleteChromosome();
    }
  }
}

}  // namespace

// Whole runs: every program of every generation of short evolutions
// (programs grown and bred as in real runs, deep and full of repeated
// subtrees) scores the same on every path.
#include "TestSupport.h"
#include "engine/Population.h"
#include "run/EvolutionarySystem.h"
#include "run/GPProducer.h"

namespace {
class CheckingSystem : public EvolutionarySystem {
 public:
  using EvolutionarySystem::EvolutionarySystem;
  void Evaluate() override {
    Population* population = GetPopulation();
    for (int i = 0; i < population->Size() && !::testing::Test::HasFailure(); ++i) {
      auto* individual = dynamic_cast<DoubleTypeFitnessIndividual*>(population->GetUnsorted(i));
      // Bred members are still recipes until scoring makes them.
      individual->GetChromosome()->Make();
      Outcome tree = ::Evaluate(*GetProblem(), Problem::Paths::Tree, *individual);
      Outcome perCase = ::Evaluate(*GetProblem(), Problem::Paths::Compiled, *individual);
      Outcome all = ::Evaluate(*GetProblem(), Problem::Paths::All, *individual);
      EXPECT_EQ(perCase, tree) << "generation " << generation << ": " << individual->GetChromosome()->ToString();
      EXPECT_EQ(all, tree) << "generation " << generation << ": " << individual->GetChromosome()->ToString();
      ++checked;
    }
    GetProblem()->ResetSolved();
    EvolutionarySystem::Evaluate();
    ++generation;
  }
  int generation = 0;
  int checked = 0;
};

int CheckRun(const std::string& problem, const std::string& table, int population, int generations) {
  ScratchDir dir;
  dir.Write("files.txt", "log_setting " + dir.File("log_setting.txt") + "\nparameter " + dir.File("parameter.txt") +
                             "\nproblem " + dir.File("problem.txt") + "\ntable " + dir.File("table.txt") + "\n");
  dir.Write("log_setting.txt", "prefix " + dir.Path() +
                                   "/ streams\nlog log.txt\nsave save.txt\ntimer timer.txt\n"
                                   "online-mean a.txt\nonline-sd b.txt\noffline-mean c.txt\noffline-sd d.txt\n"
                                   "best e.txt\norbit f.txt\n");
  dir.Write("parameter.txt", "----- int_parameter\ninitial_depth 6\nmax_depth 17\nseed 3\niteration_num 1\n"
                             "max_generation " + std::to_string(generations) + "\npopulation_size " +
                                 std::to_string(population) +
                                 "\nelite_size 1\ntournament_size 7\nthreads 1\n"
                                 "----- double_parameter\ncrossover_ratio 0.9\nmutation_ratio 0.05\n");
  dir.Write("problem.txt", problem);
  dir.Write("table.txt", table);
  GPProducer producer(dir.File("files.txt"));
  CheckingSystem system(&producer);
  system.Execute();
  return system.checked;
}

TEST(EvaluationPathsTest, EvolvedRegressionPrograms) {
  EXPECT_GT(CheckRun("Regression\n(2-0.3x)Sin[2x]Cos[3x]+0.01x^2\n0.0 10.0 101\n",
                     "1\tx0 1.0 2.0 0.5\n2\tPlus2 Subtract Times2 divide Sin Cos\n", 200, 15),
            0);
}

TEST(EvaluationPathsTest, EvolvedParityAndMultiplexerPrograms) {
  EXPECT_GT(CheckRun("Parity bool 5\n", "1\tb0 b1 b2 b3 b4\n1\tand2 or2 nand2 nor2\n", 200, 12), 0);
  EXPECT_GT(CheckRun("Multiplexer bool 3\n", "1\tb0 b1 b2 b3 b4 b5 b6 b7 b8 b9 b10\n1\tand2 or2 not if\n", 100, 8), 0);
}

TEST(EvaluationPathsTest, EvolvedAntPrograms) {
  EXPECT_GT(CheckRun(std::string("Ant\n") + kSantaFe + "\n", "1\tmoveForward0 turnLeft0 turnRight0\n1\tifFoodAhead Prog2\n",
                     100, 8),
            0);
}
}  // namespace
