// The batch logs of a run's generations: for each generation finished, the
// lines "g : best fitness", the best program and an empty line to the log
// stream "log", the generation best's fitness to the current run's "online"
// statistics collector and the best-so-far individual's to its "offline" one.
#pragma once

#include "engine/GenerationObserver.h"

class Producer;

class BatchLog : public GenerationObserver {
 public:
  // The collectors are the producer's (not owned).
  explicit BatchLog(Producer* producer) : producer(producer) {}
  void GenerationFinished(const GenerationRecord& record) override;

 private:
  Producer* producer;
};
