// Evaluates given programs on the problem of a run's input files and prints
// each one's fitness, so that scripts/bench-lilgp.sh can check that its
// peer's apps give the same fitness for the same programs. Programs are read
// from standard input, one a line, written as node-set table words with
// bracketed arguments: "or2(and2(b0,b1),b2)". Each gives a line
// "fitness %.17g".
//
// Usage: morvane2-fitness-of [FILE-LIST]   (in the run's working folder)
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "ProgramText.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Problem.h"
#include "programs/OperatorRegister.h"
#include "run/GPProducer.h"

int main(int argc, char** argv) {
  std::string fileList = argc > 1 ? argv[1] : "input/files.txt";
  auto producer = std::make_unique<GPProducer>(fileList);
  Problem* problem = producer->GetProblem();
  OperatorRegister operators(100);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.empty()) continue;
    DoubleTypeFitnessIndividual individual(new GPChromosome(ParseProgram(operators, line)));
    problem->FitnessFunction(&individual);
    std::printf("fitness %.17g\n", individual.GetFitness());
  }
  return 0;
}
