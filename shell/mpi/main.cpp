// morvane2-batch-mpi: runs the batches of one or more folders (a parameter
// study) over the processes of an MPI job. The first process hands out whole
// runs, or whole batches where runs depend on each other, to the processes
// that ask for work, works on runs itself between its serving, and writes
// each folder's logs in run order, byte for byte as morvane2-batch would.
#include <limits.h>
#include <mpi.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "shell/mpi/CoreLending.h"
#include "shell/mpi/RunUnit.h"
#include "shell/mpi/Study.h"
#include "shell/mpi/StudyProgress.h"
#include "shell/mpi/UnitMessage.h"

namespace {
const char* kUsage =
    "Usage: mpirun -np N morvane2-batch-mpi [--progress] [FOLDER ...]\n"
    "\n"
    "Runs the batch of each FOLDER (a working directory holding input/files.txt;\n"
    "by default the current one) as morvane2-batch would run it there, spread\n"
    "over the N processes of the MPI job. Several folders make a parameter study.\n"
    "\n"
    "A folder whose parameter file sets run_seeding 1 is split into its runs;\n"
    "any other folder is run by one process as a whole. Each process runs on one\n"
    "thread unless the parameter file sets threads; once no unit is left to hand\n"
    "out, the cores of the processes that are done go to the runs still going on\n"
    "their machine (more threads change no result). The first process writes\n"
    "every folder's logs, in run order: they are byte-identical to those of\n"
    "morvane2-batch (the timer stream aside) whatever the number of processes.\n"
    "\n"
    "A folder whose input is in error is reported on standard error behind its\n"
    "name and skipped; the others complete, and the exit status is then 1.\n"
    "\n"
    "--progress shows the runs done and the time left on standard error. Without\n"
    "it the line shows only where standard error is a terminal, which under\n"
    "mpirun it never is (the processes write to it through a pipe).\n";

const char* kFileList = "input/files.txt";

enum Tag { kReady = 1, kResult = 2, kAssign = 3, kLend = 4 };

// Waits for a message without spinning a core: the processes of a study
// often outnumber the cores.
void WaitForMessage(int source, MPI_Status* status) {
  for (;;) {
    int arrived = 0;
    MPI_Iprobe(source, MPI_ANY_TAG, MPI_COMM_WORLD, &arrived, status);
    if (arrived != 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::string ReceiveBytes(const MPI_Status& probed) {
  int size = 0;
  MPI_Get_count(&probed, MPI_BYTE, &size);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  MPI_Recv(bytes.data(), size, MPI_BYTE, probed.MPI_SOURCE, probed.MPI_TAG, MPI_COMM_WORLD,
           MPI_STATUS_IGNORE);
  return bytes;
}

void Assign(int worker, const Unit& unit) {
  int message[2] = {unit.folder, unit.run};
  MPI_Send(message, 2, MPI_INT, worker, kAssign, MPI_COMM_WORLD);
}

// Hands out the units and writes their results; once none is left to hand
// out, lends the cores of the processes that are done (see CoreLending).
class Coordinator {
 public:
  Coordinator(Study* study, std::vector<Place> places, const std::vector<std::string>& paths, bool showProgress)
      : study(study),
        workers(static_cast<int>(places.size()) - 1),
        own(places[0].cpus),
        lending(std::move(places)),
        paths(paths),
        progress(study->RunsTotal(), showProgress) {
    study->SetLineStarter([this] { progress.Interrupt(); });
  }

  int Run() {
    for (;;) {
      Serve();
      Unit unit;
      if (!Next(&unit)) break;
      std::string report;
      UnitResult result;
      if (EnterFolder(paths[static_cast<std::size_t>(unit.folder)], &report)) {
        lending.SetBusy(0, true);
        result = RunUnit(kFileList, unit.folder, unit.run, [this] {
          Serve();
          return lending.LoanOf(0).cores;
        });
        lending.SetBusy(0, false);
        Lend();
      } else {
        result.folder = unit.folder;
        result.run = unit.run;
        result.failed = true;
        result.report = report;
      }
      Take(std::move(result));
    }
    lending.SetDone(0);
    Lend();
    // Every worker has been told to stop once it has handed in its last unit.
    while (stopped < workers) {
      MPI_Status status;
      WaitForMessage(MPI_ANY_SOURCE, &status);
      Handle(status);
    }
    progress.End();
    return study->AnyFailed() ? 1 : 0;
  }

 private:
  bool Next(Unit* unit) {
    if (!Remaining()) return false;
    *unit = study->Units()[next++];
    return true;
  }

  // Whether a unit is still to be handed out.
  bool Remaining() {
    const std::vector<Unit>& units = study->Units();
    while (next < units.size() && !study->Wanted(units[next])) ++next;
    return next < units.size();
  }

  // Once no unit is left, tells each process whose loan of cores changed.
  void Lend() {
    if (Remaining()) return;
    for (int process : lending.Plan()) {
      const Loan& loan = lending.LoanOf(process);
      if (process == 0) {
        UseCpus(own, loan);
      } else {
        MPI_Send(&loan, sizeof loan, MPI_BYTE, process, kLend, MPI_COMM_WORLD);
      }
    }
  }

  void Take(UnitResult result) {
    study->Accept(std::move(result));
    progress.Show(study->RunsDone());
  }

  void Serve() {
    for (;;) {
      int arrived = 0;
      MPI_Status status;
      MPI_Iprobe(MPI_ANY_SOURCE, MPI_ANY_TAG, MPI_COMM_WORLD, &arrived, &status);
      if (arrived == 0) return;
      Handle(status);
    }
  }

  void Handle(const MPI_Status& status) {
    std::string bytes = ReceiveBytes(status);
    int worker = status.MPI_SOURCE;
    lending.SetBusy(worker, false);
    if (status.MPI_TAG == kResult) {
      UnitResult result;
      if (DecodeResult(bytes, &result)) Take(std::move(result));
    }
    Unit unit;
    if (Next(&unit)) {
      Assign(worker, unit);
      lending.SetBusy(worker, true);
    } else {
      Assign(worker, {-1, -1});
      lending.SetDone(worker);
      ++stopped;
      Lend();
    }
  }

  Study* study;
  int workers;
  // The CPUs this process has of its own.
  cpu_set_t own;
  CoreLending lending;
  int stopped = 0;
  std::size_t next = 0;
  const std::vector<std::string>& paths;
  StudyProgress progress;
};

// The cores lent to this worker: the latest of the coordinator's word on
// them, taken into use when it changed.
void TakeLoan(const cpu_set_t& own, Loan* loan) {
  for (;;) {
    int arrived = 0;
    MPI_Status status;
    MPI_Iprobe(0, kLend, MPI_COMM_WORLD, &arrived, &status);
    if (arrived == 0) return;
    Loan next;
    MPI_Recv(&next, sizeof next, MPI_BYTE, 0, kLend, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (next == *loan) continue;
    *loan = next;
    UseCpus(own, *loan);
  }
}

void Work(const std::vector<std::string>& paths, const cpu_set_t& own) {
  MPI_Send(nullptr, 0, MPI_BYTE, 0, kReady, MPI_COMM_WORLD);
  Loan loan;
  for (;;) {
    MPI_Status status;
    WaitForMessage(0, &status);
    if (status.MPI_TAG == kLend) {
      // Meant for the unit just handed in: given back.
      TakeLoan(own, &loan);
      if (loan.cores != 0) {
        loan = Loan();
        UseCpus(own, loan);
      }
      continue;
    }
    int message[2] = {-1, -1};
    MPI_Recv(message, 2, MPI_INT, 0, kAssign, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (message[0] < 0 || static_cast<std::size_t>(message[0]) >= paths.size()) return;
    UnitResult result;
    std::string report;
    if (EnterFolder(paths[static_cast<std::size_t>(message[0])], &report)) {
      result = RunUnit(kFileList, message[0], message[1], [&own, &loan] {
        TakeLoan(own, &loan);
        return loan.cores;
      });
    } else {
      result.folder = message[0];
      result.run = message[1];
      result.failed = true;
      result.report = report;
    }
    std::string bytes = EncodeResult(result);
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
      // One message carries at most INT_MAX bytes: the folder is reported, not
      // written in part.
      UnitResult tooLarge;
      tooLarge.folder = result.folder;
      tooLarge.run = result.run;
      tooLarge.failed = true;
      tooLarge.report = "Fatal error: The logs of one unit exceed " + std::to_string(INT_MAX) +
                        " bytes; split the batch with run_seeding 1 at Work";
      bytes = EncodeResult(tooLarge);
    }
    MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, 0, kResult, MPI_COMM_WORLD);
  }
}
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  MPI_Init(&argc, &argv);
  int rank = 0;
  int processes = 1;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &processes);

  std::vector<std::string> names;
  bool showProgress = isatty(STDERR_FILENO) != 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--progress") == 0) {
      showProgress = true;
    } else {
      names.emplace_back(argv[i]);
    }
  }
  if (names.empty()) names.emplace_back(".");
  // Every process enters folders by their absolute paths: runs change the
  // working directory.
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    char resolved[PATH_MAX];
    paths.emplace_back(realpath(name.c_str(), resolved) != nullptr ? resolved : "");
  }

  // Each process's place, for the coordinator: cores are lent only on the
  // machine where they came free.
  char host[MPI_MAX_PROCESSOR_NAME] = {};
  int length = 0;
  MPI_Get_processor_name(host, &length);
  Place place = ThisPlace(std::string(host, static_cast<std::size_t>(std::max(length, 0))));
  char packed[MPI_MAX_PROCESSOR_NAME + sizeof(cpu_set_t)] = {};
  std::memcpy(packed, host, MPI_MAX_PROCESSOR_NAME);
  std::memcpy(packed + MPI_MAX_PROCESSOR_NAME, &place.cpus, sizeof(cpu_set_t));
  std::vector<char> all(rank == 0 ? static_cast<std::size_t>(processes) * sizeof packed : 1);
  MPI_Gather(packed, sizeof packed, MPI_BYTE, all.data(), sizeof packed, MPI_BYTE, 0, MPI_COMM_WORLD);

  int status = 0;
  if (rank == 0) {
    std::vector<Place> places;
    for (int r = 0; r < processes; ++r) {
      const char* at = all.data() + static_cast<std::size_t>(r) * sizeof packed;
      Place other;
      other.host.assign(at, strnlen(at, MPI_MAX_PROCESSOR_NAME));
      std::memcpy(&other.cpus, at + MPI_MAX_PROCESSOR_NAME, sizeof(cpu_set_t));
      places.push_back(other);
    }
    Study study(names, paths, kFileList);
    study.Prepare();
    Coordinator coordinator(&study, std::move(places), paths, showProgress);
    status = coordinator.Run();
  } else {
    Work(paths, place.cpus);
  }
  MPI_Finalize();
  return status;
}
