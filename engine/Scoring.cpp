#include "engine/Scoring.h"

#include <utility>

#include "engine/FitnessMemory.h"
#include "engine/Individual.h"
#include "engine/Problem.h"
#include "foundation/Exception.h"

namespace {
// One key per thread, reused: its word vector keeps its room. keyedMember is
// the member it was last made for, null while it holds none.
thread_local FitnessMemory::Key key;
thread_local const Individual* keyedMember = nullptr;
}  // namespace

const FitnessMemory::Key* Scoring::LastKey(const Individual* member) {
  return member != nullptr && member == keyedMember ? &key : nullptr;
}

Scoring::Outcome Scoring::Score(Problem* problem, FitnessMemory* memory, Individual* member, Lines lines,
                                std::string& text) {
  // Written only when it changes: the lines of neighbouring members are
  // side by side, and the threads scoring them would take the cache line
  // from each other at every member.
  if (!text.empty()) text.clear();
  keyedMember = nullptr;
  bool keyed = memory != nullptr && FitnessMemory::KeyOf(member, key);
  if (keyed) keyedMember = member;
  if (!keyed && lines == Lines::AsTheyCome) {
    problem->FitnessFunction(member);
    return Outcome::Evaluated;
  }
  if (keyed) {
    double fitness = 0.0;
    switch (memory->Recall(key, fitness, text)) {
      case FitnessMemory::Found::Fitness:
        static_cast<DoubleTypeFitnessIndividual*>(member)->SetFitness(fitness);
        return Outcome::Remembered;
      case FitnessMemory::Found::Failure:
        return Outcome::Failed;
      case FitnessMemory::Found::Nothing:
        break;
    }
  }
  {
    Exception::CaptureScope capture;
    try {
      problem->FitnessFunction(member);
      std::string taken = capture.TakeText();
      if (!taken.empty()) text = std::move(taken);
    } catch (...) {
      // A captured report, or anything else a plain evaluation would not
      // survive either: evaluating again for real shows what happens.
      if (keyed) memory->RememberFailure(key);
      return Outcome::Failed;
    }
  }
  if (keyed) memory->Remember(key, static_cast<DoubleTypeFitnessIndividual*>(member)->GetFitness(), text);
  return Outcome::Evaluated;
}
