#include "programs/CaseVectorEvaluator.h"

#include <cstddef>
#include <cstring>

#include "programs/BasicFunction.h"
#include "programs/BoolFunction.h"
#include "programs/CompiledProgram.h"
#include "programs/DoubleFunction.h"
#include "programs/Operator.h"

namespace {
// Most arguments of a typed node (CompiledProgram computes larger calls
// through the operator's Operate, which makes a program untyped).
constexpr int kArguments = 8;

template <class Kernel>
void Unary(double* out, const double* a, int lanes, Kernel kernel) {
  for (int c = 0; c < lanes; ++c) out[c] = kernel(a[c]);
}

template <class Kernel>
void Binary(double* out, const double* a, const double* b, int lanes, Kernel kernel) {
  for (int c = 0; c < lanes; ++c) out[c] = kernel(a[c], b[c]);
}

template <class Kernel>
void BinaryInt(int* out, const int* a, const int* b, int lanes, Kernel kernel) {
  for (int c = 0; c < lanes; ++c) out[c] = kernel(a[c], b[c]);
}

// Whether the condition of case c holds, as the if operator decides it.
struct Condition {
  int type;
  const int* ints;
  const double* doubles;
  bool operator()(int c) const {
    if (type == ValueType::Double) return doubles[c] > 0.0;
    if (type == ValueType::Int) return ints[c] > 0;
    return ints[c] == 1;
  }
};
}  // namespace

bool CaseVectorEvaluator::Accepts(const CompiledProgram& program) { return program.IsTyped(); }

std::uint64_t CaseVectorEvaluator::HashOf(int code, const double* input, int lanes) {
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(code + 1);
  for (int c = 0; c < lanes; ++c) {
    std::uint64_t bits;
    std::memcpy(&bits, input + c, sizeof bits);
    hash = (hash ^ bits) * 0x100000001B3ULL;
    hash ^= hash >> 29;
  }
  return hash;
}

const double* CaseVectorEvaluator::Recall(int code, const double* input, int lanes, std::uint64_t hash) const {
  if (remembered.empty()) return nullptr;
  const Remembered& entry = remembered[hash % kRemembered];
  if (entry.code == code && entry.lanes == lanes && entry.hash == hash &&
      std::memcmp(entry.input.data(), input, static_cast<std::size_t>(lanes) * sizeof(double)) == 0) {
    return entry.output.data();
  }
  return nullptr;
}

void CaseVectorEvaluator::Remember(int code, const double* input, int lanes, std::uint64_t hash,
                                  const double* output) {
  if (remembered.empty()) remembered.resize(kRemembered);
  Remembered& entry = remembered[hash % kRemembered];
  entry.code = code;
  entry.lanes = lanes;
  entry.hash = hash;
  entry.input.assign(input, input + lanes);
  entry.output.assign(output, output + lanes);
}

const double* CaseVectorEvaluator::Widened(const Slot& slot, std::size_t position, int lanes) {
  if (slot.type == ValueType::Double) return slot.doubles;
  double* out = DoubleBuffer(position);
  for (int c = 0; c < lanes; ++c) out[c] = static_cast<double>(slot.ints[c]);
  return out;
}

