#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/Evolution.h"
#include "engine/FakeLispCode.h"
#include "engine/GenerationPipeline.h"
#include "engine/IndividualComparator.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "foundation/Utility.h"

namespace {
// Scores a fake program by its value; scoring the program valued stopAt
// requests a stop, and scorings begun after a request are counted as late.
// Its copies share the counts.
class StoppingProblem : public Problem {
 public:
  struct Shared {
    GenerationPipeline* pipeline = nullptr;
    double stopAt = -1.0;
    std::atomic<int> scored{0};
    std::atomic<int> late{0};
  };
  explicit StoppingProblem(std::shared_ptr<Shared> shared) : shared(std::move(shared)) {}
  void FitnessFunction(Individual* individual) override {
    if (shared->pipeline->IsStopRequested()) shared->late.fetch_add(1);
    shared->scored.fetch_add(1);
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    double value = FakeCodeOf(scored)->Value();
    scored->SetFitness(value);
    if (value == shared->stopAt) shared->pipeline->RequestStop();
  }
  Problem* Clone() override { return new StoppingProblem(shared); }

 private:
  std::shared_ptr<Shared> shared;
};

// Adds members valued first, first + 1, ...; after stopAfter of them it
// requests a stop, and like every scheme it ends early once one is requested.
class CountingEvolution : public Evolution {
 public:
  void Evolve(Population*, Population* to, int n) override {
    for (int k = 0; k < n && !StopRequested(); ++k) {
      to->Add(MakeIndividual("Q" + std::to_string(k), first + k));
      if (k + 1 == stopAfter) pipeline->RequestStop();
    }
  }
  void Apply(Population* population, int n) override {
    Evolve(nullptr, population, n);
    if (throwAtEnd) throw std::runtime_error("report");
  }
  bool AddsFinishedIndividuals() override { return true; }

  GenerationPipeline* pipeline = nullptr;
  double first = 0.0;
  int stopAfter = -1;
  // Apply ends in a thrown report (as reports are in the window).
  bool throwAtEnd = false;
};

// Draws one word per offspring, valued first + the word mod 1000, and
// offers its generations as parts of 16 that threads can share; a part
// numbered failPart says it can not be bred, and a stop is requested as
// part stopPart is bred (or, in order, its first offspring).
class DrawingEvolution : public CountingEvolution {
 public:
  static constexpr int kPart = 16;
  double ValueOf(std::uint32_t word) const { return first + word % 1000; }
  void Evolve(Population*, Population* to, int n) override {
    for (int k = 0; k < n && !StopRequested(); ++k) {
      if (k == stopPart * kPart) pipeline->RequestStop();
      to->Add(MakeIndividual("P", ValueOf(GetUtility()->NextWord())));
    }
  }
  std::unique_ptr<SharedBreeding> ShareBreeding(Population*, int n) override {
    return std::make_unique<Parts>(this, n);
  }

  std::atomic<int> partsBred{0};
  int failPart = -1;
  int stopPart = -1;
  // Prepare ends in a thrown report (as reports are in the window).
  bool throwInPrepare = false;

 private:
  class Parts : public SharedBreeding {
   public:
    Parts(DrawingEvolution* scheme, int n) : scheme(scheme), n(n) {}
    int Size() const override { return n; }
    long long Draws() const override { return n; }
    int PartCount() const override { return (n + kPart - 1) / kPart; }
    int Part(int k) const override { return std::min(n, kPart * k); }
    void Prepare() override {
      if (scheme->throwInPrepare) throw std::runtime_error("report");
    }
    bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) override {
      scheme->partsBred.fetch_add(1);
      if (k == scheme->failPart) return false;
      if (k == scheme->stopPart) scheme->pipeline->RequestStop();
      for (int i = Part(k); i < Part(k + 1); ++i) {
        random->Skip(i - drawn);
        drawn = i + 1;
        next->Place(i, MakeIndividual("P", scheme->ValueOf(random->NextWord())), slot);
      }
      return true;
    }

   private:
    DrawingEvolution* scheme;
    int n;
  };
};

