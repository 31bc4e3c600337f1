// A generation scheme: makes individuals for a population, from another
// population (Evolve) or in place (Apply).
#pragma once

class Population;

class Evolution {
 public:
  virtual ~Evolution() = default;
  // Adds n new individuals to the population to, made from from.
  virtual void Evolve(Population* from, Population* to, int n) = 0;
  // Works on one population.
  virtual void Apply(Population* population, int n) = 0;
  // Whether every individual Evolve adds is finished when it is added (the
  // scheme never changes it afterwards), so that it may be evaluated while
  // Evolve goes on.
  virtual bool AddsFinishedIndividuals() { return false; }
};
