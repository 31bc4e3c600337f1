// Destroys retired populations on a thread of its own, so that releasing the
// thousands of program nodes of a generation overlaps with breeding the next
// one. Destroying a population has no effect besides freeing memory, so
// nothing of a run changes.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class Population;

class BackgroundDeleter {
 public:
  BackgroundDeleter();
  BackgroundDeleter(const BackgroundDeleter&) = delete;
  BackgroundDeleter& operator=(const BackgroundDeleter&) = delete;
  // Destroys whatever is still waiting, then ends the thread.
  ~BackgroundDeleter();

  // Destroys the members of population (DeleteAll) and the population, soon.
  void Delete(std::unique_ptr<Population> population);
  // Returns once everything handed over has been destroyed.
  void Wait();

 private:
  void Loop();

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::unique_ptr<Population>> waiting;
  bool busy = false;
  bool stopping = false;
  std::thread thread;
};
