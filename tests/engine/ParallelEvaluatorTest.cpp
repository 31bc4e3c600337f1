#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "config/Register.h"
#include "engine/Chromosome.h"
#include "engine/FakeLispCode.h"
#include "engine/IndividualComparator.h"
#include "engine/ParallelEvaluator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/StopRequest.h"
#include "engine/TestRun.h"
#include "run/EvolutionarySystem.h"

namespace {
using ::testing::ExitedWithCode;

// A problem whose programs say what their evaluation does: "warn:M" writes
// the warning M, "key:K" looks up the missing parameter K (the key line and
// the register's report), "fail:M" reports M, "slowfail:M" reports M after a
// pause (so that later failures are met first); anything else just scores.
// The fitness is the program's value; 0 or less solves the problem.
class ScriptProblem : public Problem {
 public:
  void FitnessFunction(Individual* individual) override {
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    FakeLispCode* code = FakeCodeOf(scored);
    std::string text = code->ToString();
    std::string word = text.substr(0, text.find(':') + 1);
    std::string rest = text.substr(word.size());
    if (word == "warn:") GetException()->Warning(rest, "ScriptProblem", "FitnessFunction");
    if (word == "key:") {
      IntRegister parameters(1);
      parameters.Get(rest);
    }
    if (word == "slowfail:") std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (word == "fail:" || word == "slowfail:") GetException()->FatalError(rest, "ScriptProblem", "FitnessFunction");
    scored->SetFitness(code->Value());
    if (code->Value() <= 0.0) SetSolved();
  }
  Problem* Clone() override { return new ScriptProblem(); }
};

class ParallelEvaluatorTest : public ::testing::Test {
 protected:
  ParallelEvaluatorTest() : sorter(&comparator), population(200, &sorter) {}
  ~ParallelEvaluatorTest() override { population.DeleteAll(); }
  void Add(const std::string& text, double value) {
    Individual* individual = MakeIndividual(text, value);
    dynamic_cast<DoubleTypeFitnessIndividual*>(individual)->SetFitness(-99.0);
    population.Add(individual);
  }
  double FitnessAt(int i) {
    return dynamic_cast<DoubleTypeFitnessIndividual*>(population.GetUnsorted(i))->GetFitness();
  }

  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter;
  Population population;
  ScriptProblem problem;
};

TEST_F(ParallelEvaluatorTest, EveryMemberGetsItsFitnessAndACopysSolvedFlagCounts) {
  for (int i = 0; i < 200; ++i) Add("P" + std::to_string(i), i == 150 ? 0.0 : 1.0 + i);
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
  ASSERT_NE(evaluator, nullptr);
  EXPECT_EQ(evaluator->GetThreadCount(), 3);
  evaluator->Evaluate(&population);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(FitnessAt(i), i == 150 ? 0.0 : 1.0 + i) << i;
  EXPECT_EQ(problem.IsSolved(), 1);

  // A copy's flag from an earlier round does not carry over.
  problem.ResetSolved();
  FakeCodeOf(population.GetUnsorted(150))->Set("P150", 5.0);
  evaluator->Evaluate(&population);
  EXPECT_EQ(FitnessAt(150), 5.0);
  EXPECT_EQ(problem.IsSolved(), 0);
}

TEST_F(ParallelEvaluatorTest, NoCopiesOrOneThreadMeansNoEvaluator) {
  class Uncopyable : public ScriptProblem {
   public:
    Problem* Clone() override { return nullptr; }
  } uncopyable;
  EXPECT_EQ(ParallelEvaluator::Create(&uncopyable, 4), nullptr);
  EXPECT_EQ(ParallelEvaluator::Create(&problem, 1), nullptr);
}

TEST_F(ParallelEvaluatorTest, WarningsAreWrittenInIndexOrderAfterTheRound) {
  for (int i = 0; i < 60; ++i) Add(i % 10 == 3 ? "warn:w" + std::to_string(i) : "P", 1.0);
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 2);
  testing::internal::CaptureStderr();
  evaluator->Evaluate(&population);
  std::string written = testing::internal::GetCapturedStderr();
  std::string expected;
  for (int i = 3; i < 60; i += 10) expected += "Warning: w" + std::to_string(i) + " at ScriptProblem::FitnessFunction\n";
  EXPECT_EQ(written, expected);
}

