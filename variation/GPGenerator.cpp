#include "variation/GPGenerator.h"

#include <memory>
#include <string>

#include "foundation/Exception.h"
#include "programs/GPSymbolRegister.h"
#include "programs/HeadLispCodePointer.h"
#include "programs/LispCode.h"
#include "programs/Operator.h"

GPDepthLimitGenerator::GPDepthLimitGenerator(GPSymbolRegister* symbols, int depthLimit)
    : depthLimit(depthLimit), symbols(symbols) {}

LispCode* GPDepthLimitGenerator::Generate() {
  if (depthLimit <= 0) GetException()->FatalError("depthLimit = 0", ClassNameOf(*this), "Generate");
  HeadLispCodePointer pointer;
  try {
    GenerateHelper(&pointer, 1);
  } catch (...) {
    // A report thrown part way (where reports are thrown, as in the window)
    // leaves none of the nodes made so far behind.
    std::unique_ptr<LispCode> partial(pointer.CreateCode());
    partial->DeleteTree();
    throw;
  }
  return pointer.CreateCode();
}

void GPDepthLimitGenerator::GenerateHelper(LispCodePointer* pointer, int depth) {
  // The outermost call starts the count of a new program.
  if (nesting == 0) made = 0;
  ++nesting;
  struct Leave {
    int& nesting;
    ~Leave() { --nesting; }
  } leave{nesting};
  if (++made > kMaxNodes) {
    GetException()->FatalError("A random program of depth limit " + std::to_string(depthLimit) +
                                   " has more than " + std::to_string(kMaxNodes) +
                                   " nodes; the node set grows programs too fast for that depth",
                               ClassNameOf(*this), "Generate");
  }
  Operator* op;
  if (depth == depthLimit) {
    op = symbols->GetRandomTerminal();
    if (op->GetArity() != 0) {
      GetException()->FatalError("arity of terminal symbol != 0", ClassNameOf(*this), "GenerateHelper");
    }
  } else {
    op = symbols->GetRandomOperator();
  }
  pointer->Append(op);
  for (int i = 0; i < op->GetArity(); ++i) {
    std::unique_ptr<LispCodePointer> child(pointer->CreateChildPointer());
    GenerateHelper(child.get(), depth + 1);
  }
}
