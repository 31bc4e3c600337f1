// What the generation schemes need of the run's assembler: a new individual
// around a chromosome. The producers implement it.
#pragma once

class Chromosome;
class Individual;

class IndividualFactory {
 public:
  virtual ~IndividualFactory() = default;
  // A new individual holding chromosome (taken over), owned by the caller.
  virtual Individual* CreateIndividual(Chromosome* chromosome) = 0;
};
