#include "programs/BitSliceEvaluator.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "programs/CompiledProgram.h"
#include "programs/FlatProgram.h"
#include "programs/Head.h"
#include "programs/Kernels.h"

namespace {
// Two words at once, in one vector register of the baseline instruction set:
// the same bitwise operations on each word, so the same results.
using Pair = std::uint64_t __attribute__((vector_size(16)));
constexpr int kPairWords = 2;

Pair LoadPair(const std::uint64_t* words) {
  Pair pair;
  std::memcpy(&pair, words, sizeof pair);
  return pair;
}

void StorePair(std::uint64_t* words, Pair pair) { std::memcpy(words, &pair, sizeof pair); }

// The bool function Logic over the n arguments' words.
template <class Logic>
void Fold(const std::uint64_t* const* arguments, int n, std::uint64_t* out, int words) {
  if (n == 2) {
    const std::uint64_t* a = arguments[0];
    const std::uint64_t* b = arguments[1];
    // A pair's words are both read before either is written: out may be
    // an argument's buffer.
    const Pair start = Pair{} + Logic::kSliceStart;
    int w = 0;
    for (; w + kPairWords <= words; w += kPairWords) {
      StorePair(out + w,
                Logic::SliceFinish(Logic::SliceFold(Logic::SliceFold(start, LoadPair(a + w)), LoadPair(b + w))));
    }
    for (; w < words; ++w) {
      out[w] = Logic::SliceFinish(Logic::SliceFold(Logic::SliceFold(Logic::kSliceStart, a[w]), b[w]));
    }
    return;
  }
  const Pair start = Pair{} + Logic::kSliceStart;
  int w = 0;
  for (; w + kPairWords <= words; w += kPairWords) {
    Pair v = start;
    for (int i = 0; i < n; ++i) v = Logic::SliceFold(v, LoadPair(arguments[i] + w));
    StorePair(out + w, Logic::SliceFinish(v));
  }
  for (; w < words; ++w) {
    std::uint64_t v = Logic::kSliceStart;
    for (int i = 0; i < n; ++i) v = Logic::SliceFold(v, arguments[i][w]);
    out[w] = Logic::SliceFinish(v);
  }
}

// A node's words from its arguments' words. Each word of the value is
// computed from the same word of the arguments, so out may be the buffer
// of an argument.
void Apply(OpCode code, const std::uint64_t* const* arguments, int n, std::uint64_t* out, int words) {
  switch (code) {
    case OpCode::And:
      Fold<Kernel<OpCode::And>>(arguments, n, out, words);
      return;
    case OpCode::Or:
      Fold<Kernel<OpCode::Or>>(arguments, n, out, words);
      return;
    case OpCode::Nand:
      Fold<Kernel<OpCode::Nand>>(arguments, n, out, words);
      return;
    case OpCode::Nor:
      Fold<Kernel<OpCode::Nor>>(arguments, n, out, words);
      return;
    case OpCode::If: {
      const std::uint64_t* c = arguments[0];
      const std::uint64_t* t = arguments[1];
      const std::uint64_t* e = arguments[2];
      int w = 0;
      for (; w + kPairWords <= words; w += kPairWords) {
        StorePair(out + w, Kernel<OpCode::If>::Choose(LoadPair(c + w), LoadPair(t + w), LoadPair(e + w)));
      }
      for (; w < words; ++w) out[w] = Kernel<OpCode::If>::Choose(c[w], t[w], e[w]);
      return;
    }
    // A variable is its own words; nothing else is a bool node.
    case OpCode::BoolVariable:
    case OpCode::IntConst:
    case OpCode::DoubleConst:
    case OpCode::IntVariable:
    case OpCode::DoubleVariable:
    case OpCode::Plus:
    case OpCode::Subtract:
    case OpCode::Times:
    case OpCode::Divide:
    case OpCode::Sin:
    case OpCode::Cos:
    case OpCode::Ln:
    case OpCode::Exp:
    case OpCode::Log:
    case OpCode::Pow:
    case OpCode::MoveForward:
    case OpCode::MoveBackward:
    case OpCode::MoveLeft:
    case OpCode::MoveRight:
    case OpCode::TurnLeft:
    case OpCode::TurnRight:
    case OpCode::Sensor:
    case OpCode::Iflte:
    case OpCode::IfFoodAhead:
    case OpCode::Operate:
    case OpCode::TreeOnly:
    case OpCode::Jump:
    case OpCode::End:
      break;
  }
  std::abort();
}
}  // namespace

