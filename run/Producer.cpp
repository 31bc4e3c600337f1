#include "run/Producer.h"

#include <fstream>
#include <thread>

#include "config/InputWarnings.h"
#include "config/Log.h"
#include "config/ParameterFile.h"
#include "engine/Population.h"
#include "run/ParameterKeys.h"
#include "run/ProblemRegister.h"

Producer::Producer(const std::string& fileName) : Producer(fileName, new ProblemRegister(20)) {}

Producer::Producer(const std::string& fileName, ProblemRegister* problemRegister)
    : intParameters(std::make_unique<IntRegister>(20)),
      doubleParameters(std::make_unique<DoubleRegister>(20)),
      files(std::make_unique<StringRegister>(20)),
      problems(problemRegister) {
  // Runs this class's reader: a derived producer is not built yet.
  Producer::ReadFile(fileName);
  populationSize = RangeParameter("population_size", 1, kMaxPopulationSize);
  maxGeneration = RangeParameter("max_generation", 0, kMaxGeneration);
  int iterations = RangeParameter("iteration_num", 0, kMaxIterationNum);
  if (intParameters->Exists("run_seeding") == 1) RangeParameter("run_seeding", 0, 1);
  collectors = std::make_unique<IndividualLogCollectorsRegister>(20, iterations, maxGeneration);
  if (intParameters->Exists("threads") == 1 && *intParameters->Get("threads") > kMaxThreads) {
    GetException()->Warning("Parameter threads in " + *files->Get("parameter") + " is " +
                                std::to_string(*intParameters->Get("threads")) + "; at most " +
                                std::to_string(kMaxThreads) + " threads are used",
                            ClassNameOf(*this), "Producer");
  }
}

int Producer::RangeParameter(const std::string& key, int lowest, int highest) {
  int value = *intParameters->Get(key);
  if (value < lowest || value > highest) {
    GetException()->FatalError("Parameter " + key + " in " + *files->Get("parameter") + " is " +
                                   std::to_string(value) + "; expected " + std::to_string(lowest) + " to " +
                                   std::to_string(highest),
                               ClassNameOf(*this), "Producer");
  }
  return value;
}

int Producer::GetTournamentSize() {
  int value = GetIntParameter("tournament_size");
  if (value > kMaxTournamentSize) {
    GetException()->FatalError("Parameter tournament_size in " + *files->Get("parameter") + " is " +
                                   std::to_string(value) + "; expected at most " +
                                   std::to_string(kMaxTournamentSize),
                               ClassNameOf(*this), "GetEvolution");
  }
  return value;
}

Producer::~Producer() {
  collectors.reset();
  intParameters.reset();
  doubleParameters.reset();
  files.reset();
  problems.reset();
  problem = nullptr;
  DeleteLog();
}

void Producer::ReadFile(const std::string& fileName) {
  const std::string cls = ClassNameOf(*this);
  {
    std::ifstream in;
    if (!OpenInputFile(in, fileName)) {
      WarnCanNotOpen("File list", fileName, cls, "ReadFile");
      GetException()->FatalError("Can not open file", cls, "ReadFile");
    }
    // An incomplete last pair is ignored.
    ReadFileList(in, *files);
  }
  {
    std::ifstream in;
    const std::string path = *files->Get("log_setting");
    if (!OpenInputFile(in, path)) {
      WarnCanNotOpen("Log setting", path, cls, "Readfile");
      GetException()->FatalError("Can not open file", cls, "Readfile");
    }
    GetLog()->ReadSetting(in);
  }
  {
    // A parameter file that cannot be opened reads as empty; the first
    // parameter looked up reports the missing key.
    const std::string path = *files->Get("parameter");
    std::ifstream in;
    if (!OpenInputFile(in, path)) WarnCanNotOpen("Parameter file", path, cls, "ReadFile");
    ParameterFileNotes notes;
    ReadParameters(in, *intParameters, *doubleParameters, &notes);
    WarnParameterNotes(notes, path, cls, "ReadFile");
    WarnUnknownKeys(*intParameters, *doubleParameters, path, cls, "ReadFile");
  }
  {
    std::ifstream in;
    const std::string path = *files->Get("problem");
    if (!OpenInputFile(in, path)) {
      WarnCanNotOpen("Problem file", path, cls, "ReadFile");
      GetException()->FatalError("Can not open file", cls, "ReadFile");
    }
    problem = problems->Create(in);
  }
}

Problem* Producer::GetProblem() {
  if (problem == nullptr) GetException()->FatalError("Not initialized", ClassNameOf(*this), "GetProblem");
  return problem;
}

int Producer::GetSeed() { return *intParameters->Get("seed"); }

int Producer::GetIterationNum() { return *intParameters->Get("iteration_num"); }

int Producer::GetRunSeeding() {
  return intParameters->Exists("run_seeding") == 1 ? *intParameters->Get("run_seeding") : 0;
}

int Producer::GetThreadCount() {
  int threads = 0;
  // An optional key: its absence is no report.
  if (intParameters->Exists("threads") == 1) threads = *intParameters->Get("threads");
  if (threads < 1) threads = static_cast<int>(std::thread::hardware_concurrency());
  if (threads > kMaxThreads) threads = kMaxThreads;
  return threads < 1 ? 1 : threads;
}

Population* Producer::CreatePopulation() { return new Population(populationSize, GetSorter()); }

IndividualLogCollectorsRegister* Producer::GetIndividualLogCollectorsRegister() { return collectors.get(); }

void Producer::WriteStatistics() {
  ::WriteStatistics(collectors.get(), GetIterationNum(), maxGeneration, GetLog());
}
