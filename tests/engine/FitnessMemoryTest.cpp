#include "engine/FitnessMemory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Evolution.h"
#include "engine/GenerationPipeline.h"
#include "engine/ParallelEvaluator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/Scoring.h"
#include "foundation/Exception.h"
#include "programs/HeadLispCode.h"
#include "programs/ListingCodes.h"
#include "programs/TestOperators.h"
#include "ThreadsSharing.h"

namespace {
// Programs over a few constants; the fitness is the program's int value,
// and every evaluation is counted. A program whose value is 13 writes a
// warning, one whose value is 99 reports.
class ValueProblem : public Problem {
 public:
  void FitnessFunction(Individual* individual) override {
    evaluations.fetch_add(1);
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    LispInterpreter interpreter;
    CastGPChromosome(scored)->GetCode()->Evaluate(&interpreter);
    interpreter.PopType();
    int value = interpreter.PopInt();
    if (value == 13) GetException()->Warning("thirteen", "ValueProblem", "FitnessFunction");
    if (value == 99) GetException()->FatalError("ninety-nine", "ValueProblem", "FitnessFunction");
    scored->SetFitness(value);
  }
  bool CanReuseFitness() override { return true; }
  Problem* Clone() override { return new ValueProblem(); }
  // Counted over the problem and all its copies.
  static std::atomic<int> evaluations;
};
std::atomic<int> ValueProblem::evaluations{0};

struct FitnessMemoryTest : ::testing::Test {
  IntConstant one{"1", 1}, two{"2", 2}, six{"6", 6}, ninetyOne{"91", 91};
  Adder plus{"Plus", 2};

  // A fitness individual holding the tree root (taken over).
  static std::unique_ptr<DoubleTypeFitnessIndividual> Holding(Head* root) {
    return std::make_unique<DoubleTypeFitnessIndividual>(new GPChromosome(new HeadLispCode(root)));
  }
  static FitnessMemory::Key KeyOf(Individual* individual) {
    FitnessMemory::Key key;
    EXPECT_TRUE(FitnessMemory::KeyOf(individual, key));
    return key;
  }
};

TEST_F(FitnessMemoryTest, KeysTellProgramsApartNodeForNode) {
  auto a = Holding(Node(&plus, {Node(&one), Node(&two)}));
  auto same = Holding(Node(&plus, {Node(&one), Node(&two)}));
  auto swapped = Holding(Node(&plus, {Node(&two), Node(&one)}));
  auto lone = Holding(Node(&one));
  FitnessMemory::Key ka = KeyOf(a.get());
  EXPECT_EQ(ka.words, KeyOf(same.get()).words);
  EXPECT_EQ(ka.hash, KeyOf(same.get()).hash);
  EXPECT_NE(ka.words, KeyOf(swapped.get()).words);
  EXPECT_NE(ka.words, KeyOf(lone.get()).words);
  // Only program trees of fitness individuals have keys.
  DoubleTypeFitnessIndividual empty(new GPChromosome(new HeadLispCode(nullptr)));
  FitnessMemory::Key none;
  EXPECT_FALSE(FitnessMemory::KeyOf(&empty, none));
  for (auto* individual : {a.get(), same.get(), swapped.get(), lone.get(), &empty}) individual->DeleteChromosome();
}

TEST_F(FitnessMemoryTest, RemembersThroughTheNextGenerationOnly) {
  auto a = Holding(Node(&plus, {Node(&one), Node(&two)}));
  auto b = Holding(Node(&one));
  FitnessMemory memory;
  FitnessMemory::Key ka = KeyOf(a.get());
  FitnessMemory::Key kb = KeyOf(b.get());
  double fitness = 0.0;
  std::string text;
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Nothing);
  memory.Remember(ka, 3.0, "line\n");
  memory.RememberFailure(kb);
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Fitness);
  EXPECT_EQ(fitness, 3.0);
  EXPECT_EQ(text, "line\n");
  EXPECT_EQ(memory.Recall(kb, fitness, text), FitnessMemory::Found::Failure);
  memory.NextGeneration();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Fitness);  // and kept on
  memory.NextGeneration();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Fitness);
  EXPECT_EQ(memory.Recall(kb, fitness, text), FitnessMemory::Found::Nothing);  // not asked for: gone
  memory.Clear();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Nothing);
  // Generations may end while nothing is asked for: what they would have
  // forgotten is forgotten all the same, and what was asked for lately kept.
  memory.Remember(ka, 4.0, "");
  memory.Remember(kb, 5.0, "");
  memory.NextGeneration();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Fitness);
  memory.NextGeneration();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Fitness);
  EXPECT_EQ(fitness, 4.0);
  memory.NextGeneration();
  memory.NextGeneration();
  memory.NextGeneration();
  EXPECT_EQ(memory.Recall(ka, fitness, text), FitnessMemory::Found::Nothing);
  EXPECT_EQ(memory.Recall(kb, fitness, text), FitnessMemory::Found::Nothing);
  a->DeleteChromosome();
  b->DeleteChromosome();
}