bool BitSliceEvaluator::Accepts(const CompiledProgram& program) { return program.IsAllBool(); }

void BitSliceEvaluator::Evaluate(const CompiledProgram& program, const std::uint64_t* const* variables,
                                 int words, std::uint64_t* result) {
  const std::vector<TypedNode>& nodes = program.GetNodes();
  std::size_t depth = static_cast<std::size_t>(program.GetNodeDepth());
  std::size_t stride = static_cast<std::size_t>(words);
  if (slots.size() < depth * stride) slots.resize(depth * stride);
  if (stack.size() < depth) stack.resize(depth);
  const std::uint64_t** top = stack.data();
  for (const TypedNode& node : nodes) {
    if (node.code == OpCode::BoolVariable) {
      *top++ = variables[node.index];
      continue;
    }
    top -= node.arity;
    // The value goes to the buffer of the stack position it will occupy.
    std::uint64_t* out = slots.data() + static_cast<std::size_t>(top - stack.data()) * stride;
    Apply(node.code, top, node.arity, out, words);
    *top++ = out;
  }
  const std::uint64_t* value = stack[0];
  for (int w = 0; w < words; ++w) result[w] = value[w];
}

template <class Node>
bool BitSliceEvaluator::EvaluateTree(Node* root, const std::uint64_t* const* variables, int words,
                                     std::uint64_t* result, int valueCapacity, int pendingCapacity) {
  treeWords = words;
  treeVariables = variables;
  valueBound = 0;
  pendingBound = 0;
  const std::uint64_t* value = TreeWords(root, 0, 0, 0);
  if (value == nullptr || valueBound > valueCapacity || pendingBound > pendingCapacity) return false;
  for (int w = 0; w < words; ++w) result[w] = value[w];
  return true;
}

namespace {
// A flat node's operator, arity and operation; false when the node takes no
// bit slices.
bool ReadNode(const FlatNode* node, Operator*& op, int& n, OpCode& code) {
  op = node->GetOperator();
  n = node->GetArity();
  code = op->GetOperation();
  return n == op->GetArity() && OperationOf(code).Takes(FastPath::BitSlices);
}

// A node's word from its arguments' words (first argument on top of the
// stack, at top[-1]), as Apply computes it for one word.
template <class Logic>
std::uint64_t FoldWord(const std::uint64_t* top, int n) {
  std::uint64_t v = Logic::kSliceStart;
  for (int i = 1; i <= n; ++i) v = Logic::SliceFold(v, top[-i]);
  return Logic::SliceFinish(v);
}
}  // namespace

bool BitSliceEvaluator::EvaluateFlatWord(const FlatNode* root, const std::uint64_t* const* variables,
                                         std::uint64_t* result, int valueCapacity, int pendingCapacity) {
  int size = root->GetSize();
  auto most = static_cast<std::size_t>(size);
  if (flatWords.size() < most) flatWords.resize(most);
  int pendingMost = 0;
  std::uint64_t* base = flatWords.data();
  std::uint64_t* top = base;
  for (const FlatNode* node = root + size - 1; node >= root; --node) {
    Operator* op = nullptr;
    int n = 0;
    OpCode code = OpCode::End;
    if (!ReadNode(node, op, n, code)) return false;
    std::uint64_t value = 0;
    switch (code) {
      case OpCode::BoolVariable: {
        const std::uint64_t* bits = variables[op->GetOperand().index];
        if (bits == nullptr) return false;
        *top++ = bits[0];
        continue;
      }
      case OpCode::And:
        value = FoldWord<Kernel<OpCode::And>>(top, n);
        break;
      case OpCode::Or:
        value = FoldWord<Kernel<OpCode::Or>>(top, n);
        break;
      case OpCode::Nand:
        value = FoldWord<Kernel<OpCode::Nand>>(top, n);
        break;
      case OpCode::Nor:
        value = FoldWord<Kernel<OpCode::Nor>>(top, n);
        break;
      case OpCode::If:
        pendingMost += n;
        value = Kernel<OpCode::If>::Choose(top[-1], top[-2], top[-3]);
        break;
      default:
        // Only the operations above take the bit slices.
        std::abort();
    }
    top -= n;
    *top++ = value;
  }
  if (size > valueCapacity || pendingMost > pendingCapacity) {
    return EvaluateTree(root, variables, 1, result, valueCapacity, pendingCapacity);
  }
  result[0] = base[0];
  return true;
}

