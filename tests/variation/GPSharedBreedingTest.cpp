#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "foundation/Utility.h"
#include "run/GPProducer.h"
#include "variation/BreedingPartsTestSupport.h"
#include "variation/GPEvolution.h"
#include "variation/GPSharedBreeding.h"

namespace {
// Even 3-parity programs: a producer whose populations have room for 100,
// and 60 parents grown by its first generation's scheme, each with its own
// fitness, sorted and ready to be read by several threads.
class GPSharedBreedingTest : public ::testing::Test {
 protected:
  // noted: the parents' facts noted (see Population::NoteScored), as
  // after scoring on several threads; the parts then read them.
  void Start(double crossRatio, double mutationRatio, int elite, bool noted = false) {
    DeleteLog();
    dir.Write("files.txt", "log_setting " + dir.File("log.set") + "\nparameter " + dir.File("parameter.txt") +
                               "\nproblem " + dir.File("problem.txt") + "\ntable " + dir.File("table.txt") +
                               "\n");
    dir.Write("log.set", "a " + dir.Path() + "/ b\nlog log.txt\n");
    dir.Write("parameter.txt",
              "----- int_parameter\ninitial_depth 4\nmax_depth 8\nseed 3\niteration_num 1\nmax_generation 6\n"
              "population_size 100\nelite_size " +
                  std::to_string(elite) + "\ntournament_size 3\n-----\ndouble_parameter\ncrossover_ratio " +
                  std::to_string(crossRatio) + "\nmutation_ratio " + std::to_string(mutationRatio) + "\n");
    dir.Write("problem.txt", "Parity bool 3\n");
    dir.Write("table.txt", "1\tb0 b1 b2 \n1\tand2 or2 nand2 nor2 \n");
    if (parents) parents->DeleteAll();
    producer = std::make_unique<GPProducer>(dir.File("files.txt"));
    parents.reset(producer->CreatePopulation());
    GetUtility()->Seed(5U);
    producer->GetInitialEvolution()->Apply(parents.get(), 60);
    for (int i = 0; i < 60; ++i) {
      auto* member = dynamic_cast<DoubleTypeFitnessIndividual*>(parents->GetUnsorted(i));
      member->SetFitness(static_cast<double>((i * 37) % 60));
      member->GetChromosome()->PrepareForSharing();
      if (noted) parents->NoteScored(i, member);
    }
    if (noted) parents->TrustScoredFacts();
    parents->Sort();
    ASSERT_EQ(parents->GetScoredFacts() != nullptr, noted);
    scheme = dynamic_cast<GPWithMutationEvolution*>(producer->GetEvolution());
    ASSERT_NE(scheme, nullptr);
  }
  void TearDown() override {
    if (parents) parents->DeleteAll();
  }
  static std::string Made(Population* population, int i) {
    population->GetUnsorted(i)->GetChromosome()->Make();
    return population->GetUnsorted(i)->GetChromosome()->ToString();
  }

  ScratchDir dir;
  std::unique_ptr<GPProducer> producer;
  std::unique_ptr<Population> parents;
  GPWithMutationEvolution* scheme = nullptr;
};

// Two threads' worth of parts, each bred from its own copy of the generator
// in increasing order but interleaved with the other's, after the mutants
// were planned, give the offspring of the serial loops at their indices, and
// the generator ends where the serial loops leave it, whether the parents
// are read from their noted facts or from the members. The splits: a pair
// across a part's nominal end and mutants in the middle, mutants last, none.
TEST_F(GPSharedBreedingTest, PartsBredApartOnTheirOwnGeneratorsAreTheSerialGeneration) {
  struct Split {
    double crossRatio;
    double mutationRatio;
    int elite;
    bool noted;
  };
  for (Split split : {Split{0.66, 0.2, 1, false}, Split{0.66, 0.2, 1, true}, Split{0.3, 0.7, 0, true},
                      Split{0.9, 0.0, 2, false}}) {
    SCOPED_TRACE(split.crossRatio);
    SCOPED_TRACE(split.noted);
    Start(split.crossRatio, split.mutationRatio, split.elite, split.noted);
    std::unique_ptr<Population> serial(producer->CreatePopulation());
    GetUtility()->Seed(41U);
    scheme->DeferCopies(true);
    scheme->Evolve(parents.get(), serial.get(), 80);
    scheme->DeferCopies(false);
    std::uint32_t after = GetUtility()->NextWord();

    GetUtility()->Seed(41U);
    Utility start = *GetUtility();
    std::unique_ptr<SharedBreeding> plan = scheme->ShareBreeding(parents.get(), 80);
    ASSERT_NE(plan, nullptr);
    std::unique_ptr<Population> shared(producer->CreatePopulation());
    shared->OpenPlaces(80);
    plan->Prepare();
    TwoThreads threads;
    ASSERT_NO_FATAL_FAILURE(BreedAllParts(plan.get(), shared.get(), start, threads));
    shared->ClosePlaces(true);
    ASSERT_EQ(serial->Size(), 80);
    for (int i = 0; i < 80; ++i) EXPECT_EQ(Made(shared.get(), i), Made(serial.get(), i)) << i;
    start.Skip(plan->Draws());
    EXPECT_EQ(start.NextWord(), after);
    if (threads.drawn[threads.last] == plan->Draws()) {
      EXPECT_EQ(threads.copies[threads.last].NextWord(), after);
    }
    serial->DeleteAll();
    shared->DeleteAll();
    // The global generator's draws are the test's own again.
    GetUtility()->Seed(1U);
  }
}

// A part of mutants waits for them to be planned; parts before the mutants
// do not; a plan dropped before its mutants were placed discards them.
TEST_F(GPSharedBreedingTest, PartsOfMutantsWaitForThePlanOfTheMutants) {
  Start(0.5, 0.5, 0);
  GetUtility()->Seed(41U);
  Utility start = *GetUtility();
  std::unique_ptr<SharedBreeding> plan = scheme->ShareBreeding(parents.get(), 80);
  ASSERT_NE(plan, nullptr);
  std::unique_ptr<Population> next(producer->CreatePopulation());
  next->OpenPlaces(80);
  Utility first = start;
  long long firstDrawn = 0;
  ASSERT_TRUE(plan->Breed(next.get(), 0, 0, &first, firstDrawn));
  std::atomic<bool> done{false};
  Utility last = start;
  long long lastDrawn = 0;
  int lastPart = plan->PartCount() - 1;
  std::thread other([&] {
    EXPECT_TRUE(plan->Breed(next.get(), lastPart, 1, &last, lastDrawn));
    done.store(true);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(done.load());
  plan->Prepare();
  other.join();
  EXPECT_TRUE(done.load());
  next->ClosePlaces(false);
  plan.reset();
}
}  // namespace
