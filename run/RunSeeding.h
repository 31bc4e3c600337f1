// The seed each run of a batch starts from. With run_seeding 0 (or absent)
// one generator is seeded once with "seed" and the runs follow each other in
// its stream; with run_seeding 1 run k (0-based) is reseeded with seed + k, so
// that it stands alone: a one-run batch of that seed repeats it, and a batch
// can be split among processes.
#pragma once

#include <cstdint>

// The seed run runIndex (0-based) of a batch starts from: batchSeed +
// runIndex with runSeeding 1. With runSeeding 0 it is batchSeed for every run:
// the batch's one stream starts there, and a later run continues it (it can be
// repeated only as part of the whole batch).
inline std::int64_t SeedOfRun(std::int64_t batchSeed, int runIndex, int runSeeding) {
  return runSeeding == 1 ? batchSeed + runIndex : batchSeed;
}

// The value Utility::Seed is given for that seed: the generator takes 32 bits,
// wrapping as the batch's own seeding does.
inline std::uint32_t GeneratorSeed(std::int64_t seed) { return static_cast<std::uint32_t>(seed); }
