// SIGINT and SIGTERM during a batch. The first asks the evolutionary system
// to stop at its next safe point (between two individuals), so that the batch
// can write what it has; a second signal of either kind ends the process at
// once. The log lines and table rows of every finished generation are flushed
// as the generation ends, so they are on disk by then.
#pragma once

class EvolutionarySystem;

class Interruption {
 public:
  // Catches both signals for system (not owned) until destroyed; then their
  // default action holds again.
  explicit Interruption(EvolutionarySystem* system);
  ~Interruption();
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

  // The first signal caught, 0 when none was.
  static int Received();
  // What the process ends with after the signal: 128 + its number (130 for
  // SIGINT, 143 for SIGTERM).
  static int ExitStatus() { return 128 + Received(); }
};