// The serial loop would meet individual 3 first: its key line and report are
// the only lines after the warning of individual 1, although the failures
// after it are met sooner by the other threads.
TEST_F(ParallelEvaluatorTest, TheReportOfTheFirstFailingIndividualEndsTheProcess) {
  EXPECT_EXIT(
      {
        Add("P", 1.0);
        Add("warn:first", 1.0);
        Add("P", 1.0);
        Add("key:missing_key", 1.0);
        Add("warn:after", 1.0);
        for (int i = 0; i < 100; ++i) Add("fail:later" + std::to_string(i), 1.0);
        std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 4);
        evaluator->Evaluate(&population);
      },
      ExitedWithCode(1),
      "^" + ExactLine("Warning: first at ScriptProblem::FitnessFunction\nmissing_key\n"
                      "Fatal error: Can not find  at IntRegister::Create\n") + "$");
  EXPECT_EXIT(
      {
        Add("P", 1.0);
        Add("slowfail:slow", 1.0);
        for (int i = 0; i < 100; ++i) Add("fail:later" + std::to_string(i), 1.0);
        std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 4);
        evaluator->Evaluate(&population);
      },
      ExitedWithCode(1), "^" + ExactLine("Fatal error: slow at ScriptProblem::FitnessFunction\n") + "$");
}

// Members evaluated while they are being added give what evaluating them all
// afterwards gives; a round given up leaves nothing running.
TEST_F(ParallelEvaluatorTest, MembersAreEvaluatedAsTheyAreAdded) {
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
  evaluator->EvaluateAsAdded(&population);
  for (int i = 0; i < 200; ++i) {
    Add("P" + std::to_string(i), i == 77 ? -1.0 : 2.0 * i);
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  evaluator->Evaluate(&population);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(FitnessAt(i), i == 77 ? -1.0 : 2.0 * i) << i;
  EXPECT_EQ(problem.IsSolved(), 1);

  Population other(200, &sorter);
  evaluator->EvaluateAsAdded(&other);
  other.Add(MakeIndividual("Q", 1.0));
  evaluator->Abandon();
  other.DeleteAll();
  // A round given up does not count for the next one.
  problem.ResetSolved();
  evaluator->Evaluate(&population);
  EXPECT_EQ(problem.IsSolved(), 1);
}

// While members are still being added, the other threads leave the latest
// batch of them (Population::kPublishEvery) to the thread adding them: its
// objects share cache lines with the next ones.
TEST_F(ParallelEvaluatorTest, TheLatestMembersAddedAreLeftToTheirMaker) {
  const int batch = Population::kPublishEvery;
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 2);
  std::atomic<int> scored{0};
  std::atomic<int> beyond{0};
  Scoring::Watch watch = [&](int index, Individual*) {
    if (index < 2 * batch) ++scored;
    if (index >= 2 * batch) ++beyond;
  };
  evaluator->SetWatch(&watch);
  evaluator->EvaluateAsAdded(&population);
  for (int i = 0; i < 3 * batch; ++i) Add("P" + std::to_string(i), 1.0 + i);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (scored.load() < 2 * batch && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(scored.load(), 2 * batch);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(beyond.load(), 0);
  evaluator->Evaluate(&population);
  EXPECT_EQ(beyond.load(), batch);
  evaluator->SetWatch(nullptr);
  for (int i = 0; i < 3 * batch; ++i) EXPECT_EQ(FitnessAt(i), 1.0 + i) << i;
}

TEST_F(ParallelEvaluatorTest, AReportMetWhileMembersAreAddedIsTheFirstFailures) {
  EXPECT_EXIT(
      {
        std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
        evaluator->EvaluateAsAdded(&population);
        Add("P", 1.0);
        Add("warn:early", 1.0);
        Add("slowfail:first", 1.0);
        for (int i = 0; i < 50; ++i) Add("fail:later" + std::to_string(i), 1.0);
        evaluator->Evaluate(&population);
      },
      ExitedWithCode(1),
      "^" + ExactLine("Warning: early at ScriptProblem::FitnessFunction\nFatal error: first at ScriptProblem::FitnessFunction\n") + "$");
}

// A chromosome that names the thread that made it, whatever that is.
class PlacedChromosome : public GPChromosome {
 public:
  PlacedChromosome(FakeLispCode* code, int made) : GPChromosome(code), made(made) {}
  int GetMaker() const override { return made; }

 private:
  int made;
};

// Members preferring a thread (any, one that exists, one that does not) are
// each evaluated exactly once, wherever they end up; members retired with
// any maker are all destroyed (the sanitizer build sees a leak otherwise).
TEST_F(ParallelEvaluatorTest, PreferredThreadsDecideNothingButWhereMembersGo) {
  class CountingProblem : public ScriptProblem {
   public:
    explicit CountingProblem(std::shared_ptr<std::atomic<int>[]> counts) : counts(std::move(counts)) {}
    void FitnessFunction(Individual* individual) override {
      ScriptProblem::FitnessFunction(individual);
      counts[static_cast<std::size_t>(FakeCodeOf(individual)->Value())].fetch_add(1);
    }
    Problem* Clone() override { return new CountingProblem(counts); }
    std::shared_ptr<std::atomic<int>[]> counts;
  };
  const int places[] = {-1, 0, 1, 2, 7};
  auto counts = std::shared_ptr<std::atomic<int>[]>(new std::atomic<int>[201]());
  CountingProblem counting(counts);
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&counting, 3);
  for (int round = 0; round < 3; ++round) {
    auto members = std::make_unique<Population>(200, &sorter);
    evaluator->EvaluateAsAdded(members.get());
    for (int i = 0; i < 200; ++i) {
      auto* chromosome = new PlacedChromosome(new FakeLispCode("P", i + 1.0), places[(i / 5) % 5]);
      members->Add(new DoubleTypeFitnessIndividual(chromosome), places[i % 5]);
    }
    evaluator->Evaluate(members.get());
    EXPECT_TRUE(evaluator->PreparedAll());
    for (int i = 0; i < 200; ++i) {
      EXPECT_EQ(dynamic_cast<DoubleTypeFitnessIndividual*>(members->GetUnsorted(i))->GetFitness(), i + 1.0);
    }
    evaluator->Retire(std::move(members));
  }
  evaluator->FinishRetiring();
  for (int i = 0; i < 200; ++i) EXPECT_EQ(counts[static_cast<std::size_t>(i + 1)].load(), 3) << i;
}

