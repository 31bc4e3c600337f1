// Runs a batch as the batch program does (its folder's input and logs) and
// reports the memory a live program node costs: the peak resident bytes of
// the process divided by the most nodes alive at once. While a generation is
// bred and scored, it and the generation it comes from are both alive, so
// the most nodes alive is taken as the largest sum of two successive
// generations' nodes (the best so far, one program, aside). Everything else
// the run keeps per program (individuals, compiled programs, the fitness
// memory's keys) counts against the nodes.
//
// Usage: morvane2-node-memory [FILE-LIST]   (in the run's working folder)
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/Chromosome.h"
#include "engine/GenerationObserver.h"
#include "engine/GenerationRecord.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "run/GPProducer.h"
#include "run/RobotEvolutionarySystem.h"

namespace {
class NodeCounter : public GenerationObserver {
 public:
  explicit NodeCounter(EvolutionarySystem* system) : system(system) {}
  void RunStarted(const RunStart&) override { previous = 0; }
  void GenerationFinished(const GenerationRecord&) override {
    long long nodes = 0;
    Population* population = system->GetPopulation();
    for (int i = 0; i < population->Size(); ++i) {
      auto* chromosome = dynamic_cast<GPChromosome*>(population->GetUnsorted(i)->GetChromosome());
      if (chromosome != nullptr) nodes += chromosome->GetSize();
    }
    peak = std::max(peak, previous + nodes);
    previous = nodes;
  }
  long long peak = 0;

 private:
  EvolutionarySystem* system;
  long long previous = 0;
};
}  // namespace

int main(int argc, char** argv) {
  std::string fileList = argc > 1 ? argv[1] : "input/files.txt";
  auto producer = std::make_unique<GPProducer>(fileList);
  long long peak = 0;
  int population = producer->GetPopulationSize();
  {
    RobotEvolutionarySystem system(producer.get());
    NodeCounter counter(&system);
    system.AddObserver(&counter);
    system.Execute();
    peak = counter.peak;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  double resident = static_cast<double>(usage.ru_maxrss) * 1024.0;
  std::printf("population=%d peak_resident_bytes=%.0f peak_live_nodes=%lld bytes_per_live_node=%.1f\n", population,
              resident, peak, peak > 0 ? resident / static_cast<double>(peak) : 0.0);
  return 0;
}
