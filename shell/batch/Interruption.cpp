#include "shell/batch/Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "run/EvolutionarySystem.h"

namespace {
std::atomic<int> received{0};
std::atomic<EvolutionarySystem*> target{nullptr};
// Whether standard error is a terminal, found out before any signal.
std::atomic<bool> terminal{false};

// Only lock-free atomics and async-signal-safe calls here: the stop request
// itself is an atomic flag.
void OnSignal(int number) {
  int expected = 0;
  if (received.compare_exchange_strong(expected, number)) {
    EvolutionarySystem* system = target.load();
    if (system != nullptr) system->RequestStop();
    return;
  }
  // The second signal: end the line a progress line may have left open.
  if (terminal.load()) {
    ssize_t ignored = write(STDERR_FILENO, "\n", 1);
    static_cast<void>(ignored);
  }
  _exit(128 + number);
}

void Catch(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Writes and waits under way go on after the handler.
  action.sa_flags = SA_RESTART;
  sigaction(number, &action, nullptr);
}
}  // namespace

Interruption::Interruption(EvolutionarySystem* system) {
  static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free &&
                std::atomic<EvolutionarySystem*>::is_always_lock_free);
  target = system;
  terminal = isatty(STDERR_FILENO) != 0;
  Catch(SIGINT, &OnSignal);
  Catch(SIGTERM, &OnSignal);
}

Interruption::~Interruption() {
  Catch(SIGINT, SIG_DFL);
  Catch(SIGTERM, SIG_DFL);
  target = nullptr;
}

int Interruption::Received() { return received.load(); }
