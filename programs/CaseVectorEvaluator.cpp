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

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  h ^= h >> 33;
  return h;
}

// What tells a node from another of its own: its operation, arity and type,
// and a constant's value or a variable's index.
std::uint64_t FieldsOf(const TypedNode& node) {
  auto code = static_cast<std::uint64_t>(node.code);
  std::uint64_t fields = code << 48 ^ static_cast<std::uint64_t>(node.arity) << 16 ^
                         static_cast<std::uint64_t>(node.type);
  switch (node.code) {
    case OpCode::IntConst:
      return Mix(fields ^ 0x5A5A000000000000ULL) ^ static_cast<std::uint32_t>(node.intValue);
    case OpCode::DoubleConst: {
      std::uint64_t bits;
      std::memcpy(&bits, &node.doubleValue, sizeof bits);
      return Mix(fields) ^ bits;
    }
    case OpCode::IntVariable:
    case OpCode::BoolVariable:
    case OpCode::DoubleVariable:
      return fields ^ static_cast<std::uint64_t>(static_cast<std::uint32_t>(node.index)) << 24;
    default:
      return fields;
  }
}

// What a node costs to compute, roughly, in additions of all cases.
int WorkOf(OpCode code) { return OperationOf(code).typing == Typing::Real ? 8 : 1; }
}  // namespace

bool CaseVectorEvaluator::Accepts(const CompiledProgram& program) { return program.IsTyped(); }

bool CaseVectorEvaluator::FindKnownSubtrees(const CompiledProgram& program) {
  const std::vector<TypedNode>& nodes = program.GetNodes();
  std::size_t n = nodes.size();
  shapes.resize(n);
  sizes.resize(n);
  works.resize(n);
  cutTo.assign(n, -1);
  // The shapes bottom up: the roots of the subtrees done so far on a stack.
  std::vector<int>& roots = rootStack;
  roots.clear();
  bool worthKeeping = false;
  for (std::size_t i = 0; i < n; ++i) {
    const TypedNode& node = nodes[i];
    std::uint64_t fields = FieldsOf(node);
    SubtreeValues::Shape shape{Mix(fields ^ 0x9E3779B97F4A7C15ULL), Mix(fields + 0xD6E8FEB86659FD93ULL)};
    int size = 1;
    int work = node.arity > 0 ? WorkOf(node.code) : 0;
    std::size_t first = roots.size() - static_cast<std::size_t>(node.arity);
    for (std::size_t k = first; k < roots.size(); ++k) {
      auto child = static_cast<std::size_t>(roots[k]);
      shape.a = Mix(shape.a * 0x100000001B3ULL + shapes[child].a);
      shape.b = Mix((shape.b ^ shapes[child].b) * 0x9FB21C651E98DF25ULL + 1);
      size += sizes[child];
      work += works[child];
    }
    roots.resize(first);
    roots.push_back(static_cast<int>(i));
    shapes[i] = shape;
    sizes[i] = size;
    works[i] = work;
    worthKeeping = worthKeeping || WorthKeeping(work);
  }
  if (!worthKeeping) return false;
  // Top down from the root (the last node): the largest kept subtrees.
  for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(n) - 1; j >= 0;) {
    auto k = static_cast<std::size_t>(j);
    if (WorthKeeping(works[k]) && subtrees.Find(shapes[k], nodes[k].type) != nullptr) {
      cutTo[k + 1 - static_cast<std::size_t>(sizes[k])] = static_cast<int>(k);
      j -= sizes[k];
    } else {
      --j;
    }
  }
  return true;
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
  const std::vector<TypedNode>& nodes = program.GetNodes();
  // Subtrees are worth keeping across programs when there are enough cases.
  bool keeping = allLanes >= 16;
  if (keeping) {
    subtrees.BeginInputs(allLanes, program.GetIntVariablesUsed(), program.GetDoubleVariablesUsed(), intLanes,
                         doubleLanes);
    keeping = FindKnownSubtrees(program);
  }
  std::size_t top = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const TypedNode& node = nodes[i];
    if (keeping && cutTo[i] >= 0) {
      // A subtree whose values are kept (unless a later one took their place).
      auto root = static_cast<std::size_t>(cutTo[i]);
      int type = nodes[root].type;
      if (const void* known = subtrees.Find(shapes[root], type)) {
        Slot slot{type, IntBuffer(top), DoubleBuffer(top), false};
        if (type == ValueType::Double) {
          std::memcpy(DoubleBuffer(top), known, static_cast<std::size_t>(allLanes) * sizeof(double));
          slot.ints = nullptr;
        } else {
          std::memcpy(IntBuffer(top), known, static_cast<std::size_t>(allLanes) * sizeof(int));
          slot.doubles = nullptr;
        }
        stack[top] = slot;
        ++top;
        i = root;
        continue;
      }
    }
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
    // Numeric arguments widened, a double out.
    auto real = [&](auto c) {
      using K = Kernel<decltype(c)::value>;
      result.doubles = doubleOut;
      const double* x = Widened(args[0], s, lanes);
      if constexpr (OperationOf(decltype(c)::value).most == 2) {
        const double* y = Widened(args[1], s + 1, lanes);
        Binary(doubleOut, x, y, lanes, [](double p, double q) { return K::Of(p, q); });
      } else {
        Unary(doubleOut, x, lanes, [](double p) { return K::Of(p); });
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
    if (keeping && !result.uniform && WorthKeeping(works[i])) {
      subtrees.Keep(shapes[i], result.type,
                    result.type == ValueType::Double ? static_cast<const void*>(result.doubles)
                                                     : static_cast<const void*>(result.ints));
    }
    stack[s] = result;
    top = s + 1;
  }
  intResult = stack[0].ints;
  doubleResult = stack[0].doubles;
}
