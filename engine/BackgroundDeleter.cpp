#include "engine/BackgroundDeleter.h"

#include "engine/Population.h"
#include "programs/Head.h"

BackgroundDeleter::BackgroundDeleter() : thread([this] { Loop(); }) {}

BackgroundDeleter::~BackgroundDeleter() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}

void BackgroundDeleter::Delete(std::unique_ptr<Population> population) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    waiting.push_back(std::move(population));
  }
  changed.notify_all();
}

void BackgroundDeleter::Wait() {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return waiting.empty() && !busy; });
}

void BackgroundDeleter::Loop() {
  for (;;) {
    std::unique_ptr<Population> population;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [this] { return stopping || !waiting.empty(); });
      if (waiting.empty()) return;  // stopping, and nothing is left
      population = std::move(waiting.front());
      waiting.pop_front();
      busy = true;
    }
    population->DeleteAll();
    population.reset();
    // The freed nodes are for the threads that make new ones.
    Head::ReturnFreeNodes();
    {
      std::lock_guard<std::mutex> lock(mutex);
      busy = false;
    }
    changed.notify_all();
  }
}
