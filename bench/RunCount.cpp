// Replays a batch run (the same input files, so the same seeded run as the
// batch program makes) and counts its work: the generations evaluated, the
// individuals evaluated, the program nodes evaluated and the nodes a
// node-by-node evaluation of every case would take. For parity, multiplexer
// and regression that is each program's size times the number of fitness
// cases; for the ant problem it is the nodes executed in each episode. Used by
// scripts/bench-compare.sh for node evaluations per second.
//
// Usage: morvane2-run-count [FILE-LIST]   (in the run's working folder)
#include <cstdio>
#include <memory>
#include <string>

#include "EpisodeCount.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "programs/CompiledProgram.h"
#include "programs/HeadLispCode.h"
#include "robots/Ant.h"
#include "run/GPProducer.h"
#include "run/RobotEvolutionarySystem.h"

namespace {
class CountingSystem : public RobotEvolutionarySystem {
 public:
  explicit CountingSystem(Producer* producer) : RobotEvolutionarySystem(producer) {
    Problem* problem = GetProblem();
    if (auto* parity = dynamic_cast<Parity*>(problem)) cases = parity->GetCases();
    if (auto* multiplexer = dynamic_cast<Multiplexer*>(problem)) cases = multiplexer->GetCases();
    if (auto* regression = dynamic_cast<Regression*>(problem)) cases = regression->GetPointCount();
    if (auto* ant = dynamic_cast<Ant*>(problem)) replay.reset(dynamic_cast<Ant*>(ant->Clone()));
  }

  void Evaluate() override {
    RobotEvolutionarySystem::Evaluate();
    ++generations;
    Population* population = GetPopulation();
    for (int i = 0; i < population->Size(); ++i) {
      auto* chromosome = dynamic_cast<GPChromosome*>(population->GetUnsorted(i)->GetChromosome());
      auto* code = chromosome != nullptr ? dynamic_cast<HeadLispCode*>(chromosome->GetCode()) : nullptr;
      if (code == nullptr) continue;
      ++evaluations;
      long long size = code->GetRoot()->GetSize();
      treeNodes += size;
      if (replay) {
        nodes += EpisodeNodes(code);
      } else {
        nodes += size * cases;
      }
    }
  }

  // The nodes executed in one episode of the ant, as Ant::FitnessFunction
  // runs it.
  long long EpisodeNodes(HeadLispCode* code) {
    program.Compile(code->GetRoot());
    AntRobot* robot = replay->GetRobot();
    robot->Init(replay->GetStartX(), replay->GetStartY(), replay->GetStartDirection(), replay->GetEnergy());
    replay->GetRoom()->PlaceFood(replay->GetFoods());
    return CountEpisodeNodes(program, robot);
  }

  long long generations = 0;
  long long evaluations = 0;
  long long nodes = 0;
  long long treeNodes = 0;

 private:
  long long cases = 0;
  std::unique_ptr<Ant> replay;
  CompiledProgram program;
};
}  // namespace

int main(int argc, char** argv) {
  std::string fileList = argc > 1 ? argv[1] : "input/files.txt";
  auto producer = std::make_unique<GPProducer>(fileList);
  long long generations = 0, evaluations = 0, nodes = 0, treeNodes = 0;
  {
    CountingSystem system(producer.get());
    system.Execute();
    generations = system.generations;
    evaluations = system.evaluations;
    nodes = system.nodes;
    treeNodes = system.treeNodes;
  }
  producer.reset();
  std::printf("generations=%lld evaluations=%lld nodes=%lld mean_size=%.1f\n", generations, evaluations, nodes,
              evaluations > 0 ? static_cast<double>(treeNodes) / static_cast<double>(evaluations) : 0.0);
  return 0;
}
