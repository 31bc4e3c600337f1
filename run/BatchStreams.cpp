#include "run/BatchStreams.h"

#include "config/Log.h"
#include "engine/Problem.h"
#include "run/Producer.h"

std::vector<std::string> BatchStreamNames(Producer* producer) {
  std::vector<std::string> names = {"log", "save"};
  if (dynamic_cast<RobotProblem*>(producer->GetProblem()) != nullptr) names.emplace_back("orbit");
  if (producer->GetIterationNum() >= 2) {
    for (const char* name : {"timer", "online-mean", "online-sd", "offline-mean", "offline-sd", "best"}) {
      names.emplace_back(name);
    }
  }
  return names;
}

void CheckBatchStreams(Producer* producer) {
  for (const std::string& name : BatchStreamNames(producer)) GetLog()->Get(name);
}
