// A problem gives each individual its fitness (lower is better) and says
// whether a perfect individual has been found. Every problem can also record
// one evaluation for the window's picture; robot problems can write the path
// of one evaluation as text.
#pragma once

#include <memory>

#include "engine/Recording.h"

class DoubleTypeFitnessIndividual;
class GAChromosome;
class GPChromosome;
class Individual;
class MultiStream;

class Problem {
 public:
  // The ways a problem may evaluate programs; each gives exactly the same
  // fitness, flag and reports. Tree walks the program tree case by case (the
  // reference); Compiled runs the compiled program case by case; All also
  // evaluates many cases at once where the program allows it (the default).
  enum class Paths { Tree, Compiled, All };

  Problem() = default;
  Problem& operator=(const Problem&) = delete;
  virtual ~Problem() = default;

  // Evaluates the individual and stores its fitness with SetFitness.
  virtual void FitnessFunction(Individual* individual) = 0;
  virtual int IsSolved() { return solved; }
  virtual void ResetSolved() { solved = 0; }
  // Sets the solved flag as a checkpoint kept it.
  void RestoreSolved(bool value) { solved = value ? 1 : 0; }

  // A copy that a worker thread evaluates with beside this problem: the same
  // data, an interpreter (and room and robot) of its own, and the solved flag
  // 0. Null when the problem cannot be copied; its evaluations then stay on
  // one thread. The caller owns the copy, which needs nothing of this problem
  // once made.
  virtual Problem* Clone() { return nullptr; }
  // Whether scoring individuals on several threads can gain anything here:
  // false where an evaluation costs less than moving an individual from the
  // breeding thread's processor core to another; they are then all scored
  // on the breeding thread, whatever the thread count.
  virtual bool GainsFromThreads() { return true; }
  // Whether an evaluation now would record something (a robot's path) that
  // only this problem holds; such evaluations must not move to copies.
  virtual bool IsRecording() { return false; }
  // Whether a program identical node for node to one evaluated before may be
  // given the fitness it got then without being evaluated again: the fitness
  // depends on the program alone (and the problem's fixed data), and an
  // evaluation sets nothing else that counts, such as the solved flag.
  virtual bool CanReuseFitness() { return false; }
  // Evaluates the individual once more (its fitness comes out as before)
  // and keeps what the picture of that evaluation needs. Null for a problem
  // without a picture.
  virtual std::unique_ptr<Recording> Record(Individual*) { return nullptr; }
  // Sets the solved flag when copy has set its own: a perfect individual
  // found by a copy counts for this problem.
  void AdoptSolved(Problem* copy) {
    if (copy->IsSolved() == 1) solved = 1;
  }

  // For tests and measurements: the paths evaluations may take.
  void SetPaths(Paths p) { paths = p; }
  Paths GetPaths() const { return paths; }

 protected:
  // For Clone: the copy takes over the paths setting; its solved flag is 0.
  Problem(const Problem& other) : paths(other.paths) {}

  // For the fitness function that finds a perfect individual.
  void SetSolved() { solved = 1; }

  // The shared first steps of every fitness function. Each down-cast that
  // fails ends the process with a cast report naming this problem's class and
  // "FitnessFunction".
  DoubleTypeFitnessIndividual* CastIndividual(Individual* individual);
  GPChromosome* CastGPChromosome(DoubleTypeFitnessIndividual* individual);
  GAChromosome* CastGAChromosome(DoubleTypeFitnessIndividual* individual);

 private:
  int solved = 0;
  Paths paths = Paths::All;
};

class RobotProblem : public Problem {
 public:
  // Gives the room fresh recorders, so that the next evaluation records the
  // robot's path.
  virtual void StartRecording() = 0;
  // Takes the recorders back, writes the recorded path to stream as text and
  // destroys the recorders.
  virtual void WriteRecording(MultiStream* stream) = 0;
};