class GenerationPipelineTest : public ::testing::TestWithParam<int> {
 protected:
  GenerationPipelineTest()
      : shared(std::make_shared<StoppingProblem::Shared>()),
        problem(shared),
        sorter(&comparator),
        pipeline(&problem, GetParam()) {
    shared->pipeline = &pipeline;
    breeding.pipeline = &pipeline;
  }
  std::unique_ptr<Population> NewPopulation() { return std::make_unique<Population>(200, &sorter); }
  // A first generation of 200 valued 100, 101, ..., scored and sorted.
  std::unique_ptr<Population> FirstScored() {
    std::unique_ptr<Population> first = NewPopulation();
    breeding.first = 100.0;
    pipeline.MakeFirst(&breeding, first.get(), 200);
    EXPECT_TRUE(pipeline.Score(first.get()));
    first->Sort();
    return first;
  }
  // A stop cut next short: its Score fails, and Unwind gives back whole,
  // the generation bred from, as it was (200 members valued 100, 101, ...
  // best first); the pipeline is then finished.
  void ExpectGivenBack(std::unique_ptr<Population> next, Population* whole) {
    EXPECT_FALSE(pipeline.Score(next.get()));
    std::unique_ptr<Population> back = pipeline.Unwind(std::move(next));
    ASSERT_EQ(back.get(), whole);
    ASSERT_EQ(back->Size(), 200);
    for (int i = 0; i < 200; ++i) {
      EXPECT_EQ(dynamic_cast<DoubleTypeFitnessIndividual*>(back->Get(i))->GetFitness(), 100.0 + i);
    }
    pipeline.Finish();
    back->DeleteAll();
  }

  std::shared_ptr<StoppingProblem::Shared> shared;
  StoppingProblem problem;
  DoubleTypeFitnessIndividualLessComparator comparator;
  IndividualSorter sorter;
  GenerationPipeline pipeline;
  CountingEvolution breeding;
};

// The generation bred from comes back whole: same members, same order, same
// fitnesses. Whatever was bred is destroyed (the sanitizer build checks).
TEST_P(GenerationPipelineTest, AStopWhileBreedingEndsItAtTheNextOffspringAndGivesBackTheParents) {
  std::unique_ptr<Population> current = FirstScored();
  Population* whole = current.get();

  std::unique_ptr<Population> next = NewPopulation();
  breeding.first = 1.0;
  breeding.stopAfter = 10;
  pipeline.Breed(&breeding, std::move(current), next.get(), 200);
  EXPECT_EQ(next->Size(), 10);
  ExpectGivenBack(std::move(next), whole);
}

// Each thread finishes the member it is scoring and starts no other.
TEST_P(GenerationPipelineTest, AStopWhileScoringEndsItWithinOneMemberPerThread) {
  std::unique_ptr<Population> current = NewPopulation();
  shared->stopAt = 50.0;
  pipeline.MakeFirst(&breeding, current.get(), 200);
  EXPECT_FALSE(pipeline.Score(current.get()));
  // How many were scored depends on the threads' timing: on a busy machine
  // the other thread may score every other member before the stop comes.
  EXPECT_LE(shared->late.load(), GetParam() - 1);
  if (GetParam() == 1) {
    EXPECT_LT(shared->scored.load(), 200);
  }
  // No generation before it: it comes back empty.
  Population* first = current.get();
  std::unique_ptr<Population> back = pipeline.Unwind(std::move(current));
  EXPECT_EQ(back.get(), first);
  EXPECT_EQ(back->Size(), 0);
  // The request holds: nothing more is made or scored.
  pipeline.MakeFirst(&breeding, back.get(), 200);
  EXPECT_EQ(back->Size(), 0);
  EXPECT_FALSE(pipeline.Score(back.get()));
}

// Scored in full: the parents go, counted evaluations add up.
TEST_P(GenerationPipelineTest, WholeGenerationsRetireTheirParents) {
  std::unique_ptr<Population> current = NewPopulation();
  pipeline.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(pipeline.Score(current.get()));
  EXPECT_EQ(pipeline.GetEvaluations(), 200);
  EXPECT_EQ(pipeline.GetRemembered(), 0);
  for (int g = 0; g < 3; ++g) {
    current->Sort();
    std::unique_ptr<Population> next = NewPopulation();
    pipeline.Breed(&breeding, std::move(current), next.get(), 200);
    ASSERT_TRUE(pipeline.Score(next.get()));
    EXPECT_EQ(pipeline.GetEvaluations(), 200);
    current = std::move(next);
  }
  EXPECT_EQ(shared->scored.load(), 800);
  pipeline.Finish();
  current->DeleteAll();
}

