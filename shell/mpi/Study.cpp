#include "shell/mpi/Study.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>

#include "config/Log.h"
#include "engine/IndividualComparator.h"
#include "engine/IndividualLogCollector.h"
#include "foundation/Exception.h"
#include "run/BatchStreams.h"
#include "run/ProducerFactory.h"

struct Study::Folder {
  std::string name;
  std::string path;
  bool failed = false;
  bool ended = false;
  int runs = 0;
  int generations = 0;
  // Runs that stand alone, written one by one; otherwise one whole unit.
  bool seeded = false;
  std::string logSetting;
  // The next run to write, and the results that arrived ahead of it.
  int next = 0;
  std::map<int, UnitResult> waiting;
  // The best of the runs written so far (the first of equals) and what
  // saving it writes.
  bool hasBest = false;
  double best = 0.0;
  std::vector<std::string> bestDestinations;
  std::vector<std::string> bestText;
  std::unique_ptr<IndividualLogCollectorsRegister> collectors;
  // The folder's log setting over text buffers: the timer and statistics
  // lines are written into it, then copied to the folder's destinations.
  std::unique_ptr<Log> log;
  std::map<std::string, std::unique_ptr<std::ofstream>> files;
};

bool EnterFolder(const std::string& path, std::string* report) {
  if (!path.empty() && chdir(path.c_str()) == 0) return true;
  *report = std::string("Fatal error: Can not open folder: ") + std::strerror(path.empty() ? ENOENT : errno) +
            " at Study::EnterFolder";
  return false;
}

Study::Study(std::vector<std::string> names, std::vector<std::string> paths, std::string fileList)
    : fileList(std::move(fileList)) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto folder = std::make_unique<Folder>();
    folder->name = names[i];
    folder->path = paths[i];
    folders.push_back(std::move(folder));
  }
}

Study::~Study() = default;

void Study::Prepare() {
  for (std::size_t i = 0; i < folders.size(); ++i) {
    Folder& folder = *folders[i];
    std::string report;
    bool repeated = false;
    for (std::size_t j = 0; j < i; ++j)
      repeated = repeated || (!folder.path.empty() && folders[j]->path == folder.path);
    if (repeated) {
      // Two writers of one folder's files would garble them.
      Fail(folder, "Fatal error: The folder is named twice; its runs are made once at Study::Prepare", "");
      continue;
    }
    if (!EnterFolder(folder.path, &report)) {
      Fail(folder, report, "");
      continue;
    }
    SetLogCapture(false);
    Exception::CaptureScope capture;
    int seeding = 0;
    try {
      std::unique_ptr<Producer> producer = CreateProducer(fileList);
      CheckBatchStreams(producer.get());
      folder.runs = producer->GetIterationNum();
      folder.generations = producer->GetMaxGeneration();
      seeding = producer->GetRunSeeding();
      folder.logSetting = producer->GetFileName("log_setting");
      if (folder.logSetting.empty() || folder.logSetting[0] != '/') {
        folder.logSetting = folder.path + "/" + folder.logSetting;
      }
    } catch (const Exception::CapturedReport& caught) {
      DeleteLog();
      Fail(folder, caught.what(), capture.TakeText());
      continue;
    }
    Note(folder, capture.TakeText());
    folder.seeded = seeding == 1 && folder.runs >= 2;
    if (folder.seeded) {
      for (int run = 0; run < folder.runs; ++run) units.push_back({static_cast<int>(i), run});
    } else {
      units.push_back({static_cast<int>(i), -1});
    }
    runsTotal += folder.runs;
  }
  estimator = std::make_unique<TimeEstimator>(runsTotal > 0 ? runsTotal : 1);
}

bool Study::Wanted(const Unit& unit) const { return !folders[static_cast<std::size_t>(unit.folder)]->failed; }

bool Study::AnyFailed() const {
  for (const auto& folder : folders) {
    if (folder->failed) return true;
  }
  return false;
}

void Study::Note(const Folder& folder, const std::string& lines) {
  if (lines.empty()) return;
  if (lineStarter) lineStarter();
  std::istringstream in(lines);
  std::string line;
  while (std::getline(in, line)) std::cerr << folder.name << ": " << line << '\n';
  std::cerr.flush();
}

void Study::Fail(Folder& folder, const std::string& report, const std::string& diagnostics) {
  Note(folder, diagnostics);
  Note(folder, report);
  folder.failed = true;
  folder.waiting.clear();
  for (auto& file : folder.files) file.second->flush();
  folder.files.clear();
}

