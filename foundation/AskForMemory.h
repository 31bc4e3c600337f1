// Asking the memory system for a range of bytes some time before it is read
// or written (a software prefetch of each cache line, up to a bound): for
// data another core most likely wrote or read, whose lines then arrive
// together rather than one after another as the reading or writing gets to
// them.
#pragma once

#include <cstddef>
#include <cstdint>

// Calls ask with the address of each cache line of bytes bytes at from, at
// most lines of them, from the line that holds the first byte on.
template <class Ask>
inline void ForEachLineOf(const void* from, std::ptrdiff_t bytes, int lines, const Ask& ask) {
  constexpr std::ptrdiff_t kLine = 64;
  const char* at = static_cast<const char*>(from);
  if (at == nullptr || bytes <= 0) return;
  auto first = static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(at) % kLine);
  std::ptrdiff_t count = (first + bytes + kLine - 1) / kLine;
  if (count > lines) count = lines;
  for (std::ptrdiff_t k = 0; k < count; ++k) ask(at - first + k * kLine);
}

// Asks for the cache lines of bytes bytes at from, at most lines of them
// (the hardware's own prefetcher carries a longer sequential read on).
inline void AskForMemory(const void* from, std::ptrdiff_t bytes, int lines = 16) {
  ForEachLineOf(from, bytes, lines, [](const char* line) { __builtin_prefetch(line); });
}

// Asks for the cache line that holds at to be this core's alone, ready to
// be written: where another core read it since, the line's other copies are
// taken back now rather than when the write reaches it. (The instruction is
// named outright: asked for with the compiler's own words, the baseline
// x86-64 build asks for a line to read; processors older than it ignore it.)
inline void AskToWrite(const void* at) {
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(at)));
#else
  __builtin_prefetch(at, 1);
#endif
}

// AskToWrite for each cache line of bytes bytes at from, at most lines of
// them.
inline void AskToWriteMemory(const void* from, std::ptrdiff_t bytes, int lines = 16) {
  ForEachLineOf(from, bytes, lines, [](const char* line) { AskToWrite(line); });
}
