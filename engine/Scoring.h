// How a member of a population gets its fitness: from the fitness memory when
// a program identical to its own was scored before, otherwise from the
// problem's fitness function (the memory then learns the result). Scoring on
// one thread and on every evaluating thread goes through Score.
#pragma once

#include <functional>
#include <string>

#include "engine/FitnessMemory.h"

class Individual;
class Problem;

namespace Scoring {
// Called for each member of a population once it has its fitness, with its
// index in the population as it was scored, on the thread that scored it
// (several at once on several threads, each with its own members).
using Watch = std::function<void(int index, Individual* member)>;

enum class Outcome {
  Evaluated,   // the fitness function ran
  Remembered,  // the fitness came from memory
  Failed,      // the evaluation made a fatal report, captured: nothing was reported yet
};

// What becomes of the lines an evaluation writes (warnings, diagnostics).
enum class Lines {
  // Written as they come, except where the memory must learn them: those
  // are captured into text like every line recalled from memory.
  AsTheyCome,
  // Always captured into text, for the caller to write in population order.
  Captured,
};

// Gives member (already made) its fitness with problem; memory may be null.
// text receives the lines the caller must write. A Failed member must be
// evaluated again by the caller outside capture mode: its report then ends
// the process exactly as a plain evaluation's would.
Outcome Score(Problem* problem, FitnessMemory* memory, Individual* member, Lines lines, std::string& text);

// The key (the program node for node) the calling thread's last Score made
// for member; null when that Score made none, or was for another member.
// Valid until the thread's next Score: a watch may read it.
const FitnessMemory::Key* LastKey(const Individual* member);
}  // namespace Scoring
