#include "variation/GASharedBreeding.h"

#include <typeinfo>
#include <utility>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "engine/Selection.h"
#include "foundation/CastFast.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "variation/GACrossover.h"
#include "variation/GAEvolution.h"
#include "variation/GAMutation.h"

std::unique_ptr<SharedBreeding> GASharedBreeding::Plan(GAWithMutationEvolution* scheme,
                                                       IndividualFactory* producer, Population* parents,
                                                       int n) {
  auto* crossing = dynamic_cast<GACrossoverEvolution*>(scheme->GetCrossoverPart());
  auto* mutating = dynamic_cast<GAMutationEvolution*>(scheme->GetMutationPart());
  auto* reproducing = dynamic_cast<GAReproductionEvolution*>(scheme->GetReproductionPart());
  if (crossing == nullptr || mutating == nullptr || reproducing == nullptr) return nullptr;
  GACrossover* crossover = crossing->GetCrossover();
  GAMutation* mutation = mutating->GetMutation();
  if (crossover == nullptr || typeid(*crossover) != typeid(GAOnePointCrossover)) return nullptr;
  if (mutation == nullptr || typeid(*mutation) != typeid(GABitFlipMutation)) return nullptr;
  std::unique_ptr<GASharedBreeding> plan(new GASharedBreeding());
  // One cut per pair.
  if (!plan->Lay(parents, producer, crossing->GetSelection(), mutating->GetSelection(),
                 reproducing->GetSelection(), scheme->SplitOf(n), n, 1)) {
    return nullptr;
  }
  auto* chromosome = CastFast<GAChromosome>(parents->Get(0)->GetChromosome());
  if (chromosome == nullptr || chromosome->MadeGenes() == nullptr) return nullptr;
  plan->length = chromosome->MadeGenes()->Size();
  plan->crossover = static_cast<GAOnePointCrossover*>(crossover);
  plan->mutation = mutation;
  plan->mutantDraws = static_cast<long long>(plan->mutationSelection->GetTournamentSize()) + plan->length;
  plan->restStart = plan->mutantStart + static_cast<long long>(plan->mutants) * plan->mutantDraws;
  return plan;
}

bool GASharedBreeding::Breed(Population* next, int k, int slot, Utility* random, long long& drawn) {
  int from = Part(k);
  int count = Part(k + 1) - from;
  // The draws first, all of them in their order; then the parents' genes,
  // looked up together: most parents were scored by another thread, and
  // each lookup is three reads from memory another core wrote, which
  // overlap when they do not wait for one another.
  struct Offspring {
    int first = -1;  // in chosen
    int second = -1;
    int cut = 0;
    std::vector<int> flips;
  };
  Offspring planned[kMaxPart];
  Individual* chosen[2 * kMaxPart];
  int chosenCount = 0;
  {
    ThreadUtility drawing(random);
    auto moveTo = [&](long long at) {
      random->Skip(at - drawn);
      drawn = at;
    };
    int mutantsFrom = elite + crossed;
    int restFrom = mutantsFrom + mutants;
    for (int j = 0; j < count;) {
      int i = from + j;
      Offspring& child = planned[j];
      if (i < elite) {
        // The i-th best, as the elite scheme takes them.
        chosen[chosenCount] = parents->Get(i);
        child.first = chosenCount++;
        ++j;
      } else if (i < mutantsFrom) {
        // A part begins at a pair's first child.
        moveTo(static_cast<long long>((i - elite) / 2) * pairDraws);
        chosen[chosenCount] = crossoverSelection->Select(parents);
        chosen[chosenCount + 1] = crossoverSelection->Select(parents);
        child.first = chosenCount;
        child.second = chosenCount + 1;
        chosenCount += 2;
        // Drawn now, for the plan's length: the parents are looked at below.
        child.cut = crossover->DrawCut(length);
        drawn += pairDraws;
        ++j;
        // The second child of the last pair of an odd count is never added.
        if (i + 1 < mutantsFrom) {
          planned[j].first = child.second;
          planned[j].second = child.first;
          planned[j].cut = child.cut;
          ++j;
        }
      } else if (i < restFrom) {
        moveTo(mutantStart + static_cast<long long>(i - mutantsFrom) * mutantDraws);
        chosen[chosenCount] = mutationSelection->Select(parents);
        child.first = chosenCount++;
        mutation->PlanFlips(length, child.flips);
        drawn += mutantDraws;
        ++j;
      } else {
        moveTo(restStart + static_cast<long long>(i - restFrom) * restTournament);
        chosen[chosenCount] = restSelection->Select(parents);
        child.first = chosenCount++;
        drawn += restTournament;
        ++j;
      }
    }
  }
  // Each sweep's reads are independent of one another.
  Chromosome* chromosomes[2 * kMaxPart];
  for (int c = 0; c < chosenCount; ++c) chromosomes[c] = chosen[c]->GetChromosome();
  const IntArray* genes[2 * kMaxPart];
  for (int c = 0; c < chosenCount; ++c) {
    auto* strings = CastFast<GAChromosome>(chromosomes[c]);
    genes[c] = strings != nullptr ? strings->MadeGenes() : nullptr;
  }
  // A parent not a made string of the plan's length: the one thread would
  // have drawn otherwise for it, or reported.
  for (int c = 0; c < chosenCount; ++c) {
    if (genes[c] == nullptr || genes[c]->Size() != length) return false;
  }
  for (int j = 0; j < count; ++j) {
    Offspring& child = planned[j];
    GAChromosome::Recipe recipe{genes[child.first], child.second >= 0 ? genes[child.second] : nullptr,
                                child.cut, std::move(child.flips)};
    next->Place(from + j, producer->CreateIndividual(new GAChromosome(std::move(recipe))), slot);
  }
  return true;
}
