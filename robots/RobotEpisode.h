// The shape the robot problems share: an interpreter, a room and a robot of
// the problem's own, an evaluation that is one episode from the problem's
// start values with the fitness read from the room afterwards, and a
// recording of one episode for the window. A robot problem supplies the
// start of its episode, its fitness, its recorders and its picture.
#pragma once

#include <memory>
#include <typeinfo>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "engine/Problem.h"
#include "problems/EvaluationPaths.h"
#include "programs/ActionList.h"
#include "programs/FlatLispCode.h"
#include "programs/LispInterpreter.h"
#include "robots/RobotProblemSupport.h"

template <class Room, class EpisodeRobot>
class RobotEpisodeProblem : public RobotProblem {
 public:
  // Destroys a path recorder still attached to the room.
  ~RobotEpisodeProblem() override {
    if (room) delete room->TakeRecorder();
  }

  // One episode from the start values, by the path the paths setting picks.
  void FitnessFunction(Individual* individual) final {
    DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
    LispCode* program = CastGPChromosome(scored)->GetCode();
    StartEpisode();
    if (!RunActionsAtOnce(program)) {
      paths.Evaluate(program, GetPaths(), [&](const auto& run) { RunEpisode(&interpreter, robot.get(), run); });
    }
    scored->SetFitness(EpisodeFitness());
  }
  bool IsRecording() override { return room->IsRecording(); }
  // An episode starts from the same start values every time.
  bool CanReuseFitness() override { return true; }
  // The episode with fresh recorders attached, which the recording takes.
  std::unique_ptr<Recording> Record(Individual* individual) final {
    StartRecording();
    FitnessFunction(individual);
    return TakeRecording();
  }

  Room* GetRoom() { return room.get(); }
  EpisodeRobot* GetRobot() { return robot.get(); }

 protected:
  RobotEpisodeProblem() = default;
  // For Clone: the interpreter's variables are taken over; the copy makes
  // its own room and robot.
  RobotEpisodeProblem(const RobotEpisodeProblem& other) : RobotProblem(other) {
    interpreter.CopyVariables(other.interpreter);
  }

  // Puts robot and room where every episode starts.
  virtual void StartEpisode() = 0;
  // The fitness of the episode just run, read from the room.
  virtual double EpisodeFitness() = 0;
  // After an episode run with the recorders of StartRecording: takes them
  // back from the room and keeps the picture of the episode.
  virtual std::unique_ptr<Recording> TakeRecording() = 0;

  LispInterpreter interpreter;
  std::unique_ptr<Room> room;
  std::unique_ptr<EpisodeRobot> robot;

 private:
  // A flat program of actions alone, for a robot with a loop of its own,
  // runs the whole episode there as the compiled path would run it, without
  // the analysis compiling makes for the other evaluators; false (nothing
  // run) for any other program or robot.
  bool RunActionsAtOnce(LispCode* program) {
    if constexpr (requires(EpisodeRobot* r, const Action* a) { r->RunActionEpisode(a); }) {
      if (!robot->HasActionLoop() || GetPaths() == Paths::Tree || program == nullptr ||
          typeid(*program) != typeid(FlatLispCode)) {
        return false;
      }
      const FlatNode* root = static_cast<FlatLispCode*>(program)->GetRoot();
      if (root == nullptr || !actions.Make(root)) return false;
      interpreter.Clear();
      interpreter.SetRobot(robot.get());
      const Action* list = interpreter.ActionsToRun(actions);
      return list != nullptr && robot->RunActionEpisode(list);
    } else {
      (void)program;
      return false;
    }
  }

  EvaluationPaths paths;  // the program of the current episode
  ActionList actions;     // the program of the current episode as actions
};