void CaseVectorEvaluator::Evaluate(const CompiledProgram& program, int allLanes, const int* const* intLanes,
                                   const double* const* doubleLanes, std::uint32_t uniformInts,
                                   std::uint32_t uniformDoubles) {
  using P = CompiledProgram;
  std::size_t depth = static_cast<std::size_t>(program.GetNodeDepth());
  if (intSlots.size() < depth * kMaxLanes) {
    intSlots.resize(depth * kMaxLanes);
    doubleSlots.resize(depth * kMaxLanes);
  }
  if (stack.size() < depth) stack.resize(depth);
  std::size_t top = 0;
  for (const P::Node& node : program.GetNodes()) {
    std::size_t s = top - static_cast<std::size_t>(node.arity);
    Slot* args = stack.data() + s;
    int* intOut = IntBuffer(s);
    double* doubleOut = DoubleBuffer(s);
    // Arguments that are the same in every case give a value that is the
    // same in every case: it is computed for the first case only.
    bool uniform = node.arity > 0;
    for (int i = 0; i < node.arity; ++i) uniform = uniform && args[i].uniform;
    int lanes = uniform ? 1 : allLanes;
    Slot result{node.type, nullptr, nullptr, uniform};
    switch (node.code) {
      case P::kIntConst:
        for (int c = 0; c < allLanes; ++c) intOut[c] = node.intValue;
        result.ints = intOut;
        result.uniform = true;
        break;
      case P::kDoubleConst:
        for (int c = 0; c < allLanes; ++c) doubleOut[c] = node.doubleValue;
        result.doubles = doubleOut;
        result.uniform = true;
        break;
      case P::kIntVariable:
      case P::kBoolVariable:
        result.ints = intLanes[node.index];
        result.uniform = (uniformInts >> node.index & 1u) != 0;
        break;
      case P::kDoubleVariable:
        result.doubles = doubleLanes[node.index];
        result.uniform = (uniformDoubles >> node.index & 1u) != 0;
        break;
      case P::kPlus:
      case P::kSubtract:
      case P::kTimes: {
        int n = node.arity;
        if (node.type == ValueType::Int) {
          if (n == 2 && node.code == P::kPlus) {
            BinaryInt(intOut, args[0].ints, args[1].ints, lanes, [](int x, int y) { return FunctionPlus::Of(x, y); });
          } else if (n == 2 && node.code == P::kTimes) {
            BinaryInt(intOut, args[0].ints, args[1].ints, lanes, [](int x, int y) { return FunctionTimes::Of(x, y); });
          } else if (node.code == P::kSubtract) {
            BinaryInt(intOut, args[0].ints, args[1].ints, lanes,
                      [](int x, int y) { return FunctionSubtract::Of(x, y); });
          } else {
            for (int c = 0; c < lanes; ++c) {
              int v[kArguments];
              for (int i = 0; i < n; ++i) v[i] = args[i].ints[c];
              intOut[c] = node.code == P::kPlus ? FunctionPlus::Of(v, n) : FunctionTimes::Of(v, n);
            }
          }
          result.ints = intOut;
          break;
        }
        const double* a[kArguments];
        for (int i = 0; i < n; ++i) a[i] = Widened(args[i], s + static_cast<std::size_t>(i), lanes);
        if (n == 2 && node.code == P::kPlus) {
          Binary(doubleOut, a[0], a[1], lanes, [](double x, double y) { return FunctionPlus::Of(x, y); });
        } else if (n == 2 && node.code == P::kTimes) {
          Binary(doubleOut, a[0], a[1], lanes, [](double x, double y) { return FunctionTimes::Of(x, y); });
        } else if (node.code == P::kSubtract) {
          Binary(doubleOut, a[0], a[1], lanes, [](double x, double y) { return FunctionSubtract::Of(x, y); });
        } else {
          for (int c = 0; c < lanes; ++c) {
            double v[kArguments];
            for (int i = 0; i < n; ++i) v[i] = a[i][c];
            doubleOut[c] = node.code == P::kPlus ? FunctionPlus::Of(v, n) : FunctionTimes::Of(v, n);
          }
        }
        result.doubles = doubleOut;
        break;
      }
      case P::kDivide:
      case P::kLog:
      case P::kPow: {
        const double* x = Widened(args[0], s, lanes);
        const double* y = Widened(args[1], s + 1, lanes);
        if (node.code == P::kDivide) {
          Binary(doubleOut, x, y, lanes, [](double p, double q) { return FunctionDivide::Of(p, q); });
        } else if (node.code == P::kLog) {
          Binary(doubleOut, x, y, lanes, [](double p, double q) { return FunctionLog::Of(p, q); });
        } else {
          Binary(doubleOut, x, y, lanes, [](double p, double q) { return FunctionPow::Of(p, q); });
        }
        result.doubles = doubleOut;
        break;
      }
      case P::kSin:
      case P::kCos:
      case P::kLn:
      case P::kExp: {
        const double* x = Widened(args[0], s, lanes);
        // Worth remembering where the function costs more than finding it.
        bool remember = lanes >= 16;
        std::uint64_t hash = remember ? HashOf(node.code, x, lanes) : 0;
        if (remember) {
          // Copied out: the remembered values may be replaced while this
          // node's value is still wanted.
          if (const double* known = Recall(node.code, x, lanes, hash)) {
            std::memcpy(doubleOut, known, static_cast<std::size_t>(lanes) * sizeof(double));
            result.doubles = doubleOut;
            break;
          }
        }
        if (node.code == P::kSin) {
          Unary(doubleOut, x, lanes, [](double p) { return FunctionSin::Of(p); });
        } else if (node.code == P::kCos) {
          Unary(doubleOut, x, lanes, [](double p) { return FunctionCos::Of(p); });
        } else if (node.code == P::kLn) {
          Unary(doubleOut, x, lanes, [](double p) { return FunctionLn::Of(p); });
        } else {
          Unary(doubleOut, x, lanes, [](double p) { return FunctionExp::Of(p); });
        }
        if (remember) Remember(node.code, x, lanes, hash, doubleOut);
        result.doubles = doubleOut;
        break;
      }
      case P::kAnd:
      case P::kOr:
      case P::kNand:
      case P::kNor: {
        int n = node.arity;
        for (int c = 0; c < lanes; ++c) {
          int v[kArguments];
          for (int i = 0; i < n; ++i) v[i] = args[i].ints[c];
          intOut[c] = node.code == P::kAnd    ? FunctionAnd::Of(v, n)
                      : node.code == P::kOr   ? FunctionOr::Of(v, n)
                      : node.code == P::kNand ? FunctionNand::Of(v, n)
                                              : FunctionNor::Of(v, n);
        }
        result.ints = intOut;
        break;
      }
      case P::kIf: {
        Condition condition{args[0].type, args[0].ints, args[0].doubles};
        if (node.type == ValueType::Double) {
          const double* t = args[1].doubles;
          const double* e = args[2].doubles;
          for (int c = 0; c < lanes; ++c) doubleOut[c] = condition(c) ? t[c] : e[c];
          result.doubles = doubleOut;
        } else {
          const int* t = args[1].ints;
          const int* e = args[2].ints;
          for (int c = 0; c < lanes; ++c) intOut[c] = condition(c) ? t[c] : e[c];
          result.ints = intOut;
        }
        break;
      }
      default: {  // kIflte
        const double* a = Widened(args[0], s, lanes);
        const double* b = Widened(args[1], s + 1, lanes);
        // Not a number on either side runs the then-branch.
        if (node.type == ValueType::Double) {
          const double* t = args[2].doubles;
          const double* e = args[3].doubles;
          for (int c = 0; c < lanes; ++c) doubleOut[c] = a[c] > b[c] ? e[c] : t[c];
          result.doubles = doubleOut;
        } else {
          const int* t = args[2].ints;
          const int* e = args[3].ints;
          for (int c = 0; c < lanes; ++c) intOut[c] = a[c] > b[c] ? e[c] : t[c];
          result.ints = intOut;
        }
        break;
      }
    }
    if (uniform && lanes < allLanes) {
      // The first case's value, copied to every case (into the position's
      // own buffer: an argument's lanes may belong to a variable).
      if (result.type == ValueType::Double) {
        double value = result.doubles[0];
        for (int c = 0; c < allLanes; ++c) doubleOut[c] = value;
        result.doubles = doubleOut;
      } else {
        int value = result.ints[0];
        for (int c = 0; c < allLanes; ++c) intOut[c] = value;
        result.ints = intOut;
      }
    }
    stack[s] = result;
    top = s + 1;
  }
  intResult = stack[0].ints;
  doubleResult = stack[0].doubles;
}
