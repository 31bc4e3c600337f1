// The batch program: reads the input files named by a file list (by default
// input/files.txt in the working directory), runs iteration_num seeded runs
// with their logs and statistics, then saves the best program.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "config/Log.h"
#include "run/BatchStreams.h"
#include "run/Checkpoint.h"
#include "run/ProducerFactory.h"
#include "foundation/Exception.h"
#include "shell/batch/BatchSystem.h"
#include "shell/batch/Interruption.h"

namespace {
const char* kUsage =
    "Usage: morvane2-batch [FILE-LIST]\n"
    "       morvane2-batch --resume [FILE-LIST]\n"
    "\n"
    "Runs Morvane2 in batch mode in the working directory: iteration_num seeded\n"
    "runs, each of generations 0 … max_generation (fewer when the problem is\n"
    "solved), with per-generation logs and summary statistics, then saves the\n"
    "best program found.\n"
    "\n"
    "FILE-LIST names the file list to read (default: input/files.txt). It pairs\n"
    "these keys with file paths, relative to the working directory:\n"
    "  log_setting  the log setting: a path prefix and, per line, a stream name\n"
    "               and its destinations (cout, cerr or file names)\n"
    "  parameter    the parameter file (int and double sections)\n"
    "  problem      the problem file (the problem's name, then its data)\n"
    "  table        the node-set table (a weight, then operator names, per line;\n"
    "               not used by the bit-string problem MultiVariate)\n"
    "\n"
    "The log setting must define the streams log and save (and orbit for robot\n"
    "problems; with two or more runs also timer, online-mean, online-sd,\n"
    "offline-mean, offline-sd and best); they are looked up before the first\n"
    "generation. Two more streams are optional CSV tables: generations (a row\n"
    "per generation of every run) and runs (a row per run).\n"
    "With the int parameter checkpoint_every N above 0, the state of the batch\n"
    "is saved to checkpoint.txt in the working directory after every Nth\n"
    "generation of every run, between runs and at an interruption; --resume\n"
    "continues the batch from it, with logs as those of a batch never stopped\n"
    "(docs/checkpoint.md).\n"
    "An error ends the program with exit status 1 and its report as the last\n"
    "line on standard error (warnings, or a missing key's name, may come first).\n"
    "SIGINT or SIGTERM stops the batch after the generation under way: the\n"
    "logs, the best so far and the statistics of the finished generations are\n"
    "written, then \"Interrupted after run R, generation G\" and exit status 130\n"
    "(SIGINT) or 143 (SIGTERM). A second signal ends the program at once.\n";
}  // namespace

// Whether the batch ends the process as soon as it is done, without taking
// apart what it made. Sanitizer builds take everything apart, so that they
// still find leaks and misuse at the end.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kEndAtOnce = false;
#else
constexpr bool kEndAtOnce = true;
#endif

int main(int argc, char** argv) {
  std::string fileList = "input/files.txt";
  bool resume = argc >= 2 && std::strcmp(argv[1], "--resume") == 0;
  if (resume) {
    --argc;
    ++argv;
  }
  if (argc > 2) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  if (argc == 2) {
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    fileList = argv[1];
  }
  // A resumed batch reads its checkpoint whole before anything is written.
  CheckpointData checkpoint;
  if (resume) {
    checkpoint = LoadCheckpoint(kCheckpointFile, fileList);
    GetLog()->SetAppending(true);
  }
  // The logs' old contents go on another thread while the input is read
  // and the first generation made.
  EmptyLogFilesLater(true);
  // A bit-string problem runs the genetic algorithm; every other problem runs
  // genetic programming.
  std::unique_ptr<Producer> producer = CreateProducer(fileList);
  CheckBatchStreams(producer.get());
  bool terminal = isatty(STDERR_FILENO) != 0;
  {
    BatchSystem system(producer.get(), terminal);
    system.SetLeaveLastRun(kEndAtOnce);
    Interruption interruption(&system);
    std::unique_ptr<CheckpointWriter> checkpoints;
    if (int every = CheckpointEvery(producer.get()); every > 0) {
      checkpoints = std::make_unique<CheckpointWriter>(&system, fileList, every);
      system.AddObserver(checkpoints.get());
    }
    if (resume) {
      ResumeBatch(checkpoint, kCheckpointFile, &system);
    } else {
      system.Execute();
    }
    // The last checkpoint is on disk before anything more is written.
    if (checkpoints) checkpoints->Close();
    // Also after an interruption: the best found so far.
    if (system.GetBest() != nullptr) system.SaveBest();
    GetLog()->CheckWritten();
    if (terminal) GetException()->Diagnostic(system.GetSummary().TerminalBlock());
    if (Interruption::Received() != 0) GetException()->Diagnostic(system.GetSummary().InterruptedLine() + "\n");
    if (kEndAtOnce) {
      // Everything is written: the process ends without taking apart what
      // it made (for a large population that takes seconds).
      GetLog()->CheckWritten();
      std::fflush(nullptr);
      std::_Exit(Interruption::Received() != 0 ? Interruption::ExitStatus() : 0);
    }
  }
  producer.reset();
  return Interruption::Received() != 0 ? Interruption::ExitStatus() : 0;
}
