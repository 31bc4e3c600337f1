// Fuzz target: the walls file as the window's configuration writer copies it
// into a box-moving problem file, which is then read back. The writer only
// writes what the reader can read, so the only reports allowed on reading
// back are those about the walls themselves.
#include <sstream>

#include "FuzzSupport.h"
#include "run/ProblemRegister.h"
#include "shell/ConfigurationWriter.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzScratch& scratch = FuzzScratch::Get();
  scratch.Write("walls.txt", InputText(data, size));
  std::istringstream problem(ProblemText(WindowSettings::Defaults(), scratch.File("walls.txt")));
  ProblemRegister problems(20);
  try {
    problems.Create(problem);
  } catch (const FatalReport& report) {
    if (report.line.rfind("Fatal error: Expected ", 0) == 0) std::abort();
  }
  return 0;
}
