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
  PartDraws part;
  int cuts[kMaxPart];
  std::vector<int> flips[kMaxPart];
  DrawPart(
      k, random, drawn, part,
      // Drawn now, for the plan's length: the parents are looked at below.
      [&](int j) { cuts[j] = crossover->DrawCut(length); },
      [&](PartDraws& drawing, int j, int m) {
        MoveTo(random, drawn, mutantStart + static_cast<long long>(m) * mutantDraws);
        drawing.offspring[j].first = drawing.Choose(mutationSelection->SelectRank(parents));
        mutation->PlanFlips(length, flips[j]);
        drawn += mutantDraws;
      });
  const GAChromosome::Form* forms[2 * kMaxPart];
  // The members are all strings (the plan looked at one), prepared for
  // sharing.
  for (int c = 0; c < part.chosenCount; ++c) forms[c] = static_cast<const GAChromosome::Form*>(part.forms[c]);
  // Each form (a line or two) is read next, most from the other core's
  // memory: asked for all at once.
  for (int c = 0; c < part.chosenCount; ++c) {
    __builtin_prefetch(forms[c]);
    __builtin_prefetch(reinterpret_cast<const char*>(forms[c]) + sizeof(GAChromosome::Form) - 1);
  }
  // A parent not a made string of the plan's length: the one thread would
  // have drawn otherwise for it, or reported.
  for (int c = 0; c < part.chosenCount; ++c) {
    if (forms[c] == nullptr || forms[c]->length != length) return false;
  }
  // Where a parent's genes are packed, the child is made from its bits.
  auto packed = [&](int c) { return forms[c]->packed ? forms[c] : nullptr; };
  for (int j = 0; j < part.count; ++j) {
    const Offspring& child = part.offspring[j];
    GAChromosome::Recipe recipe;
    if (child.second < 0) {
      recipe.first = forms[child.first]->genes;
      recipe.firstForm = packed(child.first);
      recipe.flips = std::move(flips[j]);
    } else {
      // The second child of a pair: the parents' roles exchanged, the same
      // cut (drawn for the first child, just before it).
      int first = child.secondChild ? child.second : child.first;
      int second = child.secondChild ? child.first : child.second;
      recipe.first = forms[first]->genes;
      recipe.second = forms[second]->genes;
      recipe.firstForm = packed(first);
      recipe.secondForm = packed(second);
      recipe.cut = cuts[child.secondChild ? j - 1 : j];
    }
    next->Place(part.from + j, producer->CreateIndividual(new GAChromosome(std::move(recipe))), slot);
  }
  return true;
}
