#include "variation/GAEvolution.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/FakeLispCode.h"
#include "engine/Population.h"
#include "foundation/Utility.h"
#include "run/GAProducer.h"
#include "variation/GACrossover.h"
#include "variation/GAMutation.h"
#include "variation/GATestRun.h"

namespace {
using ::testing::ExitedWithCode;

std::string Report(const std::string& lines) { return "^" + ExactLine(lines) + "$"; }

// Adds n all-zero strings and remembers n.
class CountingEvolution : public Evolution {
 public:
  CountingEvolution(GAProducer* producer, std::vector<int>* counts) : producer(producer), counts(counts) {}
  void Evolve(Population*, Population* to, int n) override {
    counts->push_back(n);
    for (int i = 0; i < n; ++i) to->Add(producer->CreateIndividual(new GAChromosome(BitsOf("000000"))));
  }
  void Apply(Population*, int) override {}

 private:
  GAProducer* producer;
  std::vector<int>* counts;
};

// A GA producer of population 10 on a problem of 2 variables of 3 bits.
class GAEvolutionTest : public ::testing::Test {
 protected:
  GAEvolutionTest() {
    DeleteLog();
    producer = std::make_unique<GAProducer>(WriteGARunFiles(
        dir, "MultiVariate 2 3 Rastrigin 1\n",
        "population_size 10\nmax_generation 5\niteration_num 1\nseed 1\ntournament_size 1\nelite_size 1\n"));
    from.reset(producer->CreatePopulation());
    to.reset(producer->CreatePopulation());
  }
  ~GAEvolutionTest() override {
    from->DeleteAll();
    to->DeleteAll();
  }
  std::string Genes(Population* population, int i) {
    return population->GetUnsorted(i)->GetChromosome()->ToString();
  }
  IntArray* GenesAt(Population* population, int i) {
    return dynamic_cast<GAChromosome*>(population->GetUnsorted(i)->GetChromosome())->GetGenes();
  }

