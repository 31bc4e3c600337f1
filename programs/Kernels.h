// The class whose static kernels compute each operation, by instruction
// code, as the operator table names it: Kernel<OpCode::Sin> is FunctionSin.
// The evaluation paths reach the kernels through it alone.
#pragma once

#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/ConditionalOperator.h"
#include "programs/DoubleFunction.h"
#include "programs/OperatorTable.h"
#include "programs/RobotFunction.h"

template <OpCode code>
struct KernelOf {
  using type = void;
};

#define MORVANE2_KERNEL_OF(code, family, kernel, ...) \
  template <>                                         \
  struct KernelOf<OpCode::code> {                     \
    using type = kernel;                              \
  };
MORVANE2_OPERATIONS(MORVANE2_KERNEL_OF)
#undef MORVANE2_KERNEL_OF

template <OpCode code>
using Kernel = typename KernelOf<code>::type;
