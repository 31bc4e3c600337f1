// The coordinating process's view of a parameter study: its folders, checked
// before any run; the units of work they split into; and the writing of the
// results, folder by folder in run order, into the very bytes morvane2-batch
// writes there. Runs that stand alone are folded here into the batch's
// statistics and best program, as the serial batch folds them while it runs.
#pragma once

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TimeEstimator.h"
#include "shell/mpi/RunUnit.h"

class IndividualLogCollectorsRegister;
class Log;

// A piece of work: a folder's run, or its whole batch (run -1).
struct Unit {
  int folder;
  int run;
};

class Study {
 public:
  // names: the folders as given; paths: the same made absolute ("" where a
  // folder does not exist).
  Study(std::vector<std::string> names, std::vector<std::string> paths, std::string fileList);
  ~Study();

  // Reads each folder's input as the batch program does (its log files are
  // made or emptied); a folder whose input is reported is skipped, with the
  // report on standard error behind the folder's name.
  void Prepare();
  // The units, folder by folder, runs in order.
  const std::vector<Unit>& Units() const { return units; }
  // Whether a unit is still to be done (its folder has not failed).
  bool Wanted(const Unit& unit) const;
  // Takes a unit's result: writes it and every result waiting behind it, and
  // ends its folder after its last run.
  void Accept(UnitResult result);

  // Called before the study writes to standard error (a progress line ends
  // its line there).
  void SetLineStarter(std::function<void()> starter) { lineStarter = std::move(starter); }

  bool AnyFailed() const;
  int RunsDone() const { return runsDone; }
  int RunsTotal() const { return runsTotal; }

 private:
  struct Folder;

  void Write(Folder& folder, const std::vector<std::string>& destinations,
             const std::vector<std::string>& texts);
  void WriteCaptured(Folder& folder);
  void Fold(Folder& folder, UnitResult& result);
  void End(Folder& folder);
  void Fail(Folder& folder, const std::string& report, const std::string& diagnostics);
  void Note(const Folder& folder, const std::string& lines);

  std::vector<std::unique_ptr<Folder>> folders;
  std::string fileList;
  std::vector<Unit> units;
  int runsDone = 0;
  int runsTotal = 0;
  std::unique_ptr<TimeEstimator> estimator;
  std::function<void()> lineStarter;
};

// The line that opens a folder in its working directory for its runs, or the
// report when it can not be entered.
bool EnterFolder(const std::string& path, std::string* report);
