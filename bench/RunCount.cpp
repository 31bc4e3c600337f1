// Replays a batch run (the same input files, so the same seeded run as the
// batch program makes) and counts its work: the generations evaluated, the
// individuals evaluated, the program nodes evaluated and the nodes a
// node-by-node evaluation of every case would take. For parity, multiplexer
// and regression that is each program's size times the number of fitness
// cases; for the ant problem it is the nodes executed in each episode. Used by
// scripts/bench-compare.sh for node evaluations per second.
//
// Where the run takes the fitness of a program of the latest two generations
// from memory (robots, regression), such programs are not evaluated again:
// recalled counts them, executed the nodes of the programs evaluated (all of
// them for parity and multiplexer). Used by scripts/bench-lilgp.sh.
//
// Usage: morvane2-run-count [FILE-LIST]   (in the run's working folder)
#include <cstdio>
#include <memory>
#include <string>

#include "EpisodeCount.h"
#include "engine/Chromosome.h"
#include "engine/FitnessMemory.h"
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
    if (problem->CanReuseFitness()) memory = std::make_unique<FitnessMemory>();
  }

  void Evaluate() override {
    RobotEvolutionarySystem::Evaluate();
    ++generations;
    Population* population = GetPopulation();
    for (int i = 0; i < population->Size(); ++i) {
      auto* chromosome = dynamic_cast<GPChromosome*>(population->GetUnsorted(i)->GetChromosome());
      LispCode* code = chromosome != nullptr ? chromosome->GetCode() : nullptr;
      long long size = chromosome != nullptr ? chromosome->GetSize() : 0;
      if (code == nullptr || size == 0) continue;
      ++evaluations;
      treeNodes += size;
      long long work = replay ? EpisodeNodes(code) : size * cases;
      nodes += work;
      if (Recalled(population->GetUnsorted(i))) {
        ++recalled;
      } else {
        executed += work;
      }
    }
    if (memory) memory->NextGeneration();
  }

  // Whether the run took member's fitness from its memory: a memory of its
  // own, told every program of each generation, knows the same programs (which
  // of two equal programs of a generation is evaluated does not change the
  // count).
  bool Recalled(Individual* member) {
    FitnessMemory::Key key;
    if (!memory || !FitnessMemory::KeyOf(member, key)) return false;
    double fitness = 0.0;
    std::string text;
    if (memory->Recall(key, fitness, text) == FitnessMemory::Found::Fitness) return true;
    memory->Remember(key, 0.0, text);
    return false;
  }

  // The nodes executed in one episode of the ant, as Ant::FitnessFunction
  // runs it.
  long long EpisodeNodes(LispCode* code) {
    program.CompileCode(code);
    AntRobot* robot = replay->GetRobot();
    robot->Init(replay->GetStartX(), replay->GetStartY(), replay->GetStartDirection(), replay->GetEnergy());
    replay->GetRoom()->PlaceFood(replay->GetFoods());
    return CountEpisodeNodes(program, robot);
  }

  long long generations = 0;
  long long evaluations = 0;
  long long nodes = 0;
  long long treeNodes = 0;
  long long recalled = 0;
  long long executed = 0;

 private:
  long long cases = 0;
  std::unique_ptr<Ant> replay;
  std::unique_ptr<FitnessMemory> memory;
  CompiledProgram program;
};
}  // namespace

int main(int argc, char** argv) {
  std::string fileList = argc > 1 ? argv[1] : "input/files.txt";
  auto producer = std::make_unique<GPProducer>(fileList);
  long long generations = 0, evaluations = 0, nodes = 0, treeNodes = 0, recalled = 0, executed = 0;
  {
    CountingSystem system(producer.get());
    system.Execute();
    generations = system.generations;
    evaluations = system.evaluations;
    nodes = system.nodes;
    treeNodes = system.treeNodes;
    recalled = system.recalled;
    executed = system.executed;
  }
  producer.reset();
  std::printf("generations=%lld evaluations=%lld nodes=%lld mean_size=%.1f recalled=%lld executed=%lld\n",
              generations, evaluations, nodes,
              evaluations > 0 ? static_cast<double>(treeNodes) / static_cast<double>(evaluations) : 0.0,
              recalled, executed);
  return 0;
}
