// A thread started on another processor than the thread that starts it,
// where the process may run on another, for work that runs beside its
// starter. Left to the scheduler, a new thread first waits in its starter's
// processor's queue while that processor is busy, until the next balancing
// moves it: on a virtual machine whose other processor was idle, about 3 ms
// here, longer than a whole generation of the light problems. Once running,
// the thread may run on any processor the process may.
#pragma once

#include <functional>

class SpreadThread {
 public:
  SpreadThread() = default;
  // Starts body on a new thread; throws std::system_error where no thread
  // can be made (as std::thread does).
  explicit SpreadThread(std::function<void()> body);
  SpreadThread(SpreadThread&& other) noexcept;
  SpreadThread& operator=(SpreadThread&& other) noexcept;
  SpreadThread(const SpreadThread&) = delete;
  SpreadThread& operator=(const SpreadThread&) = delete;
  // Waits for the thread to end, where it was not joined.
  ~SpreadThread();

  bool Joinable() const { return started; }
  // Waits for the thread to end.
  void Join();

 private:
  unsigned long handle = 0;  // the pthread_t
  bool started = false;
};
