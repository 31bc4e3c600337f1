#include "shell/mpi/CoreLending.h"

#include <algorithm>
#include <map>
#include <utility>

bool Loan::operator==(const Loan& other) const { return cores == other.cores && CPU_EQUAL(&cpus, &other.cpus); }

CoreLending::CoreLending(std::vector<Place> places)
    : places(std::move(places)),
      busy(this->places.size(), false),
      done(this->places.size(), false),
      loans(this->places.size()) {}

void CoreLending::SetBusy(int process, bool isBusy) { busy[static_cast<std::size_t>(process)] = isBusy; }

void CoreLending::SetDone(int process) {
  busy[static_cast<std::size_t>(process)] = false;
  done[static_cast<std::size_t>(process)] = true;
}

std::vector<int> CoreLending::Plan() {
  std::map<std::string, std::vector<std::size_t>> working;
  std::map<std::string, std::vector<std::size_t>> donors;
  for (std::size_t p = 0; p < places.size(); ++p) {
    if (busy[p]) working[places[p].host].push_back(p);
    if (done[p]) donors[places[p].host].push_back(p);
  }
  std::vector<Loan> next(places.size());
  for (const auto& [host, borrowers] : working) {
    const std::vector<std::size_t>& given = donors[host];
    for (std::size_t d = 0; d < given.size(); ++d) {
      Loan& loan = next[borrowers[d % borrowers.size()]];
      ++loan.cores;
      CPU_OR(&loan.cpus, &loan.cpus, &places[given[d]].cpus);
    }
  }
  // No process runs more threads than it has CPUs (processes that share
  // their CPUs, as unbound ones do, lend little).
  for (std::size_t p = 0; p < places.size(); ++p) {
    if (next[p].cores == 0) continue;
    cpu_set_t all;
    CPU_OR(&all, &places[p].cpus, &next[p].cpus);
    next[p].cores = std::min(next[p].cores, std::max(CPU_COUNT(&all) - 1, 0));
  }
  std::vector<int> changed;
  for (std::size_t p = 0; p < places.size(); ++p) {
    if (next[p] == loans[p]) continue;
    loans[p] = next[p];
    changed.push_back(static_cast<int>(p));
  }
  return changed;
}

Place ThisPlace(const std::string& host) {
  Place place;
  place.host = host;
  CPU_ZERO(&place.cpus);
  if (sched_getaffinity(0, sizeof place.cpus, &place.cpus) != 0) CPU_ZERO(&place.cpus);
  return place;
}

void UseCpus(const cpu_set_t& own, const Loan& loan) {
  cpu_set_t cpus;
  CPU_OR(&cpus, &own, &loan.cpus);
  // Where this can not be done the threads share the CPUs they have.
  if (CPU_COUNT(&cpus) > 0) sched_setaffinity(0, sizeof cpus, &cpus);
}