// Whichever way a generation is scored (made first, bred in order, bred in
// parts), what was noted of each member as it was scored is there after a
// whole Score, in the members' order, and follows them through the sort.
TEST_P(GenerationPipelineTest, AWholeScoreLeavesEveryMembersFactsNoted) {
  auto expectNoted = [](Population* population) {
    const Population::ScoredFacts* facts = population->GetScoredFacts();
    ASSERT_NE(facts, nullptr);
    for (int i = 0; i < population->Size(); ++i) {
      Individual* member = population->GetUnsorted(i);
      EXPECT_EQ(facts[i].fitness, dynamic_cast<DoubleTypeFitnessIndividual*>(member)->GetFitness()) << i;
      EXPECT_EQ(facts[i].size, member->GetChromosome()->GetSize()) << i;
      EXPECT_EQ(facts[i].depth, member->GetChromosome()->GetDepth()) << i;
    }
  };
  std::unique_ptr<Population> current = NewPopulation();
  pipeline.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(pipeline.Score(current.get()));
  expectNoted(current.get());
  DrawingEvolution drawing;
  drawing.pipeline = &pipeline;
  for (Evolution* evolution : std::initializer_list<Evolution*>{&breeding, &drawing}) {
    pipeline.Sort(current.get());
    expectNoted(current.get());
    std::unique_ptr<Population> next = NewPopulation();
    pipeline.Breed(evolution, std::move(current), next.get(), 200);
    EXPECT_EQ(next->GetScoredFacts(), nullptr);
    ASSERT_TRUE(pipeline.Score(next.get()));
    expectNoted(next.get());
    current = std::move(next);
  }
  pipeline.Finish();
  current->DeleteAll();
}

// A problem that says threads gain it nothing is scored on the calling
// thread alone, whatever the thread count; its copies are never made.
TEST_P(GenerationPipelineTest, AProblemThatGainsNothingFromThreadsStaysOnTheCallingThread) {
  class AloneProblem : public StoppingProblem {
   public:
    AloneProblem(std::shared_ptr<Shared> shared, std::atomic<int>* elsewhere)
        : StoppingProblem(std::move(shared)), elsewhere(elsewhere) {}
    void FitnessFunction(Individual* individual) override {
      if (std::this_thread::get_id() != caller) elsewhere->fetch_add(1);
      StoppingProblem::FitnessFunction(individual);
    }
    Problem* Clone() override {
      elsewhere->fetch_add(1000);
      return nullptr;
    }
    bool GainsFromThreads() override { return false; }
    std::thread::id caller = std::this_thread::get_id();
    std::atomic<int>* elsewhere;
  };
  std::atomic<int> elsewhere{0};
  AloneProblem alone(shared, &elsewhere);
  GenerationPipeline serial(&alone, GetParam());
  shared->pipeline = &serial;
  breeding.pipeline = &serial;
  std::unique_ptr<Population> current = NewPopulation();
  serial.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(serial.Score(current.get()));
  for (int g = 0; g < 2; ++g) {
    current->Sort();
    std::unique_ptr<Population> next = NewPopulation();
    serial.Breed(&breeding, std::move(current), next.get(), 200);
    ASSERT_TRUE(serial.Score(next.get()));
    current = std::move(next);
  }
  serial.SetThreadCount(GetParam() + 1);
  current->Sort();
  std::unique_ptr<Population> next = NewPopulation();
  serial.Breed(&breeding, std::move(current), next.get(), 200);
  ASSERT_TRUE(serial.Score(next.get()));
  EXPECT_EQ(shared->scored.load(), 800);
  EXPECT_EQ(elsewhere.load(), 0);
  serial.Finish();
  next->DeleteAll();
}

// A program that notes the thread that destroys it.
class NotingCode : public FakeLispCode {
 public:
  struct Threads {
    std::mutex mutex;
    std::vector<std::thread::id> ids;
  };
  NotingCode(const std::string& text, double value, Threads* threads) : FakeLispCode(text, value), threads(threads) {}
  void DeleteTree() override {
    {
      std::lock_guard<std::mutex> lock(threads->mutex);
      threads->ids.push_back(std::this_thread::get_id());
    }
    FakeLispCode::DeleteTree();
  }

 private:
  Threads* threads;
};