// Retired members are each destroyed once, whether their population was
// scored on the threads in full (found in the lanes of the threads that
// scored them, also after a sort), cut short, or never scored.
TEST_F(ParallelEvaluatorTest, RetiredMembersAreEachDestroyedOnce) {
  auto destroyed = std::shared_ptr<std::atomic<int>[]>(new std::atomic<int>[600]());
  class CountedChromosome : public GPChromosome {
   public:
    CountedChromosome(int id, std::shared_ptr<std::atomic<int>[]> destroyed)
        : GPChromosome(new FakeLispCode("P", id + 1.0)), id(id), destroyed(std::move(destroyed)) {}
    ~CountedChromosome() override { destroyed[static_cast<std::size_t>(id)].fetch_add(1); }

   private:
    int id;
    std::shared_ptr<std::atomic<int>[]> destroyed;
  };
  ScriptProblem problem;
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
  auto make = [&](int first, int count) {
    auto members = std::make_unique<Population>(count, &sorter);
    for (int i = first; i < first + count; ++i) {
      members->Add(new DoubleTypeFitnessIndividual(new CountedChromosome(i, destroyed)), i % 3);
    }
    return members;
  };
  std::unique_ptr<Population> scored = make(0, 200);
  evaluator->Evaluate(scored.get());
  ASSERT_TRUE(scored->ScoredLanesComplete());
  std::set<Individual*> inLanes;
  for (int lane = 0; lane < scored->ScoredLaneCount(); ++lane) {
    for (Individual* member : scored->ScoredLane(lane)) EXPECT_TRUE(inLanes.insert(member).second);
  }
  EXPECT_EQ(inLanes.size(), 200U);
  scored->Sort();
  EXPECT_TRUE(scored->ScoredLanesComplete());

  std::unique_ptr<Population> unscored = make(200, 200);
  EXPECT_FALSE(unscored->ScoredLanesComplete());

  // Cut short by a stop request while being added to: some members scored.
  StopRequest stop;
  evaluator->SetStop(&stop);
  auto cut = std::make_unique<Population>(200, &sorter);
  evaluator->EvaluateAsAdded(cut.get());
  for (int i = 400; i < 600; ++i) {
    if (i == 450) stop.Request();
    cut->Add(new DoubleTypeFitnessIndividual(new CountedChromosome(i, destroyed)));
  }
  EXPECT_FALSE(evaluator->Evaluate(cut.get()));
  EXPECT_FALSE(cut->ScoredLanesComplete());
  evaluator->SetStop(nullptr);

  evaluator->Retire(std::move(scored));
  evaluator->Retire(std::move(unscored));
  evaluator->Retire(std::move(cut));
  evaluator->FinishRetiring();
  for (int i = 0; i < 600; ++i) EXPECT_EQ(destroyed[static_cast<std::size_t>(i)].load(), 1) << i;
}

