// Fuzz target: the parameter file read into the int and real registers, then
// every key the system looks up.
#include <sstream>

#include "FuzzSupport.h"
#include "config/ParameterFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(InputText(data, size));
  IntRegister ints(20);
  DoubleRegister doubles(20);
  try {
    ReadParameters(in, ints, doubles);
    for (const char* key : {"initial_depth", "max_depth", "seed", "iteration_num", "max_generation",
                            "population_size", "elite_size", "tournament_size"}) {
      if (ints.Exists(key) == 1) ints.Get(key);
    }
    for (const char* key : {"crossover_ratio", "mutation_ratio"}) {
      if (doubles.Exists(key) == 1) doubles.Get(key);
    }
    ints.Get("no_such_key");  // the missing-key report
  } catch (const FatalReport&) {
  }
  return 0;
}
