#include "engine/ThreadSlot.h"

namespace {
thread_local int slot = 0;
}  // namespace

int ThreadSlot::Get() { return slot; }

void ThreadSlot::Set(int number) { slot = number; }
