#include "foundation/SpreadThread.h"

#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <memory>
#include <system_error>
#include <utility>

static_assert(sizeof(pthread_t) <= sizeof(unsigned long), "pthread_t held in an unsigned long");

namespace {
struct Start {
  std::function<void()> body;
  cpu_set_t processors;  // where the process may run, when it was started
  bool placed = false;   // whether the thread was started elsewhere
};

// As with std::thread, an exception that leaves the body ends the process.
void RunBody(const std::function<void()>& body) noexcept { body(); }

void* Run(void* argument) {
  std::unique_ptr<Start> start(static_cast<Start*>(argument));
  // Placed away from the starter's processor only to start at once: from
  // here the thread may run anywhere the process may.
  if (start->placed) sched_setaffinity(0, sizeof start->processors, &start->processors);
  std::function<void()> body = std::move(start->body);
  start.reset();
  RunBody(body);
  return nullptr;
}
}  // namespace

SpreadThread::SpreadThread(std::function<void()> body) {
  auto start = std::make_unique<Start>();
  start->body = std::move(body);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  int here = sched_getcpu();
  if (here >= 0 && here < CPU_SETSIZE &&
      sched_getaffinity(0, sizeof start->processors, &start->processors) == 0) {
    cpu_set_t elsewhere = start->processors;
    CPU_CLR(here, &elsewhere);
    if (CPU_COUNT(&elsewhere) > 0 &&
        pthread_attr_setaffinity_np(&attributes, sizeof elsewhere, &elsewhere) == 0) {
      start->placed = true;
    }
  }
  pthread_t thread;
  int error = pthread_create(&thread, &attributes, Run, start.get());
  if (error == EINVAL && start->placed) {
    // The processors went away meanwhile: start it where the scheduler says.
    pthread_attr_destroy(&attributes);
    pthread_attr_init(&attributes);
    start->placed = false;
    error = pthread_create(&thread, &attributes, Run, start.get());
  }
  pthread_attr_destroy(&attributes);
  if (error != 0) throw std::system_error(error, std::generic_category(), "pthread_create");
  start.release();
  handle = static_cast<unsigned long>(thread);
  started = true;
}

SpreadThread::SpreadThread(SpreadThread&& other) noexcept
    : handle(std::exchange(other.handle, 0)), started(std::exchange(other.started, false)) {}

SpreadThread& SpreadThread::operator=(SpreadThread&& other) noexcept {
  if (this != &other) {
    Join();
    handle = std::exchange(other.handle, 0);
    started = std::exchange(other.started, false);
  }
  return *this;
}

SpreadThread::~SpreadThread() { Join(); }

void SpreadThread::Join() {
  if (!started) return;
  pthread_join(static_cast<pthread_t>(handle), nullptr);
  started = false;
}