void Study::Accept(UnitResult result) {
  if (result.folder < 0 || static_cast<std::size_t>(result.folder) >= folders.size()) return;
  Folder& folder = *folders[static_cast<std::size_t>(result.folder)];
  if (folder.failed || folder.ended) return;
  if (result.run < 0) {
    // A whole batch: written as it came, also when a report ended it, as
    // the batch program leaves its logs.
    Note(folder, result.diagnostics);
    Write(folder, result.destinations, result.text);
    runsDone += folder.runs;
    if (result.failed) {
      Fail(folder, result.report, "");
    } else {
      End(folder);
    }
    return;
  }
  int run = result.run;
  folder.waiting[run] = std::move(result);
  for (auto it = folder.waiting.find(folder.next); it != folder.waiting.end();
       it = folder.waiting.find(folder.next)) {
    UnitResult ready = std::move(it->second);
    folder.waiting.erase(it);
    if (ready.failed) {
      Write(folder, ready.destinations, ready.text);
      Fail(folder, ready.report, ready.diagnostics);
      return;
    }
    Note(folder, ready.diagnostics);
    Fold(folder, ready);
    ++folder.next;
    ++runsDone;
  }
  if (folder.next == folder.runs) End(folder);
}

void Study::Fold(Folder& folder, UnitResult& result) {
  Write(folder, result.destinations, result.text);
  if (!folder.collectors) {
    folder.collectors =
        std::make_unique<IndividualLogCollectorsRegister>(20, folder.runs, folder.generations);
    folder.collectors->Get("online");
    folder.collectors->Get("offline");
  } else {
    folder.collectors->NextIteration();
  }
  DoubleArray* online = folder.collectors->Get("online")->Top()->GetValues();
  for (double value : result.online) online->Add(value);
  // The batch's best so far after each generation: the run's own best where
  // it beats the best of the earlier runs, that one otherwise.
  DoubleArray* offline = folder.collectors->Get("offline")->Top()->GetValues();
  for (double value : result.runBest) {
    offline->Add(folder.hasBest && CompareFitness(value, folder.best) != 1 ? folder.best : value);
  }
  if (!result.runBest.empty() &&
      (!folder.hasBest || CompareFitness(result.runBest.back(), folder.best) == 1)) {
    folder.hasBest = true;
    folder.best = result.runBest.back();
    folder.bestDestinations = result.destinations;
    folder.bestText = std::move(result.bestText);
  }
  if (result.run < folder.runs - 1) {
    estimator->Estimate(*folder.log->Get("timer"));
    WriteCaptured(folder);
  }
}

void Study::End(Folder& folder) {
  if (folder.seeded) {
    WriteStatistics(folder.collectors.get(), folder.runs, folder.generations, folder.log.get());
    WriteCaptured(folder);
    if (folder.hasBest) Write(folder, folder.bestDestinations, folder.bestText);
  }
  folder.ended = true;
  std::cout.flush();
  for (auto& [path, file] : folder.files) {
    file->flush();
    if (!file->good()) {
      Fail(folder, "Fatal error: Can not write log file " + path + " at Log::CheckWritten", "");
      return;
    }
  }
  folder.files.clear();
}

void Study::WriteCaptured(Folder& folder) {
  std::vector<std::string> destinations;
  std::vector<std::string> texts;
  for (Log::Captured& captured : folder.log->TakeCaptured()) {
    destinations.push_back(captured.destination);
    texts.push_back(std::move(captured.text));
  }
  Write(folder, destinations, texts);
}

void Study::Write(Folder& folder, const std::vector<std::string>& destinations,
                  const std::vector<std::string>& texts) {
  if (!folder.log && folder.seeded) {
    folder.log = std::make_unique<Log>(Log::Mode::Capture);
    // Its warnings were made once already, when the folder was read.
    Exception::CaptureScope quiet;
    std::ifstream in(folder.logSetting);
    folder.log->ReadSetting(in);
  }
  for (std::size_t i = 0; i < destinations.size() && i < texts.size(); ++i) {
    const std::string& text = texts[i];
    if (text.empty()) continue;
    const std::string& destination = destinations[i];
    if (destination == "cout") {
      std::cout << text;
    } else if (destination == "cerr") {
      if (lineStarter) lineStarter();
      std::cerr << text;
    } else {
      std::string path = destination[0] == '/' ? destination : folder.path + "/" + destination;
      std::unique_ptr<std::ofstream>& file = folder.files[path];
      if (!file) file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::app);
      *file << text;
    }
  }
}