  ScratchDir dir;
  std::unique_ptr<GAProducer> producer;
  std::unique_ptr<Population> from;
  std::unique_ptr<Population> to;
  TournamentSelection uniform{1};
};

TEST_F(GAEvolutionTest, GenerationDrawsEveryGeneWithRandomIntOfTwo) {
  Utility reference;
  reference.Seed(11);
  GetUtility()->Seed(11);
  GAGenerationEvolution generation(producer.get(), 6);
  generation.Evolve(from.get(), to.get(), 3);
  ASSERT_EQ(to->Size(), 3);
  for (int k = 0; k < 3; ++k) {
    std::string expected;
    for (int i = 0; i < 6; ++i) expected += std::to_string(reference.RandomInt(2));
    EXPECT_EQ(Genes(to.get(), k), expected);
    EXPECT_EQ(GenesAt(to.get(), k)->Capacity(), 6);
  }
  EXPECT_EQ(from->Size(), 0);
}

TEST_F(GAEvolutionTest, EliteCopiesTheBestFirstAndDrawsNothing) {
  from->Add(BitIndividual("110000", 3));
  from->Add(BitIndividual("000001", 1));
  from->Add(BitIndividual("000010", 2));
  Utility reference;
  reference.Seed(4);
  GetUtility()->Seed(4);
  GAEliteEvolution elite(producer.get());
  elite.Evolve(from.get(), to.get(), 2);
  ASSERT_EQ(to->Size(), 2);
  EXPECT_EQ(Genes(to.get(), 0), "000001");
  EXPECT_EQ(Genes(to.get(), 1), "000010");
  GenesAt(from.get(), 0)->Set(0, 1);  // the copies are independent
  EXPECT_EQ(Genes(to.get(), 0), "000001");
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
}

TEST_F(GAEvolutionTest, CrossoverSelectsTwoParentsThenCutsAndKeepsBothChildren) {
  from->Add(BitIndividual("111111", 1));
  from->Add(BitIndividual("000000", 0));
  Utility reference;
  reference.Seed(21);
  GetUtility()->Seed(21);
  GAOnePointCrossover crossover;
  GACrossoverEvolution scheme(&crossover, &uniform, producer.get());
  scheme.Evolve(from.get(), to.get(), 3);  // two pairs, the last second child dropped
  ASSERT_EQ(to->Size(), 3);
  const char* parents[] = {"000000", "111111"};  // sorted best first
  std::vector<std::string> expected;
  for (int pair = 0; pair < 2; ++pair) {
    std::string a = parents[reference.RandomInt(2)];
    std::string b = parents[reference.RandomInt(2)];
    int point = 1 + reference.RandomInt(5);
    expected.push_back(a.substr(0, point) + b.substr(point));
    expected.push_back(b.substr(0, point) + a.substr(point));
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Genes(to.get(), i), expected[i]) << i;
  EXPECT_EQ(Genes(from.get(), 0), "000000");
  EXPECT_EQ(Genes(from.get(), 1), "111111");
  EXPECT_EQ(GetUtility()->NextWord(), reference.NextWord());
}

TEST_F(GAEvolutionTest, MutationAndReproductionWorkOnCopies) {
  from->Add(BitIndividual("100110", 0));
  GABitFlipMutation flipAll(1.0);
  GAMutationEvolution mutants(&flipAll, &uniform, producer.get());
  GAReproductionEvolution copies(&uniform, producer.get());
  mutants.Evolve(from.get(), to.get(), 2);
  copies.Evolve(from.get(), to.get(), 1);
  ASSERT_EQ(to->Size(), 3);
  EXPECT_EQ(Genes(to.get(), 0), "011001");
  EXPECT_EQ(Genes(to.get(), 1), "011001");
  EXPECT_EQ(Genes(to.get(), 2), "100110");
  EXPECT_EQ(Genes(from.get(), 0), "100110");
  EXPECT_NE(GenesAt(to.get(), 2), GenesAt(from.get(), 0));
  // In place: the population's own strings change and nothing is added.
  mutants.Apply(from.get(), 1);
  EXPECT_EQ(from->Size(), 1);
  EXPECT_EQ(Genes(from.get(), 0), "011001");
}

TEST_F(GAEvolutionTest, CompositeSplitsTheGenerationInOrder) {
  std::vector<int> crossed;
  std::vector<int> mutated;
  std::vector<int> reproduced;
  CountingEvolution c(producer.get(), &crossed);
  CountingEvolution m(producer.get(), &mutated);
  CountingEvolution r(producer.get(), &reproduced);
  for (int i = 0; i < 10; ++i) from->Add(BitIndividual(i % 2 == 0 ? "101010" : "010101", i));
  GAWithMutationEvolution composite(&c, &m, &r, producer.get(), 2, 0.5, 0.3);
  composite.Evolve(from.get(), to.get(), 10);
  // r = 8: 4 crossover offspring, trunc(2.4) = 2 mutants, 2 reproductions.
  EXPECT_EQ(crossed, std::vector<int>{4});
  EXPECT_EQ(mutated, std::vector<int>{2});
  EXPECT_EQ(reproduced, std::vector<int>{2});
  ASSERT_EQ(to->Size(), 10);
  EXPECT_EQ(Genes(to.get(), 0), "101010");
  EXPECT_EQ(Genes(to.get(), 1), "010101");
  for (int i = 2; i < 10; ++i) EXPECT_EQ(Genes(to.get(), i), "000000");
}

TEST_F(GAEvolutionTest, CountsAreTruncatedAndAlwaysAddUpToTheGeneration) {
  std::vector<int> none;
  CountingEvolution idle(producer.get(), &none);
  GAWithMutationEvolution large(&idle, &idle, &idle, producer.get(), 1, 0.9, 0.05);
  EXPECT_EQ(large.CrossoverCount(100), 89);  // 89.1
  EXPECT_EQ(large.MutationCount(100), 4);    // 4.95
  struct Case {
    int n, e;
    double cr, mr;
  };
  for (Case k : {Case{10, 0, 0.0, 0.0}, Case{10, 3, 1.0, 0.0}, Case{7, 1, 0.9, 0.1}, Case{10, 10, 0.5, 0.5}}) {
    std::vector<int> counts;
    CountingEvolution counting(producer.get(), &counts);
    GAWithMutationEvolution composite(&counting, &counting, &counting, producer.get(), k.e, k.cr, k.mr);
    for (int i = 0; i < k.n; ++i) from->Add(BitIndividual("000000", i));
    composite.Evolve(from.get(), to.get(), k.n);
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(k.e + counts[0] + counts[1] + counts[2], k.n);
    EXPECT_EQ(to->Size(), k.n);
    from->DeleteAll();
    to->DeleteAll();
  }
}

// With copies deferred, every offspring (elite copies, crossover children,
// mutants, reproductions) is added as a recipe on its parents' strings,
// after the same draws, and made later it is the string made at once.
TEST_F(GAEvolutionTest, DeferredOffspringAreTheCopiesMadeLater) {
  const char* strings[] = {"101100", "010011", "111000", "000111", "110011"};
  for (int i = 0; i < 10; ++i) from->Add(BitIndividual(strings[i % 5], i));
  TournamentSelection tournament{3};
  WholeScheme scheme(&tournament, producer.get(), 0.3, 2, 0.5, 0.3);
  GAWithMutationEvolution& composite = scheme.composite;
  EXPECT_TRUE(composite.AddsFinishedIndividuals());
  std::unique_ptr<Population> made(producer->CreatePopulation());
  Population& later = *made;
  GetUtility()->Seed(17);
  composite.Evolve(from.get(), to.get(), 10);
  std::uint32_t next = GetUtility()->NextWord();
  GetUtility()->Seed(17);
  composite.DeferCopies(true);
  composite.Evolve(from.get(), &later, 10);
  composite.DeferCopies(false);
  EXPECT_EQ(GetUtility()->NextWord(), next);
  ASSERT_EQ(later.Size(), 10);
  for (int i = 0; i < 10; ++i) {
    auto* chromosome = dynamic_cast<GAChromosome*>(later.GetUnsorted(i)->GetChromosome());
    EXPECT_FALSE(chromosome->IsMade()) << i;
    chromosome->Make();
    EXPECT_TRUE(chromosome->IsMade());
    EXPECT_EQ(Genes(&later, i), Genes(to.get(), i)) << i;
    EXPECT_EQ(GenesAt(&later, i)->Capacity(), GenesAt(to.get(), i)->Capacity());
  }
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Genes(from.get(), i), strings[i % 5]);
  later.DeleteAll();
}

