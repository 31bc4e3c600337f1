#include "programs/CaseVectorEvaluator.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "programs/CompiledProgram.h"
#include "programs/Kernels.h"

namespace {
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
    using If = Kernel<OpCode::If>;
    if (type == ValueType::Double) return If::HoldsDouble(doubles[c]);
    if (type == ValueType::Int) return If::HoldsInt(ints[c]);
    return If::HoldsBool(ints[c]);
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
  std::size_t depth = static_cast<std::size_t>(program.GetNodeDepth());
  if (intSlots.size() < depth * kMaxLanes) {
    intSlots.resize(depth * kMaxLanes);
    doubleSlots.resize(depth * kMaxLanes);
  }
  if (stack.size() < depth) stack.resize(depth);
  std::size_t top = 0;
  for (const TypedNode& node : program.GetNodes()) {
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
    const int n = node.arity;

    // The nodes by kind of operation, each computing with the kernels of the
    // operation c (a std::integral_constant of its code). Numeric arguments:
    // ints when the node is an int, else widened to doubles.
    auto widest = [&](auto c) {
      using K = Kernel<decltype(c)::value>;
      if (node.type == ValueType::Int) {
        if (n == 2) {
          BinaryInt(intOut, args[0].ints, args[1].ints, lanes, [](int x, int y) { return K::Of(x, y); });
        } else {
          for (int lane = 0; lane < lanes; ++lane) {
            int v[kMostInlineArguments];
            for (int i = 0; i < n; ++i) v[i] = args[i].ints[lane];
            intOut[lane] = K::Of(v, n);
          }
        }
        result.ints = intOut;
        return;
      }
      const double* a[kMostInlineArguments];
      for (int i = 0; i < n; ++i) a[i] = Widened(args[i], s + static_cast<std::size_t>(i), lanes);
      if (n == 2) {
        Binary(doubleOut, a[0], a[1], lanes, [](double x, double y) { return K::Of(x, y); });
      } else {
        for (int lane = 0; lane < lanes; ++lane) {
          double v[kMostInlineArguments];
          for (int i = 0; i < n; ++i) v[i] = a[i][lane];
          doubleOut[lane] = K::Of(v, n);
        }
      }
      result.doubles = doubleOut;
    };
    // Numeric arguments widened, a double out. The functions of one argument
    // remember their values where that costs less than computing them.
    auto real = [&](auto c) {
      constexpr OpCode code = decltype(c)::value;
      using K = Kernel<code>;
      result.doubles = doubleOut;
      const double* x = Widened(args[0], s, lanes);
      if constexpr (OperationOf(code).most == 2) {
        const double* y = Widened(args[1], s + 1, lanes);
        Binary(doubleOut, x, y, lanes, [](double p, double q) { return K::Of(p, q); });
      } else {
        bool remember = lanes >= 16;
        std::uint64_t hash = remember ? HashOf(static_cast<int>(code), x, lanes) : 0;
        if (remember) {
          // Copied out: the remembered values may be replaced while this
          // node's value is still wanted.
          if (const double* known = Recall(static_cast<int>(code), x, lanes, hash)) {
            std::memcpy(doubleOut, known, static_cast<std::size_t>(lanes) * sizeof(double));
            return;
          }
        }
        Unary(doubleOut, x, lanes, [](double p) { return K::Of(p); });
        if (remember) Remember(static_cast<int>(code), x, lanes, hash, doubleOut);
      }
    };
    // Bool arguments, a bool out.
    auto logic = [&](auto c) {
      using K = Kernel<decltype(c)::value>;
      for (int lane = 0; lane < lanes; ++lane) {
        int v[kMostInlineArguments];
        for (int i = 0; i < n; ++i) v[i] = args[i].ints[lane];
        intOut[lane] = K::Of(v, n);
      }
      result.ints = intOut;
    };
#define MORVANE2_CODE(operation) std::integral_constant<OpCode, OpCode::operation>{}

    switch (node.code) {
      case OpCode::IntConst:
        for (int c = 0; c < allLanes; ++c) intOut[c] = node.intValue;
        result.ints = intOut;
        result.uniform = true;
        break;
      case OpCode::DoubleConst:
        for (int c = 0; c < allLanes; ++c) doubleOut[c] = node.doubleValue;
        result.doubles = doubleOut;
        result.uniform = true;
        break;
      case OpCode::IntVariable:
      case OpCode::BoolVariable:
        result.ints = intLanes[node.index];
        result.uniform = (uniformInts >> node.index & 1u) != 0;
        break;
      case OpCode::DoubleVariable:
        result.doubles = doubleLanes[node.index];
        result.uniform = (uniformDoubles >> node.index & 1u) != 0;
        break;
      case OpCode::Plus:
        widest(MORVANE2_CODE(Plus));
        break;
      case OpCode::Subtract:
        widest(MORVANE2_CODE(Subtract));
        break;
      case OpCode::Times:
        widest(MORVANE2_CODE(Times));
        break;
      case OpCode::Divide:
        real(MORVANE2_CODE(Divide));
        break;
      case OpCode::Sin:
        real(MORVANE2_CODE(Sin));
        break;
      case OpCode::Cos:
        real(MORVANE2_CODE(Cos));
        break;
      case OpCode::Ln:
        real(MORVANE2_CODE(Ln));
        break;
      case OpCode::Exp:
        real(MORVANE2_CODE(Exp));
        break;
      case OpCode::Log:
        real(MORVANE2_CODE(Log));
        break;
      case OpCode::Pow:
        real(MORVANE2_CODE(Pow));
        break;
      case OpCode::And:
        logic(MORVANE2_CODE(And));
        break;
      case OpCode::Or:
        logic(MORVANE2_CODE(Or));
        break;
      case OpCode::Nand:
        logic(MORVANE2_CODE(Nand));
        break;
      case OpCode::Nor:
        logic(MORVANE2_CODE(Nor));
        break;
      case OpCode::If: {
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
      case OpCode::Iflte: {
        using Iflte = Kernel<OpCode::Iflte>;
        const double* a = Widened(args[0], s, lanes);
        const double* b = Widened(args[1], s + 1, lanes);
        if (node.type == ValueType::Double) {
          const double* t = args[2].doubles;
          const double* e = args[3].doubles;
          for (int c = 0; c < lanes; ++c) doubleOut[c] = Iflte::RunsThen(a[c], b[c]) ? t[c] : e[c];
          result.doubles = doubleOut;
        } else {
          const int* t = args[2].ints;
          const int* e = args[3].ints;
          for (int c = 0; c < lanes; ++c) intOut[c] = Iflte::RunsThen(a[c], b[c]) ? t[c] : e[c];
          result.ints = intOut;
        }
        break;
      }
      // Never typed: the robot's operations and an operator's own Operate.
      case OpCode::MoveForward:
      case OpCode::MoveBackward:
      case OpCode::MoveLeft:
      case OpCode::MoveRight:
      case OpCode::TurnLeft:
      case OpCode::TurnRight:
      case OpCode::Sensor:
      case OpCode::IfFoodAhead:
      case OpCode::Operate:
      case OpCode::TreeOnly:
      case OpCode::Jump:
      case OpCode::End:
        std::abort();
    }
#undef MORVANE2_CODE
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
