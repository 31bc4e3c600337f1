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
  // The parts read the members' breeding forms as programs' root nodes: a
  // population holds one kind of chromosome.
  if (parents->Size() < 1 || CastFast<GPChromosome>(parents->GetUnsorted(0)->GetChromosome()) == nullptr) {
    return nullptr;
  }
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
    __builtin_ia32_pause();
#endif
  }
  return plannedWell;
}

bool GPSharedBreeding::Breed(Population* next, int k, int slot, Utility* random, long long& drawn) {
  int mutantsFrom = elite + crossed;
  int restFrom = mutantsFrom + mutants;
  // Parts of mutants and reproductions wait for the mutants' plan.
  if (Part(k + 1) > mutantsFrom && !MutantsReady()) return false;
  PartDraws part;
  // A crossover point is one draw whatever the parent's size: scaled to it
  // below, once the parents are looked up. The mutants were planned
  // already.
  double units[kMaxPart][2];
  DrawPart(
      k, random, drawn, part,
      [&](int j) {
        units[j][0] = random->Random01();
        units[j][1] = random->Random01();
      },
      [](PartDraws&, int, int) {});
  // The members are all programs (the plan looked at one): their root
  // nodes, where they are flat.
  const FlatNode* roots[2 * kMaxPart];
  for (int c = 0; c < part.chosenCount; ++c) roots[c] = static_cast<const FlatNode*>(part.forms[c]);
  // A parent not a flat program: the serial loops would make it one first.
  for (int c = 0; c < part.chosenCount; ++c) {
    if (roots[c] == nullptr) return false;
  }
  // Their root nodes (sizes) are read next, most from the other core's
  // memory: asked for all at once.
  for (int c = 0; c < part.chosenCount; ++c) __builtin_prefetch(roots[c]);
  // A pair's second child, planned with its first.
  ProgramRecipe second;
  for (int j = 0; j < part.count; ++j) {
    int i = part.from + j;
    const Offspring& child = part.offspring[j];
    ProgramRecipe recipe;
    if (i >= mutantsFrom && i < restFrom) {
      // Planned already; the recipe goes to the offspring.
      ProgramRecipe& mutant = mutantRecipes[static_cast<std::size_t>(i - mutantsFrom)];
      recipe = mutant;
      mutant = ProgramRecipe();
    } else if (child.second < 0) {
      recipe = ProgramRecipe::Copy(roots[child.first]);
    } else if (child.secondChild) {
      recipe = second;
    } else {
      CrossoverRecipes pair =
          crossover->PlanAt(roots[child.first], roots[child.second], units[j][0], units[j][1]);
      recipe = pair.first;
      second = pair.second;
    }
    next->Place(i, producer->CreateIndividual(new GPChromosome(recipe)), slot);
  }
  return true;
}
