// The number of the calling thread among the threads that evaluate a
// population: 0 for the thread that breeds (and any thread outside an
// evaluation), 1 and up for the evaluating workers. Programs remember the
// thread that made them, so that each thread can go on working on trees that
// are still in its own caches.
#pragma once

namespace ThreadSlot {
int Get();
// Sets the calling thread's number (a worker does it once when it starts).
void Set(int slot);
}  // namespace ThreadSlot