// Copies of one program are evaluated once; each still gets its fitness and
// the lines its evaluation would write, in order.
TEST_F(FitnessMemoryTest, CopiesAreNotEvaluatedAgain) {
  IntConstant thirteen{"13", 13};
  ValueProblem problem;
  ValueProblem::evaluations = 0;
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter(&comparator);
  Population population(60, &sorter);
  for (int i = 0; i < 60; ++i) {
    Head* root = i % 3 == 0 ? Node(&plus, {Node(&one), Node(&two)}) : i % 3 == 1 ? Node(&six) : Node(&thirteen);
    population.Add(Holding(root).release());
  }
  FitnessMemory memory;
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 2);
  evaluator->SetMemory(&memory);
  testing::internal::CaptureStderr();
  evaluator->Evaluate(&population);
  std::string written = testing::internal::GetCapturedStderr();
  std::string expected;
  for (int i = 2; i < 60; i += 3) expected += "Warning: thirteen at ValueProblem::FitnessFunction\n";
  EXPECT_EQ(written, expected);
  for (int i = 0; i < 60; ++i) {
    double fitness = dynamic_cast<DoubleTypeFitnessIndividual*>(population.GetUnsorted(i))->GetFitness();
    EXPECT_EQ(fitness, i % 3 == 0 ? 3.0 : i % 3 == 1 ? 6.0 : 13.0) << i;
  }
  // At most one evaluation per program and thread (two threads may meet the
  // same new program at once).
  EXPECT_GE(ValueProblem::evaluations.load(), 3);
  EXPECT_LE(ValueProblem::evaluations.load(), 6);
  population.DeleteAll();
}

TEST_F(FitnessMemoryTest, ACopyOfAFailingProgramFailsWhereTheSerialLoopWould) {
  IntConstant ninetyNine{"99", 99};
  EXPECT_EXIT(
      {
        ValueProblem problem;
        DoubleTypeFitnessIndividualLessComparator comparator;
        IndividualSorter sorter(&comparator);
        Population population(40, &sorter);
        for (int i = 0; i < 40; ++i) population.Add(Holding(i == 0 ? Node(&one) : Node(&ninetyNine)).release());
        FitnessMemory memory;
        std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
        evaluator->SetMemory(&memory);
        evaluator->Evaluate(&population);
      },
      ::testing::ExitedWithCode(1), "^Fatal error: ninety-nine at ValueProblem::FitnessFunction\n$");
}
// The one scoring function: a program met before takes its fitness and its
// lines from memory; a report under capture is left to the caller.
TEST_F(FitnessMemoryTest, ScoringTakesWhatMemoryKnowsAndLeavesReportsToTheCaller) {
  IntConstant thirteen{"13", 13}, ninetyNine{"99", 99};
  ValueProblem problem;
  ValueProblem::evaluations = 0;
  FitnessMemory memory;
  auto first = Holding(Node(&thirteen));
  auto again = Holding(Node(&thirteen));
  std::string text;
  const std::string warning = "Warning: thirteen at ValueProblem::FitnessFunction\n";
  testing::internal::CaptureStderr();
  EXPECT_EQ(Scoring::Score(&problem, &memory, first.get(), Scoring::Lines::AsTheyCome, text),
            Scoring::Outcome::Evaluated);
  EXPECT_EQ(text, warning);  // learnt by the memory, so captured
  EXPECT_EQ(Scoring::Score(&problem, &memory, again.get(), Scoring::Lines::AsTheyCome, text),
            Scoring::Outcome::Remembered);
  EXPECT_EQ(text, warning);
  EXPECT_EQ(again->GetFitness(), 13.0);
  EXPECT_EQ(ValueProblem::evaluations.load(), 1);
  // Without a memory, lines go out as they come unless asked to be captured.
  EXPECT_EQ(Scoring::Score(&problem, nullptr, first.get(), Scoring::Lines::AsTheyCome, text),
            Scoring::Outcome::Evaluated);
  EXPECT_EQ(text, "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), warning);

  auto failing = Holding(Node(&ninetyNine));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Scoring::Score(&problem, &memory, failing.get(), Scoring::Lines::Captured, text),
            Scoring::Outcome::Failed);
  EXPECT_EQ(Scoring::Score(&problem, &memory, failing.get(), Scoring::Lines::Captured, text),
            Scoring::Outcome::Failed);  // remembered as failing, not evaluated again
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(ValueProblem::evaluations.load(), 3);
  for (auto* individual : {first.get(), again.get(), failing.get()}) individual->DeleteChromosome();
}