bool BitSliceEvaluator::EvaluateFlat(const FlatNode* root, const std::uint64_t* const* variables, int words,
                                     std::uint64_t* result, int valueCapacity, int pendingCapacity) {
  if (words == 1) return EvaluateFlatWord(root, variables, result, valueCapacity, pendingCapacity);
  int size = root->GetSize();
  auto stride = static_cast<std::size_t>(words);
  auto most = static_cast<std::size_t>(size);
  if (flatStack.size() < most) flatStack.resize(most);
  if (flatSlots.size() < most * stride) flatSlots.resize(most * stride);
  // The tree walk never holds more values than the program has nodes, nor
  // more pending arguments than its conditionals take together.
  int pendingMost = 0;
  // Last node first: a node's arguments are on the stack when it is
  // reached, its first argument on top.
  const std::uint64_t** base = flatStack.data();
  const std::uint64_t** top = base;
  for (const FlatNode* node = root + size - 1; node >= root; --node) {
    Operator* op = nullptr;
    int n = 0;
    OpCode code = OpCode::End;
    if (!ReadNode(node, op, n, code)) return false;
    if (code == OpCode::BoolVariable) {
      const std::uint64_t* bits = variables[op->GetOperand().index];
      if (bits == nullptr) return false;
      *top++ = bits;
      continue;
    }
    if (OperationOf(code).typing == Typing::Branch) pendingMost += n;
    const std::uint64_t* arguments[kMostInlineArguments];
    for (int i = 0; i < n; ++i) arguments[i] = top[-1 - i];
    top -= n;
    // The value goes to the buffer of the stack position it takes; it may
    // be an argument's.
    std::uint64_t* out = flatSlots.data() + static_cast<std::size_t>(top - base) * stride;
    Apply(code, arguments, n, out, words);
    *top++ = out;
  }
  // A program that might not fit is walked as a tree, which finds the
  // bounds exactly.
  if (size > valueCapacity || pendingMost > pendingCapacity) {
    return EvaluateTree(root, variables, words, result, valueCapacity, pendingCapacity);
  }
  const std::uint64_t* value = base[0];
  for (int w = 0; w < words; ++w) result[w] = value[w];
  return true;
}

std::uint64_t* BitSliceEvaluator::SlotWords(std::size_t slot) {
  while (treeSlots.size() <= slot)
    treeSlots.push_back(std::make_unique<std::array<std::uint64_t, kMaxWords>>());
  return treeSlots[slot]->data();
}

template <class Node>
const std::uint64_t* BitSliceEvaluator::TreeWords(Node* node, std::size_t slot, int base, int pending) {
  node->PrefetchChildren();
  Operator* op = node->GetOperator();
  int n = node->GetArity();
  OpCode code = op->GetOperation();
  const Operation& operation = OperationOf(code);
  if (n != op->GetArity() || n < 0 || !operation.Takes(FastPath::BitSlices)) return nullptr;
  if (base + 1 > valueBound) valueBound = base + 1;
  if (code == OpCode::BoolVariable) return treeVariables[op->GetOperand().index];
  // As the tree walk runs the node: an evaluating node's arguments each with
  // the values of those before it on the stacks; a conditional's one by one
  // from the pending arguments, the comparands with the values of those
  // before them, either branch on the conditional's own base (every case
  // computes both branches).
  bool conditional = operation.typing == Typing::Branch;
  if (conditional && pending + n > pendingBound) pendingBound = pending + n;
  const std::uint64_t* arguments[kMostInlineArguments];
  for (int i = 0; i < n; ++i) {
    int argumentBase = conditional && i >= n - 2 ? base : base + i;
    int argumentPending = conditional ? pending + n - 1 - i : pending;
    arguments[i] =
        TreeWords(node->GetChild(i), slot + static_cast<std::size_t>(i), argumentBase, argumentPending);
    if (arguments[i] == nullptr) return nullptr;
  }
  std::uint64_t* out = SlotWords(slot);
  Apply(code, arguments, n, out, treeWords);
  return out;
}

template bool BitSliceEvaluator::EvaluateTree(Head* root, const std::uint64_t* const* variables, int words,
                                              std::uint64_t* result, int valueCapacity, int pendingCapacity);
template bool BitSliceEvaluator::EvaluateTree(const FlatNode* root, const std::uint64_t* const* variables, int words,
                                              std::uint64_t* result, int valueCapacity, int pendingCapacity);
