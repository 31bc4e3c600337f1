// Input files for bit-string GA runs in tests, bit-string individuals, and
// the GA's whole generation scheme.
#pragma once

#include <string>

#include "TestSupport.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/NumericArrays.h"
#include "run/GAProducer.h"
#include "variation/GACrossover.h"
#include "variation/GAEvolution.h"
#include "variation/GAMutation.h"

inline const char* const kGAStreams =
    "log log.txt\nsave save.txt\ntimer timer.txt\nonline-mean online-mean.txt\n"
    "online-sd online-sd.txt\noffline-mean offline-mean.txt\noffline-sd offline-sd.txt\nbest best.txt\n";

// Writes a file list, a log setting (every stream to a file of its own name),
// a parameter file with the given sections and the problem file into dir;
// returns the file list's path.
inline std::string WriteGARunFiles(const ScratchDir& dir, const std::string& problem, const std::string& ints,
                                   const std::string& doubles = "crossover_ratio 0.9\nmutation_ratio 0.05\n") {
  dir.Write("files.txt", "log_setting " + dir.File("log_setting.txt") + "\nparameter " +
                             dir.File("parameter.txt") + "\nproblem " + dir.File("problem.txt") + "\n");
  dir.Write("log_setting.txt", "prefix " + dir.Path() + "/ streams\n" + kGAStreams);
  dir.Write("parameter.txt", "----- int_parameter\n" + ints + "----- double_parameter\n" + doubles + "-----\n");
  dir.Write("problem.txt", problem);
  return dir.File("files.txt");
}

inline IntArray* BitsOf(const std::string& digits) {
  auto* genes = new IntArray(static_cast<int>(digits.size()));
  for (char c : digits) genes->Add(c - '0');
  return genes;
}

inline DoubleTypeFitnessIndividual* BitIndividual(const std::string& digits, double fitness) {
  auto* individual = new DoubleTypeFitnessIndividual(new GAChromosome(BitsOf(digits)));
  individual->SetFitness(fitness);
  return individual;
}

inline std::string DigitsOf(const IntArray& genes) {
  std::string text;
  for (int i = 0; i < genes.Size(); ++i) text += std::to_string(genes.Get(i));
  return text;
}

// The whole scheme of a generation, with one-point crossover and bit flips:
// elite copies, crossover offspring, mutants and reproductions.
struct WholeScheme {
  WholeScheme(Selection* selection, GAProducer* producer, double flipRate, int elite, double crossRatio,
              double mutationRatio)
      : flip(flipRate),
        crossing(&crossover, selection, producer),
        mutating(&flip, selection, producer),
        copying(selection, producer),
        composite(&crossing, &mutating, &copying, producer, elite, crossRatio, mutationRatio) {}
  GAOnePointCrossover crossover;
  GABitFlipMutation flip;
  GACrossoverEvolution crossing;
  GAMutationEvolution mutating;
  GAReproductionEvolution copying;
  GAWithMutationEvolution composite;
};