// A worker held up outside a round (here destroying a retired member of its
// own that takes its time) does not hold up the rounds the calling thread
// can finish alone: a round waits only for the workers that joined it.
TEST_F(ParallelEvaluatorTest, ARoundDoesNotWaitForAWorkerThatNeverJoinedIt) {
  struct Gate {
    std::atomic<bool> entered{false};
    std::atomic<bool> open{false};
    std::atomic<bool> left{false};
  };
  auto gate = std::make_shared<Gate>();
  class SlowChromosome : public PlacedChromosome {
   public:
    explicit SlowChromosome(std::shared_ptr<Gate> gate)
        : PlacedChromosome(new FakeLispCode("P", 1.0), 1), gate(std::move(gate)) {}
    ~SlowChromosome() override {
      gate->entered = true;
      // Bounded: a build that waits for this thread fails rather than hangs.
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!gate->open && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
      gate->left = true;
    }

   private:
    std::shared_ptr<Gate> gate;
  };
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 2);
  auto retired = std::make_unique<Population>(1, &sorter);
  retired->Add(new DoubleTypeFitnessIndividual(new SlowChromosome(gate)));
  evaluator->Retire(std::move(retired));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!gate->entered && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_TRUE(gate->entered);

  for (int i = 0; i < 50; ++i) Add("P" + std::to_string(i), i + 1.0);
  EXPECT_TRUE(evaluator->Evaluate(&population));
  EXPECT_FALSE(gate->left) << "the round waited for the held-up worker";
  gate->open = true;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(FitnessAt(i), i + 1.0) << i;
  evaluator->FinishRetiring();
}

// Work shared between rounds runs on the workers too, and Share returns only
// once every worker that joined has left it; rounds go on as before after.
TEST_F(ParallelEvaluatorTest, SharedWorkRunsOnTheWorkersAndEndsBeforeShareReturns) {
  std::unique_ptr<ParallelEvaluator> evaluator = ParallelEvaluator::Create(&problem, 3);
  const std::thread::id caller = std::this_thread::get_id();
  for (int share = 0; share < 3; ++share) {
    std::atomic<int> taken{0};
    std::atomic<int> left{0};
    std::set<std::thread::id> threads;
    std::mutex seen;
    evaluator->Share([&]() -> bool {
      // One call a thread: each waits (bounded) until all three are in, a
      // worker then takes its time before it leaves.
      if (taken.fetch_add(1) >= 3) return false;
      {
        std::lock_guard<std::mutex> lock(seen);
        threads.insert(std::this_thread::get_id());
      }
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (taken.load() < 3 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
      if (std::this_thread::get_id() != caller) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++left;
      return false;
    });
    EXPECT_EQ(threads.size(), 3U) << "share " << share;
    EXPECT_EQ(left.load(), 3) << "share " << share;
  }
  // A step that throws on the calling thread leaves no worker in it.
  std::atomic<int> inside{0};
  EXPECT_THROW(evaluator->Share([&]() -> bool {
    if (std::this_thread::get_id() == caller) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      throw std::runtime_error("step");
    }
    ++inside;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    --inside;
    return false;
  }),
               std::runtime_error);
  EXPECT_EQ(inside.load(), 0);
  for (int i = 0; i < 100; ++i) Add("P" + std::to_string(i), i + 1.0);
  EXPECT_TRUE(evaluator->Evaluate(&population));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(FitnessAt(i), i + 1.0) << i;
}

TEST(ThreadCountTest, TheOptionalThreadsParameter) {
  ScratchDir dir;
  std::string base = "population_size 4\nmax_generation 0\niteration_num 1\nseed 7\n";
  int cores = static_cast<int>(std::thread::hardware_concurrency());
  if (cores < 1) cores = 1;
  {
    TestProducer producer(WriteRunFiles(dir, base));
    EXPECT_EQ(producer.GetThreadCount(), cores);
    EvolutionarySystem system(&producer);
    EXPECT_EQ(system.GetThreadCount(), cores);
  }
  {
    TestProducer producer(WriteRunFiles(dir, base + "threads 1\n"));
    EXPECT_EQ(producer.GetThreadCount(), 1);
  }
  {
    TestProducer producer(WriteRunFiles(dir, "threads 3\n" + base));
    EXPECT_EQ(producer.GetThreadCount(), 3);
  }
  {
    TestProducer producer(WriteRunFiles(dir, base + "threads 0\n"));
    EXPECT_EQ(producer.GetThreadCount(), cores);
  }
}
}  // namespace
