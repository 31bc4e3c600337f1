// The cores of a study's processes that are done, lent to those still at
// work on the same machine. Once no unit is left to hand out, a process that
// is done leaves its core idle while another may have a long run ahead: that
// run is then scored on more threads, on the cores it borrows (more threads
// change no result). The coordinator keeps the plan; each borrower widens
// its CPU affinity to the cores lent, so that binding by mpirun does not
// crowd its threads onto its own core.
#pragma once

#include <sched.h>

#include <string>
#include <vector>

// Where a process runs: its machine and the CPUs it may use.
struct Place {
  std::string host;
  cpu_set_t cpus;
};

// What a process has borrowed: how many processes' cores, and their CPUs.
struct Loan {
  int cores = 0;
  cpu_set_t cpus;
  Loan() { CPU_ZERO(&cpus); }
  bool operator==(const Loan& other) const;
};

class CoreLending {
 public:
  explicit CoreLending(std::vector<Place> places);

  // A process starts or ends a unit, or is done for good.
  void SetBusy(int process, bool busy);
  void SetDone(int process);
  // Shares the cores of the processes that are done among the busy ones on
  // their machine (the donors dealt out in turn, in process order), a
  // process's threads never more than its CPUs and those lent. Returns
  // the processes whose loan changed since the last plan; a process that is
  // no longer busy has none.
  std::vector<int> Plan();
  const Loan& LoanOf(int process) const { return loans[static_cast<std::size_t>(process)]; }

 private:
  std::vector<Place> places;
  std::vector<bool> busy;
  std::vector<bool> done;
  std::vector<Loan> loans;
};

// This process's place: the machine's name as given and the CPUs it may use.
Place ThisPlace(const std::string& host);
// Lets this thread, and the threads it starts from now on, use own's CPUs and
// the loan's.
void UseCpus(const cpu_set_t& own, const Loan& loan);
