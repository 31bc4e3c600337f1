#include "engine/Problem.h"

#include <typeinfo>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Exception.h"

DoubleTypeFitnessIndividual* Problem::CastIndividual(Individual* individual) {
  // The exact class is the common case, and comparing classes is cheaper
  // than a cast.
  if (individual != nullptr && typeid(*individual) == typeid(DoubleTypeFitnessIndividual)) {
    return static_cast<DoubleTypeFitnessIndividual*>(individual);
  }
  auto* cast = dynamic_cast<DoubleTypeFitnessIndividual*>(individual);
  if (cast == nullptr) {
    GetException()->CastError("Individual", "DoubleTypeFitnessIndividual", ClassNameOf(*this),
                              "FitnessFunction");
  }
  return cast;
}

GPChromosome* Problem::CastGPChromosome(DoubleTypeFitnessIndividual* individual) {
  Chromosome* chromosome = individual->GetChromosome();
  if (chromosome != nullptr && typeid(*chromosome) == typeid(GPChromosome)) {
    return static_cast<GPChromosome*>(chromosome);
  }
  auto* cast = dynamic_cast<GPChromosome*>(chromosome);
  if (cast == nullptr) {
    GetException()->CastError("Chromosome", "GPChromosome", ClassNameOf(*this), "FitnessFunction");
  }
  return cast;
}

GAChromosome* Problem::CastGAChromosome(DoubleTypeFitnessIndividual* individual) {
  auto* cast = dynamic_cast<GAChromosome*>(individual->GetChromosome());
  if (cast == nullptr) {
    GetException()->CastError("Chromosome", "GAChromosome", ClassNameOf(*this), "FitnessFunction");
  }
  return cast;
}
