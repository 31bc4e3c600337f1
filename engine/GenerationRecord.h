// What a run reports of each generation it finishes, worked out once for
// every observer: the generation's fitness statistics, the best so far, the
// size and depth of its members, how their fitnesses were found, the time,
// and whether the problem is solved.
#pragma once

class Individual;
class Population;
class WorkSharing;

struct GenerationRecord {
  int run = 0;  // 1 for a system's first run
  int generation = 0;
  // Of the generation's fitnesses (lower is better; a NaN sorts as the
  // worst): the best, the mean, the median (the mean of the middle two of an
  // even count), the worst, and the population standard deviation.
  double best = 0.0;
  double mean = 0.0;
  double median = 0.0;
  double worst = 0.0;
  double deviation = 0.0;
  // The best-so-far individual's fitness (in a batch it may come from an
  // earlier run).
  double bestSoFar = 0.0;
  // The generation best's size and depth (Chromosome::GetSize, GetDepth),
  // and the means over the generation.
  int bestSize = 0;
  int bestDepth = 0;
  double meanSize = 0.0;
  double meanDepth = 0.0;
  // Members whose fitness function ran for this generation, and members
  // whose fitness came from the fitness memory instead.
  long long evaluations = 0;
  long long remembered = 0;
  double seconds = 0.0;  // since the run started
  bool solved = false;   // the problem's solved flag after this generation

  // Only while the observers are told of the generation: the population
  // (sorted, best first), its best member and the best-so-far individual.
  Population* population = nullptr;
  Individual* generationBest = nullptr;
  Individual* bestSoFarIndividual = nullptr;

  // Sets the population, its best and every statistic of its members from
  // population (sorted; empty gives zeros). The members of a large
  // population are read on sharing's threads (not owned; may be null).
  void Measure(Population* sorted, WorkSharing* sharing = nullptr);
};

// Fitness of an individual that is a fitness individual; NaN for any other.
double FitnessOf(Individual* individual);
