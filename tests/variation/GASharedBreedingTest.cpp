#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/Population.h"
#include "engine/Selection.h"
#include "foundation/Utility.h"
#include "variation/BreedingPartsTestSupport.h"
#include "variation/GASharedBreeding.h"
#include "variation/GATestRun.h"
#include "variation/GenerationSplit.h"

namespace {
// A GA producer (its population's room: 100) and parents of random strings
// of 9 genes with distinct fitnesses, prepared for sharing (as breeding in
// parts finds them).
class GASharedBreedingTest : public ::testing::Test {
 protected:
  GASharedBreedingTest() {
    DeleteLog();
    producer = std::make_unique<GAProducer>(WriteGARunFiles(
        dir, "MultiVariate 3 3 Rastrigin 1\n",
        "population_size 100\nmax_generation 5\niteration_num 1\nseed 1\ntournament_size 3\nelite_size 1\n"));
    parents.reset(producer->CreatePopulation());
    MakeParents(9, false);
  }
  // Replaces the parents with strings of length genes; with twos, every
  // seventh holds a 2 as well (its genes are not packed).
  void MakeParents(int length, bool twos) {
    parents->DeleteAll();
    Utility strings;
    strings.Seed(5U);
    for (int i = 0; i < 60; ++i) {
      std::string digits;
      for (int g = 0; g < length; ++g) digits += std::to_string(strings.RandomInt(2));
      if (twos && i % 7 == 3) digits[static_cast<std::size_t>(i % length)] = '2';
      parents->Add(BitIndividual(digits, 1000.0 - 7.0 * i));
    }
    for (int i = 0; i < parents->Size(); ++i) parents->GetUnsorted(i)->GetChromosome()->PrepareForSharing();
  }
  ~GASharedBreedingTest() override { parents->DeleteAll(); }

  static std::string Made(Population* population, int i) {
    auto* chromosome = dynamic_cast<GAChromosome*>(population->GetUnsorted(i)->GetChromosome());
    chromosome->Make();
    return chromosome->ToString();
  }

