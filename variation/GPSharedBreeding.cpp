#include "variation/GPSharedBreeding.h"

#include <typeinfo>
#include <utility>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/IndividualFactory.h"
#include "engine/Population.h"
#include "engine/Selection.h"
#include "foundation/CastFast.h"
#include "programs/FlatLispCode.h"
#include "variation/GPCrossover.h"
#include "variation/GPEvolution.h"
#include "variation/GPMutation.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

std::unique_ptr<SharedBreeding> GPSharedBreeding::Plan(GPWithMutationEvolution* scheme,
                                                       IndividualFactory* producer, Population* parents,
                                                       int n, const Utility& random) {
  auto* crossing = dynamic_cast<GPCrossoverEvolution*>(scheme->GetCrossoverPart());
  auto* mutating = dynamic_cast<GPMutationEvolution*>(scheme->GetMutationPart());
  auto* reproducing = dynamic_cast<GPReproductionEvolution*>(scheme->GetReproductionPart());
  if (crossing == nullptr || mutating == nullptr || reproducing == nullptr) return nullptr;
  GPCrossover* crossover = crossing->GetCrossover();
  // Its two draws, one point in each parent, are counted here.
  if (crossover == nullptr || typeid(*crossover) != typeid(GPDepthLimitCrossover)) return nullptr;
  if (mutating->GetMutation() == nullptr) return nullptr;
  std::unique_ptr<GPSharedBreeding> plan(new GPSharedBreeding());
  if (!plan->Lay(parents, producer, crossing->GetSelection(), mutating->GetSelection(),
                 reproducing->GetSelection(), scheme->SplitOf(n), n, 2)) {
    return nullptr;
  }
  plan->crossover = crossover;
  plan->mutation = mutating->GetMutation();
  plan->start = random;
  plan->mutantRecipes.resize(static_cast<std::size_t>(plan->mutants));
  if (plan->mutants == 0) {
    plan->restStart = plan->mutantStart;
    plan->plannedWell = true;
    plan->planned.store(true, std::memory_order_release);
  }
  return plan;
}

GPSharedBreeding::~GPSharedBreeding() {
  for (ProgramRecipe& recipe : mutantRecipes) recipe.Discard();
}

long long GPSharedBreeding::Draws() const {
  // Before the mutants are planned (a round cut short), as if they drew
  // nothing.
  if (!planned.load(std::memory_order_acquire))
    return mutantStart + static_cast<long long>(rest) * restTournament;
  return BreedingParts::Draws();
}

FlatLispCode* GPSharedBreeding::FlatOf(Individual* parent) {
  auto* chromosome = CastFast<GPChromosome>(parent->GetChromosome());
  if (chromosome == nullptr || !chromosome->IsMade()) return nullptr;
  auto* flat = CastFast<FlatLispCode>(chromosome->GetCode());
  return flat != nullptr && flat->GetRoot() != nullptr ? flat : nullptr;
}

void GPSharedBreeding::Prepare() {
  if (planned.load(std::memory_order_relaxed)) return;
  // Whatever happens here (a report is thrown in the window), the parts
  // waiting for the mutants learn of it.
  struct Publish {
    GPSharedBreeding* plan;
    ~Publish() { plan->planned.store(true, std::memory_order_release); }
  } publish{this};
  Utility random = start;
  random.Skip(mutantStart);
  long long from = random.Position();
  {
    ThreadUtility drawing(&random);
    for (int j = 0; j < mutants; ++j) {
      FlatLispCode* code = FlatOf(mutationSelection->Select(parents));
      if (code == nullptr) return;
      mutantRecipes[static_cast<std::size_t>(j)] = mutation->Plan(code);
    }
  }
  restStart = mutantStart + (random.Position() - from);
  plannedWell = true;
}

bool GPSharedBreeding::MutantsReady() const {
  while (!planned.load(std::memory_order_acquire)) {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
  }
  return plannedWell;
}

bool GPSharedBreeding::Breed(Population* next, int k, int slot, Utility* random, long long& drawn) {
  int from = Part(k);
  int end = Part(k + 1);
  int mutantsFrom = elite + crossed;
  int restFrom = mutantsFrom + mutants;
  // Parts of mutants and reproductions wait for the mutants' plan.
  if (end > mutantsFrom && !MutantsReady()) return false;
  ThreadUtility drawing(random);
  auto moveTo = [&](long long at) {
    random->Skip(at - drawn);
    drawn = at;
  };
  auto place = [&](int i, const ProgramRecipe& recipe) {
    next->Place(i, producer->CreateIndividual(new GPChromosome(recipe)), slot);
  };
  for (int i = from; i < end;) {
    if (i < elite) {
      // The i-th best, as the elite scheme takes them.
      FlatLispCode* code = FlatOf(parents->Get(i));
      if (code == nullptr) return false;
      place(i, ProgramRecipe::Copy(code->GetRoot()));
      ++i;
    } else if (i < mutantsFrom) {
      // A part begins at a pair's first child.
      moveTo(static_cast<long long>((i - elite) / 2) * pairDraws);
      FlatLispCode* first = FlatOf(crossoverSelection->Select(parents));
      FlatLispCode* second = FlatOf(crossoverSelection->Select(parents));
      if (first == nullptr || second == nullptr) return false;
      CrossoverRecipes children = crossover->Plan(first, second);
      drawn += pairDraws;
      place(i, children.first);
      ++i;
      // The second child of the last pair of an odd count is never added.
      if (i < mutantsFrom) {
        place(i, children.second);
        ++i;
      } else {
        children.second.Discard();
      }
    } else if (i < restFrom) {
      // Planned already; the recipe goes to the offspring.
      ProgramRecipe& recipe = mutantRecipes[static_cast<std::size_t>(i - mutantsFrom)];
      place(i, recipe);
      recipe = ProgramRecipe();
      ++i;
    } else {
      moveTo(restStart + static_cast<long long>(i - restFrom) * restTournament);
      FlatLispCode* code = FlatOf(restSelection->Select(parents));
      if (code == nullptr) return false;
      drawn += restTournament;
      place(i, ProgramRecipe::Copy(code->GetRoot()));
      ++i;
    }
  }
  return true;
}
