// Fuzz target: arbitrary bytes as a problem file, read by the problem register
// (every problem kind, chosen by the first word).
#include <sstream>

#include "FuzzSupport.h"
#include "run/ProblemRegister.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(InputText(data, size));
  ProblemRegister problems(20);
  try {
    problems.Create(in);
  } catch (const FatalReport&) {
  }
  return 0;
}