  ScratchDir dir;
  std::unique_ptr<GAProducer> producer;
  std::unique_ptr<Population> parents;
  TournamentSelection tournament{3};
};

// Two threads' worth of parts, each bred from its own copy of the generator
// in increasing order but interleaved with the other's, give the offspring
// of the serial loops, each at its index, and the generator of the thread
// that bred the last part stands where the serial loops leave the process's
// (as does one moved on by the plan's draws). The splits cover a crossover
// pair across a part's nominal end, an odd crossover count (its last second
// child dropped), no elite, and every part of the generation; the parents
// read from the members, then from their noted facts (as after scoring on
// several threads); strings of one word's bits and of three, some not
// packed (a gene 2), and too long to be packed.
TEST_F(GASharedBreedingTest, PartsBredApartOnTheirOwnGeneratorsAreTheSerialGeneration) {
  struct Split {
    int n;
    int elite;
    double crossRatio;
    double mutationRatio;
  };
  struct Strings {
    int length;
    bool twos;
  };
  for (Strings strings :
       {Strings{9, false}, Strings{150, true}, Strings{GAChromosome::kMostPacked + 1, false}})
    for (bool noted : {false, true}) {
      SCOPED_TRACE(strings.length);
      MakeParents(strings.length, strings.twos);
      if (noted) {
        for (int i = 0; i < parents->Size(); ++i) parents->NoteScored(i, parents->GetUnsorted(i));
        parents->TrustScoredFacts();
      }
      for (Split split : {Split{80, 1, 0.66, 0.2}, Split{45, 0, 0.7, 0.1}, Split{70, 3, 0.0, 1.0},
                          Split{33, 2, 0.0, 0.0}}) {
        SCOPED_TRACE(split.n);
        SCOPED_TRACE(noted);
        ASSERT_EQ(parents->GetScoredFacts() != nullptr, noted);
        WholeScheme scheme(&tournament, producer.get(), 0.2, split.elite, split.crossRatio,
                           split.mutationRatio);
        std::unique_ptr<Population> serial(producer->CreatePopulation());
        GetUtility()->Seed(41U);
        scheme.composite.DeferCopies(true);
        scheme.composite.Evolve(parents.get(), serial.get(), split.n);
        scheme.composite.DeferCopies(false);
        std::uint32_t after = GetUtility()->NextWord();

        GetUtility()->Seed(41U);
        Utility start = *GetUtility();
        std::unique_ptr<SharedBreeding> plan = scheme.composite.ShareBreeding(parents.get(), split.n);
        ASSERT_NE(plan, nullptr);
        ASSERT_EQ(plan->Size(), split.n);
        ASSERT_GE(plan->PartCount(), split.n / BreedingParts::kLeastPartSize);
        std::unique_ptr<Population> shared(producer->CreatePopulation());
        shared->OpenPlaces(split.n);
        TwoThreads threads;
        ASSERT_NO_FATAL_FAILURE(BreedAllParts(plan.get(), shared.get(), start, threads));
        shared->ClosePlaces(true);
        ASSERT_EQ(shared->Size(), serial->Size());
        for (int i = 0; i < split.n; ++i) EXPECT_EQ(Made(shared.get(), i), Made(serial.get(), i)) << i;
        EXPECT_EQ(threads.drawn[threads.last], plan->Draws());
        EXPECT_EQ(threads.copies[threads.last].NextWord(), after);
        start.Skip(plan->Draws());
        EXPECT_EQ(start.NextWord(), after);
        serial->DeleteAll();
        shared->DeleteAll();
      }
    }
}

// Larger generations are cut into larger parts, smaller again towards the
// generation's end (a 16th of what is left, from 32 to 128 offspring), each
// ending where a crossover pair does, none larger than a part may hold.
TEST_F(GASharedBreedingTest, PartsAreLargerWhereMoreIsLeftAndKeepPairsWhole) {
  EXPECT_EQ(BreedingParts::PartSizeFor(45), 32);
  EXPECT_EQ(BreedingParts::PartSizeFor(1000), 62);
  EXPECT_EQ(BreedingParts::PartSizeFor(60000), 128);
  for (int n : {45, 4000, 5001, 60000}) {
    SCOPED_TRACE(n);
    WholeScheme scheme(&tournament, producer.get(), 0.2, 1, 0.9, 0.05);
    std::unique_ptr<SharedBreeding> plan = scheme.composite.ShareBreeding(parents.get(), n);
    ASSERT_NE(plan, nullptr);
    GenerationSplit split = scheme.composite.SplitOf(n);
    ASSERT_GE(plan->PartCount(), 1);
    EXPECT_EQ(plan->Part(0), 0);
    EXPECT_EQ(plan->Part(plan->PartCount()), n);
    for (int k = 0; k < plan->PartCount(); ++k) {
      int from = plan->Part(k);
      int size = plan->Part(k + 1) - from;
      int asked = BreedingParts::PartSizeFor(n - from);
      EXPECT_LE(size, std::min(asked + 1, BreedingParts::kMaxPart)) << k;
      if (k + 1 < plan->PartCount()) {
        EXPECT_GE(size, asked) << k;
      }
      // Not the second child of a pair.
      if (from > split.elite && from < split.elite + split.crossover) {
        EXPECT_EQ((from - split.elite) % 2, 0) << k;
      }
    }
  }
}

// Where the serial loops would draw otherwise or report, there is no plan,
// or a part says it can not be bred: selections other than plain
// tournaments, counts past the generation, a parent of another length.
TEST_F(GASharedBreedingTest, WhatTheSerialLoopsWouldDoOtherwiseIsLeftToThem) {
  EliteSelection best;
  WholeScheme elite(&best, producer.get(), 0.2, 1, 0.5, 0.2);
  EXPECT_EQ(elite.composite.ShareBreeding(parents.get(), 40), nullptr);
  WholeScheme overfull(&tournament, producer.get(), 0.2, 1, 0.9, 0.5);
  EXPECT_EQ(overfull.composite.ShareBreeding(parents.get(), 40), nullptr);
  WholeScheme tooManyElite(&tournament, producer.get(), 0.2, 61, 0.0, 0.0);
  EXPECT_EQ(tooManyElite.composite.ShareBreeding(parents.get(), 80), nullptr);

  // The best (the plan's length is its), shorter than every other.
  parents->Add(BitIndividual("1010", 0.5));
  parents->Get(parents->Size() - 1)->GetChromosome()->PrepareForSharing();
  WholeScheme scheme(&tournament, producer.get(), 0.2, 1, 0.0, 1.0);
  std::unique_ptr<SharedBreeding> plan = scheme.composite.ShareBreeding(parents.get(), 100);
  ASSERT_NE(plan, nullptr);
  std::unique_ptr<Population> next(producer->CreatePopulation());
  next->OpenPlaces(100);
  GetUtility()->Seed(9U);
  Utility random = *GetUtility();
  long long drawn = 0;
  bool all = true;
  for (int k = 0; k < plan->PartCount(); ++k) all = plan->Breed(next.get(), k, 0, &random, drawn) && all;
  EXPECT_FALSE(all);
  next->ClosePlaces(false);
  EXPECT_EQ(next->Size(), 0);
}
}  // namespace