TEST_F(GAEvolutionTest, SchemesRefuseProgramIndividuals) {
  from->Add(MakeIndividual("x", 1));
  GAReproductionEvolution copies(&uniform, producer.get());
  EXPECT_EXIT(copies.Evolve(from.get(), to.get(), 1), ExitedWithCode(1),
              Report("Cast from Chromosome to GAChromosome failed at GAReproductionEvolution::Evolve\n"));
}
// The stop is requested while the second crossover pair is selected: that
// pair is finished, and nothing is added after it, by any part.
TEST_F(GAEvolutionTest, EverySchemeEndsBetweenOffspringOnceAStopIsRequested) {
  class StoppingSelection : public TournamentSelection {
   public:
    StoppingSelection(StopRequest* stop, int at) : TournamentSelection(1), stop(stop), at(at) {}
    Individual* Select(Population* population) override {
      if (++made == at) stop->Request();
      return TournamentSelection::Select(population);
    }
    StopRequest* stop;
    int at;
    int made = 0;
  };
  for (int i = 0; i < 10; ++i) from->Add(BitIndividual(i % 2 == 0 ? "101010" : "010101", i));
  StopRequest stop;
  StoppingSelection selection(&stop, 3);
  WholeScheme scheme(&selection, producer.get(), 0.5, 1, 0.5, 0.2);
  GAWithMutationEvolution& composite = scheme.composite;
  composite.WatchStop(&stop);
  composite.Evolve(from.get(), to.get(), 10);  // 1 elite, then 4 crossover offspring of 9
  EXPECT_EQ(to->Size(), 5);
  EXPECT_EQ(selection.made, 4);
  // No longer watched: the whole generation.
  to->DeleteAll();
  composite.WatchStop(nullptr);
  composite.Evolve(from.get(), to.get(), 10);
  EXPECT_EQ(to->Size(), 10);
  // The first generation too.
  to->DeleteAll();
  GAGenerationEvolution generation(producer.get(), 6);
  generation.WatchStop(&stop);
  generation.Apply(to.get(), 10);
  EXPECT_EQ(to->Size(), 0);
}
}  // namespace
