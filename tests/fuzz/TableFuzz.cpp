// Fuzz target: the node-set table read into a symbol register, then draws
// from it and a few random programs grown from it.
#include <memory>
#include <sstream>

#include "FuzzSupport.h"
#include "foundation/Utility.h"
#include "programs/GPSymbolRegister.h"
#include "programs/LispCode.h"
#include "programs/OperatorRegister.h"
#include "variation/GPGenerator.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(InputText(data, size));
  OperatorRegister operators(100);
  std::unique_ptr<LispCode> program;
  try {
    GPSymbolRegister symbols(&operators, in);
    GetUtility()->Seed(static_cast<std::uint32_t>(size));
    for (int i = 0; i < 4; ++i) {
      symbols.GetRandomOperator();
      symbols.GetRandomTerminal();
    }
    // Programs of at most 4 levels: at most 4^4 nodes with the widest operator.
    GPDepthLimitGenerator generator(&symbols, 1 + static_cast<int>(size % 4));
    for (int i = 0; i < 3; ++i) {
      program.reset(generator.Generate());
      program->ToString();
      program->DeleteTree();
      program.reset();
    }
  } catch (const FatalReport&) {
  }
  return 0;
}
