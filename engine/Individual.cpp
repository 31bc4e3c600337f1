#include "engine/Individual.h"

#include <cstdio>

#include "config/IndividualVisitor.h"
#include "engine/Chromosome.h"
#include "foundation/AskForMemory.h"

Individual::Individual(Chromosome* chromosome) : chromosome(chromosome) {}

Individual::~Individual() { Individual::DeleteChromosome(); }

void Individual::AskToRelease() const {
  AskToWrite(this);
  if (chromosome != nullptr) chromosome->AskToRelease();
}

void Individual::DeleteChromosome() {
  if (chromosome == nullptr) return;
  chromosome->DeleteContents();
  delete chromosome;
  chromosome = nullptr;
}

DoubleTypeFitnessIndividual::DoubleTypeFitnessIndividual(Chromosome* chromosome)
    : Individual(chromosome) {}

void DoubleTypeFitnessIndividual::Accept(IndividualVisitor* visitor) { visitor->Visit(this); }

std::string DoubleTypeFitnessIndividual::ToString() {
  char text[64];
  std::snprintf(text, sizeof text, "%G", fitness);
  return text;
}

Individual* DoubleTypeFitnessIndividual::Clone() {
  auto* copy = new DoubleTypeFitnessIndividual(GetChromosome()->Clone());
  copy->SetFitness(fitness);
  return copy;
}