// Scoring leaves the key it made for the member it scored, and a checkpoint
// lists the program from it: the same codes as a walk of the tree, also
// when the hashed slots of several pairs collide or the program holds more
// pairs than the codes can.
TEST_F(FitnessMemoryTest, TheLastKeyListsTheScoredProgram) {
  ValueProblem problem;
  FitnessMemory memory;
  auto program = Holding(Node(&plus, {Node(&plus, {Node(&six), Node(&one)}), Node(&two)}));
  auto other = Holding(Node(&one));
  std::string text;
  Scoring::Score(&problem, &memory, program.get(), Scoring::Lines::Captured, text);
  ASSERT_NE(Scoring::LastKey(program.get()), nullptr);
  EXPECT_EQ(Scoring::LastKey(other.get()), nullptr);
  ListingCodes fromKey, fromTree;
  ASSERT_TRUE(FitnessMemory::AppendListingCodes(*Scoring::LastKey(program.get()), fromKey));
  ASSERT_TRUE(static_cast<HeadLispCode*>(static_cast<GPChromosome*>(program->GetChromosome())->GetCode())->GetRoot()->AppendListingCodes(fromTree));
  std::string keyText, treeText;
  fromKey.AppendText(keyText);
  fromTree.AppendText(treeText);
  EXPECT_EQ(keyText, "Plus\t2\nPlus\t2\n6\t0\n1\t0\n2\t0\n");
  EXPECT_EQ(keyText, treeText);
  // Without a memory no key is made, and none is left over.
  Scoring::Score(&problem, nullptr, program.get(), Scoring::Lines::Captured, text);
  EXPECT_EQ(Scoring::LastKey(program.get()), nullptr);

  // Keys of many pairs: 300 operators (more than the codes hold) in words
  // that fill every hashed slot several times over.
  std::vector<std::unique_ptr<IntConstant>> constants;
  FitnessMemory::Key wide;
  for (int i = 0; i < 300; ++i) {
    constants.push_back(std::make_unique<IntConstant>(std::to_string(i), i));
    wide.words.push_back(reinterpret_cast<std::uintptr_t>(constants.back().get()));
  }
  wide.words.push_back(wide.words[3]);
  FitnessMemory::Key first(wide);
  first.words.resize(ListingCodes::kMaxPairs);
  first.words.push_back(wide.words[7]);
  ListingCodes codes;
  ASSERT_TRUE(FitnessMemory::AppendListingCodes(first, codes));
  std::string listed;
  codes.AppendText(listed);
  EXPECT_EQ(listed.substr(0, 8), "0\t0\n1\t0\n");
  EXPECT_EQ(listed.substr(listed.size() - 4), "7\t0\n");
  EXPECT_EQ(codes.Nodes(), ListingCodes::kMaxPairs + 1);
  ListingCodes full;
  EXPECT_FALSE(FitnessMemory::AppendListingCodes(wide, full));
  for (auto* individual : {program.get(), other.get()}) individual->DeleteChromosome();
}

