#include "config/Producer.h"

#include <fstream>
#include <thread>

#include "config/Log.h"
#include "config/ParameterFile.h"
#include "engine/Population.h"
#include "problems/ProblemRegister.h"

Producer::Producer(const std::string& fileName) : Producer(fileName, new ProblemRegister(20)) {}

Producer::Producer(const std::string& fileName, ProblemRegister* problemRegister)
    : intParameters(std::make_unique<IntRegister>(20)),
      doubleParameters(std::make_unique<DoubleRegister>(20)),
      files(std::make_unique<StringRegister>(20)),
      problems(problemRegister) {
  // Runs this class's reader: a derived producer is not built yet.
  Producer::ReadFile(fileName);
  populationSize = *intParameters->Get("population_size");
  maxGeneration = *intParameters->Get("max_generation");
  collectors = std::make_unique<IndividualLogCollectorsRegister>(20, GetIterationNum(), maxGeneration);
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
  {
    std::ifstream in(fileName);
    if (!in.is_open()) GetException()->FatalError("Can not open file", ClassNameOf(*this), "ReadFile");
    ReadFileList(in, *files);
  }
  {
    std::ifstream in(*files->Get("log_setting"));
    if (!in.is_open()) GetException()->FatalError("Can not open file", ClassNameOf(*this), "Readfile");
    GetLog()->ReadSetting(in);
  }
  {
    // A parameter file that cannot be opened reads as empty; the first
    // parameter looked up reports the missing key.
    std::ifstream in(*files->Get("parameter"));
    ReadParameters(in, *intParameters, *doubleParameters);
  }
  {
    std::ifstream in(*files->Get("problem"));
    if (!in.is_open()) GetException()->FatalError("Can not open file", ClassNameOf(*this), "ReadFile");
    problem = problems->Create(in);
  }
}

Problem* Producer::GetProblem() {
  if (problem == nullptr) GetException()->FatalError("Not initialized", ClassNameOf(*this), "GetProblem");
  return problem;
}

int Producer::GetSeed() { return *intParameters->Get("seed"); }

int Producer::GetIterationNum() { return *intParameters->Get("iteration_num"); }

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
