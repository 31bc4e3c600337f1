#include "engine/Problem.h"

#include <typeinfo>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/CastFast.h"
#include "foundation/Exception.h"

DoubleTypeFitnessIndividual* Problem::CastIndividual(Individual* individual) {
  auto* cast = CastFast<DoubleTypeFitnessIndividual>(individual);
  if (cast == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", ClassNameOf(*this),
                              "FitnessFunction");
  }
  return cast;
}

GPChromosome* Problem::CastGPChromosome(DoubleTypeFitnessIndividual* individual) {
  auto* cast = CastFast<GPChromosome>(individual->GetChromosome());
  if (cast == nullptr) {
    GetException()->CastError("Chromosome", "GPChromosome", ClassNameOf(*this), "FitnessFunction");
  }
  return cast;
}

GAChromosome* Problem::CastGAChromosome(DoubleTypeFitnessIndividual* individual) {
  auto* cast = CastFast<GAChromosome>(individual->GetChromosome());
  if (cast == nullptr) {
    GetException()->CastError("Chromosome", "GAChromosome", ClassNameOf(*this), "FitnessFunction");
  }
  return cast;
}
