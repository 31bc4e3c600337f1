// The seed each run of a batch starts from. With run_seeding 0 (or absent)
// one generator is seeded once with "seed" and the runs follow each other in
// its stream; with run_seeding 1 run k (0-based) is reseeded with seed + k, so
// that it stands alone: a one-run batch of that seed repeats it, and a batch
// can be split among processes.
#pragma once

#include <cstdint>

// The seed run runIndex (0-based) of a batch starts from; with runSeeding 0
// only run 0 starts from a seed of its own (the batch's), later runs return
// the batch seed too although they continue the stream instead.
inline std::int64_t SeedOfRun(std::int64_t batchSeed, int runIndex, int runSeeding) {
  return runSeeding == 1 ? batchSeed + runIndex : batchSeed;
}

// The value Utility::Seed is given for that seed: the generator takes 32 bits,
// wrapping as the batch's own seeding does.
inline std::uint32_t GeneratorSeed(std::int64_t seed) { return static_cast<std::uint32_t>(seed); }
