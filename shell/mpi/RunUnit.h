// One piece of a study's work done in capture mode, as a worker process does
// it: a whole folder (a batch whose runs depend on each other, or a batch of
// at most one run), or one run of a folder whose runs stand alone. The run is
// made by the same system and batch logs as morvane2-batch's; only the log's
// destinations are text buffers, handed back with the run's statistics.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct UnitResult {
  int folder = 0;
  // The run (0-based) or -1 for a whole folder.
  int run = -1;
  // A report ended the unit: its line; the text is then incomplete.
  bool failed = false;
  std::string report;
  // Warnings and notes made on the way, one line each.
  std::string diagnostics;
  // Per destination of the log setting (in its order): the run's text; for
  // a whole folder everything the batch writes, the best program included.
  std::vector<std::string> destinations;
  std::vector<std::string> text;
  // One run only: its generation bests' fitnesses ("online"), the best found
  // so far in the run after each generation, and the text saving that best
  // writes to each destination.
  std::vector<double> online;
  std::vector<double> runBest;
  std::vector<std::string> bestText;
};

// Runs the unit in the working directory, which holds the file list at
// fileList. betweenGenerations is called after every generation (the
// coordinating process serves the others there) and says how many cores are
// lent to this process now, by processes that are done. A parameter file
// without "threads" runs on one thread and one more per core lent; one that
// sets threads keeps them. Fatal reports are caught into the result.
UnitResult RunUnit(const std::string& fileList, int folder, int run,
                   const std::function<int()>& betweenGenerations);