// A generation of three programs in 60 copies: each program is evaluated
// once per thread at most, the rest come from memory, and the counts are the
// same on any number of threads.
TEST_F(FitnessMemoryTest, ThePipelineCountsEvaluationsAndRememberedFitnesses) {
  class CopyingEvolution : public Evolution {
   public:
    explicit CopyingEvolution(FitnessMemoryTest* test) : test(test) {}
    void Evolve(Population*, Population* to, int n) override {
      for (int i = 0; i < n; ++i) {
        Head* root = i % 3 == 0 ? Node(&test->plus, {Node(&test->one), Node(&test->two)})
                                : Node(i % 3 == 1 ? &test->six : &test->ninetyOne);
        to->Add(Holding(root).release());
      }
    }
    void Apply(Population* population, int n) override { Evolve(nullptr, population, n); }
    FitnessMemoryTest* test;
  } copying(this);
  for (int threads : {1, 2}) {
    ValueProblem problem;
    ValueProblem::evaluations = 0;
    DoubleTypeFitnessIndividualLessComparator comparator;
    IndividualSorter sorter(&comparator);
    Population population(60, &sorter);
    GenerationPipeline pipeline(&problem, threads);
    pipeline.StartRun();
    pipeline.MakeFirst(&copying, &population, 60);
    ASSERT_TRUE(pipeline.Score(&population));
    // The counts are those of one thread: a program two threads evaluated
    // at once counts once.
    EXPECT_EQ(pipeline.GetEvaluations(), 3);
    EXPECT_EQ(pipeline.GetRemembered(), 57);
    EXPECT_GE(ValueProblem::evaluations.load(), 3);
    EXPECT_LE(ValueProblem::evaluations.load(), 3 * threads);
    population.DeleteAll();
  }
}
// Thousands of programs, many sharing a hash (one the hash 0), remembered by
// one thread while another asks for them and the tables grow: what is found
// is always what was remembered, and afterwards everything is. A program two
// threads remember at once is kept once and counted as raced once. Ending
// generations on several threads forgets exactly what was not asked for,
// also where it was asked for while its table was outgrown.
TEST_F(FitnessMemoryTest, ThreadsRememberAndRecallAtOnce) {
  constexpr int kPrograms = 6000;
  auto keyOf = [](int i) {
    FitnessMemory::Key key;
    key.words.assign(static_cast<std::size_t>(1 + i % 7), static_cast<std::uintptr_t>(i) * 16 + 8);
    key.hash = i % 5 == 0 ? 0 : static_cast<std::uint64_t>(i % 97);  // every shard, long runs of one hash
    return key;
  };
  std::vector<FitnessMemory::Key> keys;
  for (int i = 0; i < kPrograms; ++i) keys.push_back(keyOf(i));
  FitnessMemory memory;
  std::atomic<bool> wrong{false};
  std::thread asking([&] {
    double fitness = 0.0;
    std::string text;
    for (int round = 0; round < 3; ++round) {
      for (int i = kPrograms; i-- > 0;) {
        FitnessMemory::Found found = memory.Recall(keys[static_cast<std::size_t>(i)], fitness, text);
        if (found == FitnessMemory::Found::Failure ||
            (found == FitnessMemory::Found::Fitness && fitness != i)) {
          wrong = true;
        }
      }
    }
  });
  for (int i = 0; i < kPrograms; ++i) memory.Remember(keys[static_cast<std::size_t>(i)], i, "");
  asking.join();
  EXPECT_FALSE(wrong);
  EXPECT_EQ(memory.TakeRaced(), 0);
  double fitness = -1.0;
  std::string text;
  for (int i = 0; i < kPrograms; ++i) {
    ASSERT_EQ(memory.Recall(keys[static_cast<std::size_t>(i)], fitness, text), FitnessMemory::Found::Fitness);
    ASSERT_EQ(fitness, i);
  }

  // Both threads remember the next programs: each is kept once.
  std::vector<FitnessMemory::Key> more;
  for (int i = kPrograms; i < 2 * kPrograms; ++i) more.push_back(keyOf(i));
  std::thread twin([&] {
    for (const FitnessMemory::Key& key : more) memory.RememberFailure(key);
  });
  for (const FitnessMemory::Key& key : more) memory.RememberFailure(key);
  twin.join();
  EXPECT_EQ(memory.TakeRaced(), kPrograms);

  // In the next generation one thread asks for the first programs and the
  // even ones of the others while another adds as many again (the tables
  // outgrown meanwhile): what was asked for is known in the generation
  // after, the rest forgotten.
  ThreadsSharing sharing(3);
  memory.NextGeneration(&sharing);
  std::thread adding([&] {
    for (int i = 2 * kPrograms; i < 3 * kPrograms; ++i) memory.Remember(keyOf(i), i, "");
  });
  for (int i = 0; i < kPrograms; ++i) {
    memory.Recall(keys[static_cast<std::size_t>(i)], fitness, text);
    if (i % 2 == 0) memory.Recall(more[static_cast<std::size_t>(i)], fitness, text);
  }
  adding.join();
  memory.NextGeneration(&sharing);
  for (int i = 0; i < kPrograms; ++i) {
    EXPECT_EQ(memory.Recall(keys[static_cast<std::size_t>(i)], fitness, text), FitnessMemory::Found::Fitness);
    EXPECT_EQ(memory.Recall(more[static_cast<std::size_t>(i)], fitness, text),
              i % 2 == 0 ? FitnessMemory::Found::Failure : FitnessMemory::Found::Nothing);
    ASSERT_EQ(memory.Recall(keyOf(2 * kPrograms + i), fitness, text), FitnessMemory::Found::Fitness);
    EXPECT_EQ(fitness, 2 * kPrograms + i);
  }
  EXPECT_GT(sharing.ownSteps + sharing.otherSteps, 0);

  // More generations than the cells' stamps count: a program asked for in
  // each is kept all along, one last asked for just before the stamps start
  // again is forgotten after.
  FitnessMemory lasting;
  lasting.Remember(keys[0], 1.0, "");
  lasting.Remember(keys[1], 2.0, "");
  for (int g = 1; g <= 70000; ++g) {
    lasting.NextGeneration();
    ASSERT_EQ(lasting.Recall(keys[0], fitness, text), FitnessMemory::Found::Fitness) << "generation " << g;
    if (g < 65536) lasting.Recall(keys[1], fitness, text);
  }
  EXPECT_EQ(lasting.Recall(keys[1], fitness, text), FitnessMemory::Found::Nothing);
}
}  // namespace
