// Variation micro-benchmarks: random programs grown, copies, splices,
// crossovers and mutations made per second, and the nodes of the programs
// they make per second (nodes/s), on the node sets of the example runs with their depth
// limits (initial depth 6, maximum depth 17). A crossover or mutation works
// on copies of the parents, as the generation schemes do, so its time
// includes copying them; Copy shows that share alone. The Recipe variants
// make the same offspring as breeding does: recipes on the parents, each
// offspring then copied in one pass. Programs are bred flat (FlatProgram):
// the Flat variants copy and splice the flat forms the runs hold, the others
// the trees of Head nodes programs are grown and edited in place as.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchPrograms.h"
#include "foundation/Utility.h"
#include "programs/FlatLispCode.h"
#include "programs/Head.h"
#include "programs/HeadLispCode.h"
#include "variation/GPCrossover.h"
#include "variation/GPGenerator.h"
#include "variation/GPMutation.h"

namespace {
constexpr int kPrograms = 200;
// Programs of the sizes runs breed after some generations: grown to depths
// 6 to 12, none under 40 nodes.
constexpr int kMinDepth = 6;
constexpr int kMaxDepth = 12;
constexpr int kMinSize = 40;

// The rates of a benchmark: what it made per second (made: "copies" and so
// on), and the nodes of the programs it made per second.
void CountRates(benchmark::State& state, const char* made, long long nodes) {
  state.counters[std::string(made) + "/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}

// Destroys a program a benchmark made; returns its node count.
long long Discard(LispCode* code) {
  auto* flat = dynamic_cast<FlatLispCode*>(code);
  long long nodes = flat != nullptr ? flat->GetSize() : RootOf(code)->GetSize();
  code->DeleteTree();
  delete code;
  return nodes;
}

void Generate(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, 1, 1, 1, 1, 7);
  GPDepthLimitGenerator generator(programs.Symbols(), 6);
  GetUtility()->Seed(99);
  long long nodes = 0;
  for (auto _ : state) nodes += Discard(generator.Generate());
  CountRates(state, "programs", nodes);
  state.counters["mean_size"] = static_cast<double>(nodes) / static_cast<double>(state.iterations());
}

void Copy(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  std::size_t p = 0;
  long long nodes = 0;
  for (auto _ : state) {
    nodes += Discard(programs.Programs()[p]->Clone());
    p = (p + 1) % programs.Programs().size();
  }
  CountRates(state, "copies", nodes);
  state.counters["mean_size"] = static_cast<double>(programs.TotalSize()) / kPrograms;
}

void Crossover(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  GPDepthLimitCrossover crossover(17);
  GetUtility()->Seed(99);
  std::size_t p = 0;
  const auto& parents = programs.Programs();
  long long nodes = 0;
  for (auto _ : state) {
    LispCode* a = parents[p]->Clone();
    LispCode* b = parents[(p + 1) % parents.size()]->Clone();
    crossover.Cross(a, b);
    nodes += Discard(a) + Discard(b);
    p = (p + 2) % parents.size();
  }
  CountRates(state, "crossovers", nodes);
}

// A copy of a program with one subtree replaced by a copy of another
// program's subtree, made in one pass: the splice that crossover and
// mutation make of their offspring.
void Splice(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  const auto& parents = programs.Programs();
  for (LispCode* parent : parents) parent->PrepareForSharing();
  GetUtility()->Seed(99);
  std::size_t p = 0;
  long long nodes = 0;
  for (auto _ : state) {
    Head* root = RootOf(parents[p]);
    Head* donor = RootOf(parents[(p + 1) % parents.size()]);
    Head* cut = root->Part(GetUtility()->RandomInt(root->GetSize()));
    Head* graft = donor->Part(GetUtility()->RandomInt(donor->GetSize()));
    Head* child = Head::CloneSplicing(root, cut, graft, true);
    nodes += child->GetSize();
    child->DeleteChildren();
    delete child;
    p = (p + 2) % parents.size();
  }
  CountRates(state, "splices", nodes);
}

// Flat copies of the set's programs, as the runs hold their members.
std::vector<std::unique_ptr<FlatLispCode>> FlatPrograms(const ProgramSet& programs) {
  std::vector<std::unique_ptr<FlatLispCode>> flat;
  for (LispCode* code : programs.Programs()) {
    FlatProgram program;
    FlatProgram::FromTree(RootOf(code), program);
    flat.push_back(std::make_unique<FlatLispCode>(std::move(program)));
  }
  return flat;
}

void FlatCopy(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  auto parents = FlatPrograms(programs);
  std::size_t p = 0;
  long long nodes = 0;
  for (auto _ : state) {
    FlatProgram copy = FlatProgram::Copy(parents[p]->GetRoot());
    nodes += copy.Size();
    benchmark::DoNotOptimize(copy.Root());
    p = (p + 1) % parents.size();
  }
  CountRates(state, "copies", nodes);
}

// Splice on flat programs: three ranges copied, the sizes on the way to the
// cut mended.
void FlatSplice(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  auto parents = FlatPrograms(programs);
  GetUtility()->Seed(99);
  std::size_t p = 0;
  long long nodes = 0;
  for (auto _ : state) {
    const FlatProgram& root = parents[p]->GetProgram();
    const FlatProgram& donor = parents[(p + 1) % parents.size()]->GetProgram();
    const FlatNode* cut = root.Part(GetUtility()->RandomInt(root.Size()));
    const FlatNode* graft = donor.Part(GetUtility()->RandomInt(donor.Size()));
    FlatProgram child = FlatProgram::Splice(root.Root(), cut, graft);
    nodes += child.Size();
    benchmark::DoNotOptimize(child.Root());
    p = (p + 2) % parents.size();
  }
  CountRates(state, "splices", nodes);
}

void Mutation(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  GPDepthLimitMutation mutation(17, new GPDepthLimitGenerator(programs.Symbols(), 17));
  GetUtility()->Seed(99);
  std::size_t p = 0;
  long long nodes = 0;
  for (auto _ : state) {
    LispCode* code = programs.Programs()[p]->Clone();
    mutation.Mutate(code);
    nodes += Discard(code);
    p = (p + 1) % programs.Programs().size();
  }
  CountRates(state, "mutations", nodes);
}
}  // namespace

void CrossoverRecipe(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  GPDepthLimitCrossover crossover(17);
  GetUtility()->Seed(99);
  std::size_t p = 0;
  auto parents = FlatPrograms(programs);
  long long nodes = 0;
  for (auto _ : state) {
    CrossoverRecipes children = crossover.Plan(parents[p].get(), parents[(p + 1) % parents.size()].get());
    nodes += Discard(children.first.Build()) + Discard(children.second.Build());
    p = (p + 2) % parents.size();
  }
  CountRates(state, "crossovers", nodes);
}

void MutationRecipe(benchmark::State& state, const NodeSet& set) {
  ProgramSet programs(set, kPrograms, kMinDepth, kMaxDepth, kMinSize, 2024);
  GPDepthLimitMutation mutation(17, new GPDepthLimitGenerator(programs.Symbols(), 17));
  GetUtility()->Seed(99);
  std::size_t p = 0;
  auto parents = FlatPrograms(programs);
  long long nodes = 0;
  for (auto _ : state) {
    nodes += Discard(mutation.Plan(parents[p].get()).Build());
    p = (p + 1) % parents.size();
  }
  CountRates(state, "mutations", nodes);
}

BENCHMARK_CAPTURE(Generate, parity5, Parity5Set());
BENCHMARK_CAPTURE(Generate, regression, RegressionSet());
BENCHMARK_CAPTURE(Copy, parity5, Parity5Set());
BENCHMARK_CAPTURE(FlatCopy, parity5, Parity5Set());
BENCHMARK_CAPTURE(Splice, parity5, Parity5Set());
BENCHMARK_CAPTURE(Splice, regression, RegressionSet());
BENCHMARK_CAPTURE(FlatSplice, parity5, Parity5Set());
BENCHMARK_CAPTURE(FlatSplice, regression, RegressionSet());
BENCHMARK_CAPTURE(Crossover, parity5, Parity5Set());
BENCHMARK_CAPTURE(Crossover, regression, RegressionSet());
BENCHMARK_CAPTURE(Mutation, parity5, Parity5Set());
BENCHMARK_CAPTURE(Mutation, regression, RegressionSet());
BENCHMARK_CAPTURE(CrossoverRecipe, parity5, Parity5Set());
BENCHMARK_CAPTURE(CrossoverRecipe, regression, RegressionSet());
BENCHMARK_CAPTURE(MutationRecipe, parity5, Parity5Set());
BENCHMARK_CAPTURE(MutationRecipe, regression, RegressionSet());
