// A member of a population: its chromosome plus the fitness a problem gave it
// (lower is better). IndividualArray is the fixed-capacity list of them.
#pragma once

#include <string>

#include "engine/PooledObject.h"
#include "foundation/Array.h"

class Chromosome;
class IndividualVisitor;

class Individual : public PooledObject {
 public:
  // Takes ownership of chromosome.
  explicit Individual(Chromosome* chromosome);
  Individual(const Individual&) = delete;
  Individual& operator=(const Individual&) = delete;
  // Releases the chromosome if DeleteChromosome has not done so already.
  virtual ~Individual();

  virtual Chromosome* GetChromosome() { return chromosome; }
  virtual void Accept(IndividualVisitor* visitor) = 0;
  // Destroys the chromosome's contents and the chromosome object.
  virtual void DeleteChromosome();
  // Asks for the memory that destroying this member frees to be written,
  // some time before it is destroyed (see Chromosome::AskToRelease).
  void AskToRelease() const;
  virtual std::string ToString() = 0;
  // A deep copy: the clone shares nothing with this individual.
  virtual Individual* Clone() = 0;

 private:
  Chromosome* chromosome;
};

class DoubleTypeFitnessIndividual : public Individual {
 public:
  // Takes ownership of chromosome. The fitness means nothing until the
  // problem has evaluated the individual; it starts at 0.
  explicit DoubleTypeFitnessIndividual(Chromosome* chromosome);

  double GetFitness() const { return fitness; }
  void SetFitness(double value) { fitness = value; }

  void Accept(IndividualVisitor* visitor) override;
  // The fitness in the C conversion "%G": 0.25, 12, 1E+06.
  std::string ToString() override;
  Individual* Clone() override;

 private:
  double fitness = 0.0;
};

class IndividualArray : public PointerArray<Individual> {
 public:
  explicit IndividualArray(int capacity) : PointerArray<Individual>(capacity) {}
  // Deletes every individual object in index order and empties the array.
  void DeleteAll() { DeletePointees(); }
};
