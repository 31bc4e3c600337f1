#include "shell/mpi/CoreLending.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {
using ::testing::ElementsAre;
using ::testing::IsEmpty;

Place At(const char* host, std::vector<int> cpus) {
  Place place;
  place.host = host;
  CPU_ZERO(&place.cpus);
  for (int cpu : cpus) CPU_SET(cpu, &place.cpus);
  return place;
}

std::vector<int> CpusOf(const Loan& loan) {
  std::vector<int> cpus;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &loan.cpus)) cpus.push_back(cpu);
  }
  return cpus;
}

// Cores go only from processes that are done to busy ones on the same
// machine, dealt out in turn; each plan names only the processes whose loan
// changed, and a process that stops being busy gives its loan back.
TEST(CoreLendingTest, DoneProcessesLendTheirCpusToBusyOnesOnTheirMachine) {
  CoreLending lending({At("a", {0}), At("a", {1}), At("a", {2}), At("b", {0}), At("a", {3})});
  for (int p : {0, 1, 2, 3, 4}) lending.SetBusy(p, true);
  EXPECT_THAT(lending.Plan(), IsEmpty());

  lending.SetDone(0);
  lending.SetDone(4);
  EXPECT_THAT(lending.Plan(), ElementsAre(1, 2));
  EXPECT_EQ(lending.LoanOf(1).cores, 1);
  EXPECT_THAT(CpusOf(lending.LoanOf(1)), ElementsAre(0));
  EXPECT_THAT(CpusOf(lending.LoanOf(2)), ElementsAre(3));
  EXPECT_EQ(lending.LoanOf(3).cores, 0);
  EXPECT_THAT(lending.Plan(), IsEmpty());

  // The last busy process on machine a gets all three of its free cores;
  // machine b's lone process has no one to lend it anything.
  lending.SetDone(1);
  EXPECT_THAT(lending.Plan(), ElementsAre(1, 2));
  EXPECT_EQ(lending.LoanOf(1).cores, 0);
  EXPECT_EQ(lending.LoanOf(2).cores, 3);
  EXPECT_THAT(CpusOf(lending.LoanOf(2)), ElementsAre(0, 1, 3));

  lending.SetBusy(2, false);
  EXPECT_THAT(lending.Plan(), ElementsAre(2));
  EXPECT_EQ(lending.LoanOf(2).cores, 0);
  EXPECT_EQ(lending.LoanOf(3).cores, 0);
}

// Processes that are not bound to CPUs of their own (each may use all of the
// machine's) lend no more threads than the machine has CPUs.
TEST(CoreLendingTest, UnboundProcessesBorrowNoMoreThanTheCpus) {
  CoreLending lending({At("a", {0, 1}), At("a", {0, 1}), At("a", {0, 1})});
  lending.SetBusy(2, true);
  lending.SetDone(0);
  lending.SetDone(1);
  EXPECT_THAT(lending.Plan(), ElementsAre(2));
  EXPECT_EQ(lending.LoanOf(2).cores, 1);
}
}  // namespace