// Makes its members of noting programs, to be freed where they were made.
class LocalEvolution : public CountingEvolution {
 public:
  void Evolve(Population*, Population* to, int n) override {
    for (int k = 0; k < n; ++k) {
      auto* member = new DoubleTypeFitnessIndividual(new GPChromosome(new NotingCode("L", k, &threads)));
      to->Add(member);
    }
  }
  bool FreedWhereMade() const override { return true; }
  NotingCode::Threads threads;
};

// Members to be freed where they were made are all destroyed by the thread
// that bred them, however many threads score them.
TEST_P(GenerationPipelineTest, MembersFreedWhereMadeAreDestroyedByTheBreedingThread) {
  // Generations large enough for the workers to be at work while the next
  // is bred and scored (where they would otherwise destroy members).
  constexpr int kSize = 5000;
  constexpr int kGenerations = 6;
  LocalEvolution local;
  auto current = std::make_unique<Population>(kSize, &sorter);
  pipeline.MakeFirst(&local, current.get(), kSize);
  ASSERT_TRUE(pipeline.Score(current.get()));
  for (int g = 1; g < kGenerations; ++g) {
    current->Sort();
    auto next = std::make_unique<Population>(kSize, &sorter);
    pipeline.Breed(&local, std::move(current), next.get(), kSize);
    ASSERT_TRUE(pipeline.Score(next.get()));
    current = std::move(next);
  }
  pipeline.Finish();
  current->DeleteAll();
  ASSERT_EQ(local.threads.ids.size(), static_cast<std::size_t>(kSize * kGenerations));
  std::size_t elsewhere = 0;
  for (std::thread::id id : local.threads.ids) elsewhere += id != std::this_thread::get_id() ? 1 : 0;
  EXPECT_EQ(elsewhere, 0U);
}

// A watch sees each member of the one generation it was set for once, with
// its fitness and its index, whichever thread scored it; the next
// generation goes unwatched.
TEST_P(GenerationPipelineTest, AWatchSeesEachMemberOfOneGenerationOnce) {
  std::unique_ptr<Population> current = NewPopulation();
  pipeline.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(pipeline.Score(current.get()));
  current->Sort();
  std::vector<Individual*> seen(200, nullptr);
  std::atomic<int> calls{0};
  std::atomic<int> unscored{0};
  pipeline.WatchNextScored([&](int index, Individual* member) {
    calls.fetch_add(1);
    if (dynamic_cast<DoubleTypeFitnessIndividual*>(member)->GetFitness() != FakeCodeOf(member)->Value()) {
      unscored.fetch_add(1);
    }
    seen[static_cast<std::size_t>(index)] = member;
  });
  std::unique_ptr<Population> next = NewPopulation();
  breeding.first = 1000.0;
  pipeline.Breed(&breeding, std::move(current), next.get(), 200);
  ASSERT_TRUE(pipeline.Score(next.get()));
  EXPECT_EQ(calls.load(), 200);
  EXPECT_EQ(unscored.load(), 0);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], next->GetUnsorted(i));

  next->Sort();
  std::unique_ptr<Population> after = NewPopulation();
  pipeline.Breed(&breeding, std::move(next), after.get(), 200);
  ASSERT_TRUE(pipeline.Score(after.get()));
  EXPECT_EQ(calls.load(), 200);
  pipeline.Finish();
  after->DeleteAll();
}

