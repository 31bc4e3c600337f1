// Interpreter micro-benchmarks: node evaluations per second on fixed sets of
// random programs.
//
// - PerCase/*: the compiled program run by the interpreter once per fitness
//   case, as the case-by-case loops run it (variables set, stacks cleared,
//   result popped). Nodes counted are the nodes actually evaluated (a branch
//   not taken is not counted).
// - TreeWalk/*: the same loop walking the program tree.
// - AllCases/*: the problem's own fitness function, which evaluates many
//   cases at once where it can (64 per word for boolean programs). Nodes
//   counted are program size times fitness cases.
// - Episode/*: the robot problems' fitness function (one episode per program,
//   compiled); nodes counted are the nodes executed.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <vector>

#include "BenchPrograms.h"
#include "EpisodeCount.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "programs/CompiledProgram.h"
#include "programs/Head.h"
#include "programs/LispInterpreter.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "run/ProblemRegister.h"

namespace {
constexpr int kPrograms = 200;
// Programs of the sizes runs breed after some generations: grown to depths
// 6 to 12, none under 40 nodes.
constexpr int kMinDepth = 6;
constexpr int kMaxDepth = 12;
constexpr int kMinSize = 40;

// The fitness cases of a node set: per case the int or double variables.
struct Cases {
  bool real = false;  // x0 = the sample point; else bits in int variables
  int inputs = 0;
  std::vector<std::vector<int>> bits;
  std::vector<double> points;
  int Count() const { return real ? static_cast<int>(points.size()) : static_cast<int>(bits.size()); }
};

Cases CasesOf(const NodeSet& set) {
  Cases cases;
  if (&set == &RegressionSet()) {
    cases.real = true;
    for (double x = 0.0; x < 10.05; x += 0.1) cases.points.push_back(x);
    return cases;
  }
  cases.inputs = &set == &Parity5Set() ? 5 : &set == &Mux6Set() ? 6 : 11;
  for (int c = 0; c < 1 << cases.inputs; ++c) {
    std::vector<int> bits;
    for (int i = 0; i < cases.inputs; ++i) bits.push_back(c >> i & 1);
    cases.bits.push_back(bits);
  }
  return cases;
}

void SetCase(LispInterpreter& interpreter, const Cases& cases, int c) {
  if (cases.real) {
    interpreter.SetDoubleVariable(0, cases.points[static_cast<std::size_t>(c)]);
  } else {
    const std::vector<int>& bits = cases.bits[static_cast<std::size_t>(c)];
    for (int i = 0; i < cases.inputs; ++i) interpreter.SetIntVariable(i, bits[static_cast<std::size_t>(i)]);
  }
}

// Pops the value of a case; returns something to keep it alive.
double PopValue(LispInterpreter& interpreter) {
  switch (interpreter.PopType()) {
    case ValueType::Int:
      return interpreter.PopInt();
    case ValueType::Double:
      return interpreter.PopDouble();
    default:
      return interpreter.PopBool();
  }
}

void PerCase(benchmark::State& state, const NodeSet& set, bool compiled) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  Cases cases = CasesOf(set);
  LispInterpreter interpreter;
  std::vector<std::unique_ptr<CompiledProgram>> forms;
  long long nodes = 0;
  for (LispCode* code : programs.Programs()) {
    forms.push_back(std::make_unique<CompiledProgram>());
    forms.back()->Compile(RootOf(code));
    for (int c = 0; c < cases.Count(); ++c) {
      SetCase(interpreter, cases, c);
      interpreter.Clear();
      if (!interpreter.EvaluateCounting(*forms.back(), nodes)) state.SkipWithError("a program was not compiled");
    }
  }
  double sum = 0.0;
  for (auto _ : state) {
    for (std::size_t p = 0; p < forms.size(); ++p) {
      for (int c = 0; c < cases.Count(); ++c) {
        SetCase(interpreter, cases, c);
        interpreter.Clear();
        if (compiled) {
          interpreter.EvaluateCompiled(*forms[p]);
        } else {
          interpreter.Evaluate(forms[p]->GetRoot());
        }
        sum += PopValue(interpreter);
      }
    }
  }
  benchmark::DoNotOptimize(sum);
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["mean_size"] = static_cast<double>(programs.TotalSize()) / kPrograms;
}

