// Fuzz target: a whole batch run (two seeded runs of three generations of six
// individuals, with logs, statistics and the saved best) on a fuzzed problem
// file, with the node-set table of the matching example. Problems whose
// episodes or fitness cases would make one input take seconds are skipped:
// this target looks for faults, not for slow but sound runs.
#include <memory>
#include <sstream>

#include "FuzzSupport.h"
#include "problems/MultiVariate.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "robots/HPAnt.h"
#include "robots/Wallfollowing.h"
#include "run/GAProducer.h"
#include "run/GPProducer.h"
#include "run/ProblemRegister.h"
#include "shell/batch/BatchSystem.h"

namespace {
const char* const kParameters =
    "----- int_parameter\n"
    "initial_depth 3\nmax_depth 5\nseed 7\niteration_num 2\nmax_generation 2\n"
    "population_size 6\nelite_size 1\ntournament_size 2\n"
    "----- double_parameter\n"
    "crossover_ratio 0.5\nmutation_ratio 0.25\n";

const char* const kRobotTable =
    "2\t1.0 2.0 3.0\n"
    "6\tProg2 iflte Plus2 Subtract\n"
    "3\tsensor moveForward0 moveBackward1 moveLeft1 moveRight2 turnLeft0 turnRight1\n";
const char* const kAntTable = "1\tmoveForward0 turnLeft0 turnRight0\n1\tifFoodAhead Prog2\n";
const char* const kRegressionTable =
    "1\tx0 1.0 2.0 0.5\n2\tPlus2 Subtract Times2 divide Sin Cos ln Exp log pow\n";
const char* const kBooleanTable = "1\tb0 b1 b2 b3 b4 b5\n1\tand2 or2 nand2 nor2 not if\n";
const char* const kRealParityTable = "1\tx0 x1 x2 1.0 -1.0\n1\tPlus2 Subtract Times2 iflte\n";

constexpr double kMaxEnergy = 2000.0;
constexpr double kMaxStepsAcross = 200.0;

bool SmallRoom(RobotRoom* room, double step) {
  return room->GetWidth() / step <= kMaxStepsAcross && room->GetHeight() / step <= kMaxStepsAcross;
}

// The table for the problem, or nullptr when one input would take too long.
const char* TableFor(Problem* problem) {
  if (auto* p = dynamic_cast<BoxMoving*>(problem)) {
    bool quick = p->GetEnergy() <= kMaxEnergy && SmallRoom(p->GetRoom(), p->GetRobot()->GetStep());
    return quick ? kRobotTable : nullptr;
  }
  if (auto* p = dynamic_cast<Wallfollowing*>(problem)) {
    bool quick = p->GetEnergy() <= kMaxEnergy && SmallRoom(p->GetRoom(), p->GetRobot()->GetStep());
    return quick ? kRobotTable : nullptr;
  }
  if (auto* p = dynamic_cast<Ant*>(problem)) return p->GetEnergy() <= kMaxEnergy ? kAntTable : nullptr;
  if (auto* p = dynamic_cast<HPAnt*>(problem)) return p->GetN() <= 100 ? kRobotTable : nullptr;
  if (dynamic_cast<Regression*>(problem) != nullptr) return kRegressionTable;
  if (auto* p = dynamic_cast<Parity*>(problem)) {
    if (p->GetCases() > 256) return nullptr;
    return p->GetMode() == Parity::kDoubleMode ? kRealParityTable : kBooleanTable;
  }
  if (auto* p = dynamic_cast<Multiplexer*>(problem)) return p->GetCases() <= 2048 ? kBooleanTable : nullptr;
  if (auto* p = dynamic_cast<MultiVariate*>(problem)) return p->GetGeneCount() <= 4096 ? "" : nullptr;
  return nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = InputText(data, size);
  const char* table = nullptr;
  {
    ProblemRegister probe(20);
    std::istringstream in(text);
    try {
      table = TableFor(probe.Create(in));
    } catch (const FatalReport&) {
      return 0;  // the problem target covers reading reports
    }
  }
  if (table == nullptr) return 0;

  FuzzScratch& scratch = FuzzScratch::Get();
  scratch.Clear();
  scratch.Write("problem.txt", text);
  scratch.Write("table.txt", table);
  scratch.Write("parameter.txt", kParameters);
  scratch.Write("log_setting.txt", ScratchLogSetting());
  scratch.Write("files.txt", "log_setting " + scratch.File("log_setting.txt") + "\nparameter " +
                                 scratch.File("parameter.txt") + "\nproblem " + scratch.File("problem.txt") +
                                 "\ntable " + scratch.File("table.txt") + "\n");
  const std::string files = scratch.File("files.txt");
  try {
    std::unique_ptr<Producer> producer;
    if (IsGAProblemFile(files)) {
      producer = std::make_unique<GAProducer>(files);
    } else {
      producer = std::make_unique<GPProducer>(files);
    }
    BatchSystem system(producer.get(), false);
    system.Execute();
    if (system.GetBest() != nullptr) system.SaveBest();
  } catch (const FatalReport& report) {
    // The problem read without a report above, and the parameters and the
    // table are sound: a report during the run is a finding.
    std::fprintf(stderr, "report during a run: %s\n", report.line.c_str());
    std::abort();
  }
  return 0;
}
