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
  plan->crossover = static_cast<GPDepthLimitCrossover*>(crossover);
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

FlatLispCode* GPSharedBreeding::FlatOf(Chromosome* made) {
  auto* chromosome = CastFast<GPChromosome>(made);
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
      FlatLispCode* code = FlatOf(mutationSelection->Select(parents)->GetChromosome());
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
  int count = Part(k + 1) - from;
  int mutantsFrom = elite + crossed;
  int restFrom = mutantsFrom + mutants;
  // Parts of mutants and reproductions wait for the mutants' plan.
  if (from + count > mutantsFrom && !MutantsReady()) return false;
  // The draws first, all of them in their order (a crossover point is one
  // draw whatever the parent's size, scaled to it below); then the parents'
  // programs, looked up together: most parents were scored by another
  // thread, and each lookup is three reads from memory another core wrote,
  // which overlap when they do not wait for one another.
  struct Offspring {
    int first = -1;  // in chosen; -1 for a mutant
    int second = -1;
    double unitFirst = 0.0;
    double unitSecond = 0.0;
    bool secondChild = false;
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
        child.unitFirst = random->Random01();
        child.unitSecond = random->Random01();
        drawn += pairDraws;
        ++j;
        // The second child of the last pair of an odd count is never added.
        if (i + 1 < mutantsFrom) {
          planned[j] = child;
          planned[j].secondChild = true;
          ++j;
        }
      } else if (i < restFrom) {
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
  FlatLispCode* codes[2 * kMaxPart];
  for (int c = 0; c < chosenCount; ++c) codes[c] = FlatOf(chromosomes[c]);
  // A parent not a flat program: the serial loops would make it one first.
  for (int c = 0; c < chosenCount; ++c) {
    if (codes[c] == nullptr) return false;
  }
  for (int j = 0; j < count; ++j) {
    int i = from + j;
    const Offspring& child = planned[j];
    ProgramRecipe recipe;
    if (i >= mutantsFrom && i < restFrom) {
      // Planned already; the recipe goes to the offspring.
      ProgramRecipe& mutant = mutantRecipes[static_cast<std::size_t>(i - mutantsFrom)];
      recipe = mutant;
      mutant = ProgramRecipe();
    } else if (child.second < 0) {
      recipe = ProgramRecipe::Copy(codes[child.first]->GetRoot());
    } else {
      CrossoverRecipes pair =
          crossover->PlanAt(codes[child.first], codes[child.second], child.unitFirst, child.unitSecond);
      recipe = child.secondChild ? pair.second : pair.first;
    }
    next->Place(i, producer->CreateIndividual(new GPChromosome(recipe)), slot);
  }
  return true;
}