// A stop made while workers score members as they are bred leaves Score at
// once; the workers finish their members first, and none calls the watch
// after Score has returned (it is gone with the generation).
TEST_P(GenerationPipelineTest, NoWatchIsCalledAfterAStoppedScore) {
  if (GetParam() == 1) GTEST_SKIP() << "no workers score while breeding";
  std::unique_ptr<Population> current = NewPopulation();
  pipeline.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(pipeline.Score(current.get()));
  current->Sort();
  std::atomic<int> entered{0};
  std::atomic<bool> returned{false};
  std::atomic<int> late{0};
  pipeline.WatchNextScored([&](int, Individual*) {
    entered.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    if (returned.load()) late.fetch_add(1);
  });
  std::unique_ptr<Population> next = NewPopulation();
  pipeline.Breed(&breeding, std::move(current), next.get(), 200);
  for (int wait = 0; entered.load() == 0 && wait < 5000; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_GT(entered.load(), 0);
  pipeline.RequestStop();
  EXPECT_FALSE(pipeline.Score(next.get()));
  returned.store(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(late.load(), 0);
  std::unique_ptr<Population> back = pipeline.Unwind(std::move(next));
  pipeline.Finish();
  back->DeleteAll();
}

// The first generation's members are scored as they are made; a report
// thrown while it is made leaves no thread scoring any of them, so that the
// caller may destroy them at once.
TEST_P(GenerationPipelineTest, AReportWhileTheFirstGenerationIsMadeLeavesNoThreadOnIt) {
  std::atomic<bool> returned{false};
  std::atomic<int> late{0};
  pipeline.WatchNextScored([&](int, Individual*) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (returned.load()) late.fetch_add(1);
  });
  std::unique_ptr<Population> first = NewPopulation();
  breeding.throwAtEnd = true;
  EXPECT_THROW(pipeline.MakeFirst(&breeding, first.get(), 200), std::runtime_error);
  returned.store(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(late.load(), 0);
  EXPECT_EQ(first->Size(), 200);
  first->DeleteAll();
  pipeline.Finish();
}

// A scheme that offers its breeding in parts is bred and scored in parts on
// several threads, and in order on one; either way, and where a part can
// not be bred after all, the generation, its scores and the generator after
// it are those of breeding in order.
TEST_P(GenerationPipelineTest, BreedingInPartsLeavesWhatBreedingInOrderLeaves) {
  for (int failPart : {-1, 3}) {
    SCOPED_TRACE(failPart);
    DrawingEvolution drawing;
    drawing.pipeline = &pipeline;
    drawing.first = 1.0;
    drawing.failPart = failPart;
    std::unique_ptr<Population> current = NewPopulation();
    pipeline.MakeFirst(&breeding, current.get(), 200);
    ASSERT_TRUE(pipeline.Score(current.get()));
    current->Sort();
    GetUtility()->Seed(7U);
    Utility expected = *GetUtility();
    std::unique_ptr<Population> next = NewPopulation();
    pipeline.Breed(&drawing, std::move(current), next.get(), 199);
    ASSERT_TRUE(pipeline.Score(next.get()));
    EXPECT_EQ(pipeline.GetEvaluations(), 199);
    EXPECT_EQ(drawing.partsBred.load() > 0, GetParam() > 1);
    ASSERT_EQ(next->Size(), 199);
    for (int i = 0; i < 199; ++i) {
      double value = drawing.ValueOf(expected.NextWord());
      EXPECT_EQ(dynamic_cast<DoubleTypeFitnessIndividual*>(next->GetUnsorted(i))->GetFitness(), value) << i;
    }
    EXPECT_EQ(GetUtility()->NextWord(), expected.NextWord());
    pipeline.Finish();
    next->DeleteAll();
  }
}

// A stop while parts are bred gives back the parents, whole, and nothing
// of what was bred.
TEST_P(GenerationPipelineTest, AStopWhileBreedingInPartsGivesBackTheParents) {
  DrawingEvolution drawing;
  drawing.pipeline = &pipeline;
  drawing.stopPart = 2;
  std::unique_ptr<Population> current = FirstScored();
  Population* whole = current.get();
  std::unique_ptr<Population> next = NewPopulation();
  pipeline.Breed(&drawing, std::move(current), next.get(), 200);
  ExpectGivenBack(std::move(next), whole);
}

// A report thrown while the breeding thread prepares the parts leaves no
// thread in the round and nothing of the generation; the parents stay with
// the pipeline until its Finish.
TEST_P(GenerationPipelineTest, AReportWhilePartsArePreparedLeavesNothingOfTheGeneration) {
  if (GetParam() == 1) GTEST_SKIP() << "bred in order on one thread";
  DrawingEvolution drawing;
  drawing.pipeline = &pipeline;
  drawing.throwInPrepare = true;
  std::unique_ptr<Population> current = NewPopulation();
  pipeline.MakeFirst(&breeding, current.get(), 200);
  ASSERT_TRUE(pipeline.Score(current.get()));
  current->Sort();
  std::unique_ptr<Population> next = NewPopulation();
  EXPECT_THROW(pipeline.Breed(&drawing, std::move(current), next.get(), 200), std::runtime_error);
  EXPECT_EQ(next->Size(), 0);
  pipeline.Finish();
}

INSTANTIATE_TEST_SUITE_P(Threads, GenerationPipelineTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param) + (info.param == 1 ? "Thread" : "Threads");
                         });
}  // namespace
