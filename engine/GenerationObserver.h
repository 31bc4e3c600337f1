// Hears of a run as it goes: its start, each generation it finishes (a
// GenerationRecord), and its end. Observers are told on the run's thread, in
// the order they were added, between two steps of the run: nothing of the
// run changes meanwhile.
#pragma once

class Individual;
struct GenerationRecord;

struct RunStart {
  int run = 0;  // 1 for a system's first run
};

struct RunEnd {
  int run = 0;
  // The last generation finished (scored in full and reported), -1 when
  // none was; and the generation that solved the problem, -1 when none did.
  int lastGeneration = -1;
  int solvedGeneration = -1;
  // Whether a stop request ended the run. The system's population is then
  // still the last finished generation, until its Finish.
  bool stopped = false;
  // The best-so-far individual (in a batch it may come from an earlier run),
  // null when no generation has finished; and the record of the last
  // finished generation of this run, null when none has.
  Individual* best = nullptr;
  const GenerationRecord* last = nullptr;
};

class GenerationObserver {
 public:
  virtual ~GenerationObserver() = default;
  virtual void RunStarted(const RunStart&) {}
  virtual void GenerationFinished(const GenerationRecord&) {}
  virtual void RunEnded(const RunEnd&) {}
  // A run resumed from a checkpoint: it goes on after the generation record
  // describes (reported to the observers of the batch that wrote the
  // checkpoint, not to these).
  virtual void RunResumed(const GenerationRecord&) {}
};
