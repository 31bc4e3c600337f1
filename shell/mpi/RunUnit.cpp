#include "shell/mpi/RunUnit.h"

#include <algorithm>
#include <memory>

#include "config/Log.h"
#include "engine/GenerationObserver.h"
#include "engine/GenerationRecord.h"
#include "engine/IndividualLogCollector.h"
#include "foundation/Exception.h"
#include "run/BatchStreams.h"
#include "run/ProducerFactory.h"
#include "run/RobotEvolutionarySystem.h"

namespace {
// Calls the hook after every generation and, when the threads are the
// study's to choose, takes the cores it says are lent.
class GenerationHook : public GenerationObserver {
 public:
  GenerationHook(const std::function<int()>& hook, EvolutionarySystem* system, bool mayBorrow)
      : hook(hook), system(system), mayBorrow(mayBorrow) {}
  void GenerationFinished(const GenerationRecord&) override {
    if (!hook) return;
    int lent = hook();
    if (mayBorrow) system->SetThreadCount(1 + std::max(lent, 0));
  }

 private:
  const std::function<int()>& hook;
  EvolutionarySystem* system;
  bool mayBorrow;
};

std::vector<double> Values(Producer* producer, const std::string& name) {
  std::vector<double> values;
  IndividualLogCollectorsRegister* collectors = producer->GetIndividualLogCollectorsRegister();
  if (collectors->Exists(name) == 0) return values;
  DoubleArray* logged = collectors->Get(name)->Top()->GetValues();
  for (int i = 0; i < logged->Size(); ++i) values.push_back(logged->Get(i));
  return values;
}

void Take(std::vector<std::string>* names, std::vector<std::string>* texts) {
  names->clear();
  texts->clear();
  for (Log::Captured& captured : GetLog()->TakeCaptured()) {
    names->push_back(captured.destination);
    texts->push_back(std::move(captured.text));
  }
}
}  // namespace

UnitResult RunUnit(const std::string& fileList, int folder, int run,
                   const std::function<int()>& betweenGenerations) {
  UnitResult result;
  result.folder = folder;
  result.run = run;
  SetLogCapture(true);
  Exception::CaptureScope capture;
  try {
    std::unique_ptr<Producer> producer = CreateProducer(fileList);
    CheckBatchStreams(producer.get());
    // The warnings on reading the input were shown once, when the study
    // read the folder.
    capture.TakeText();
    bool mayBorrow = producer->GetIntRegister()->Exists("threads") == 0;
    producer->GetIntRegister()->Add("threads", 1);
    {
      RobotEvolutionarySystem system(producer.get());
      GenerationHook hook(betweenGenerations, &system, mayBorrow);
      system.AddObserver(&hook);
      if (run < 0) {
        system.Execute();
        if (system.GetBest() != nullptr) system.SaveBest();
        Take(&result.destinations, &result.text);
      } else {
        system.RunIteration(run);
        Take(&result.destinations, &result.text);
        result.online = Values(producer.get(), "online");
        result.runBest = Values(producer.get(), "offline");
        std::vector<std::string> names;
        if (system.GetBest() != nullptr) system.SaveBest();
        Take(&names, &result.bestText);
      }
    }
    producer.reset();
  } catch (const Exception::CapturedReport& report) {
    result.failed = true;
    result.report = report.what();
  }
  result.diagnostics = capture.TakeText();
  DeleteLog();
  return result;
}