std::unique_ptr<Problem> MakeProblem(const NodeSet& set) {
  ProblemRegister problems(1);
  std::istringstream text(set.problem);
  Problem* made = problems.Create(text);
  // The register owns what it made: hand over a copy.
  return std::unique_ptr<Problem>(made->Clone());
}

std::vector<std::unique_ptr<DoubleTypeFitnessIndividual>> Individuals(ProgramSet& programs) {
  std::vector<std::unique_ptr<DoubleTypeFitnessIndividual>> individuals;
  for (LispCode* code : programs.Programs()) {
    individuals.push_back(std::make_unique<DoubleTypeFitnessIndividual>(new GPChromosome(code->Clone())));
  }
  return individuals;
}

void Release(std::vector<std::unique_ptr<DoubleTypeFitnessIndividual>>& individuals) {
  for (auto& individual : individuals) individual->DeleteChromosome();
}

void AllCases(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  std::unique_ptr<Problem> problem = MakeProblem(set);
  auto individuals = Individuals(programs);
  long long nodes = programs.TotalSize() * CasesOf(set).Count();
  for (auto _ : state) {
    for (auto& individual : individuals) problem->FitnessFunction(individual.get());
  }
  Release(individuals);
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["mean_size"] = static_cast<double>(programs.TotalSize()) / kPrograms;
}

// The nodes one episode of the problem executes, counted on a copy.
long long EpisodeNodes(Ant& ant, Head* root) {
  CompiledProgram program;
  program.Compile(root);
  AntRobot* robot = ant.GetRobot();
  robot->Init(ant.GetStartX(), ant.GetStartY(), ant.GetStartDirection(), ant.GetEnergy());
  ant.GetRoom()->PlaceFood(ant.GetFoods());
  return CountEpisodeNodes(program, robot);
}

long long EpisodeNodes(BoxMoving& boxMoving, Head* root) {
  CompiledProgram program;
  program.Compile(root);
  SmoothyRobot* robot = boxMoving.GetRobot();
  robot->Init(boxMoving.GetStartX(), boxMoving.GetStartY(), boxMoving.GetStartHeading(), boxMoving.GetEnergy());
  boxMoving.GetRoom()->SetBox(boxMoving.GetBoxX(), boxMoving.GetBoxY());
  return CountEpisodeNodes(program, robot);
}

template <class RobotProblemClass>
void Episode(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  std::unique_ptr<Problem> problem = MakeProblem(set);
  std::unique_ptr<Problem> counter(problem->Clone());
  long long nodes = 0;
  for (LispCode* code : programs.Programs()) nodes += EpisodeNodes(*static_cast<RobotProblemClass*>(counter.get()), RootOf(code));
  auto individuals = Individuals(programs);
  for (auto _ : state) {
    for (auto& individual : individuals) problem->FitnessFunction(individual.get());
  }
  Release(individuals);
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["mean_size"] = static_cast<double>(programs.TotalSize()) / kPrograms;
}

void AntEpisode(benchmark::State& state, const NodeSet& set) { Episode<Ant>(state, set); }
void BoxMovingEpisode(benchmark::State& state, const NodeSet& set) { Episode<BoxMoving>(state, set); }
}  // namespace

BENCHMARK_CAPTURE(PerCase, parity5, Parity5Set(), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, mux6, Mux6Set(), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, mux11, Mux11Set(), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, regression, RegressionSet(), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, parity5_tree_walk, Parity5Set(), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, mux11_tree_walk, Mux11Set(), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerCase, regression_tree_walk, RegressionSet(), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllCases, parity5, Parity5Set())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllCases, mux6, Mux6Set())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllCases, mux11, Mux11Set())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllCases, regression, RegressionSet())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AntEpisode, santafe, SantaFeSet())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BoxMovingEpisode, boxmoving, BoxMovingSet())->Unit(benchmark::kMillisecond);
