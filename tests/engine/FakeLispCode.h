// A stand-in program for engine tests: a named value. Its "tree" is a heap
// object that only DeleteTree releases, so a forgotten DeleteTree shows up as
// a leak under LeakSanitizer. Also makes scored individuals around it.
#pragma once

#include <string>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "programs/LispCode.h"

class FakeLispCode : public LispCode {
 public:
  FakeLispCode(const std::string& text, double value) : tree(new Tree{text, value}) {}

  LispCodeComposer* CreateComposer() override { return nullptr; }
  void Evaluate(LispInterpreter*) override {}
  std::string ToString() override { return tree->text; }
  std::string ToSaveString() override { return tree->text + "\t0\n"; }
  void DeleteTree() override {
    delete tree;
    tree = nullptr;
  }
  LispCode* Clone() override { return new FakeLispCode(tree->text, tree->value); }
  LispCodeIterator* CreateIterator() override { return nullptr; }

  double Value() const { return tree->value; }
  void Set(const std::string& text, double value) {
    tree->text = text;
    tree->value = value;
  }

 private:
  struct Tree {
    std::string text;
    double value;
  };
  Tree* tree;
};

inline DoubleTypeFitnessIndividual* MakeIndividual(const std::string& text, double value) {
  auto* individual = new DoubleTypeFitnessIndividual(new GPChromosome(new FakeLispCode(text, value)));
  individual->SetFitness(value);
  return individual;
}

inline FakeLispCode* FakeCodeOf(Individual* individual) {
  return dynamic_cast<FakeLispCode*>(dynamic_cast<GPChromosome*>(individual->GetChromosome())->GetCode());
}
