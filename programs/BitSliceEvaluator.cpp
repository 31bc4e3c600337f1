#include "programs/BitSliceEvaluator.h"

#include <cstddef>

#include "programs/CompiledProgram.h"

bool BitSliceEvaluator::Accepts(const CompiledProgram& program) { return program.IsAllBool(); }

void BitSliceEvaluator::Evaluate(const CompiledProgram& program, const std::uint64_t* const* variables, int words,
                                 std::uint64_t* result) {
  using P = CompiledProgram;
  const std::vector<P::Node>& nodes = program.GetNodes();
  std::size_t depth = static_cast<std::size_t>(program.GetNodeDepth());
  if (slots.size() < depth * kMaxWords) slots.resize(depth * kMaxWords);
  if (stack.size() < depth) stack.resize(depth);
  const std::uint64_t** top = stack.data();
  const int n = words;
  for (const P::Node& node : nodes) {
    if (node.code == P::kBoolVariable) {
      *top++ = variables[node.index];
      continue;
    }
    top -= node.arity;
    // The value goes to the buffer of the stack position it will occupy;
    // each word is computed from the same word of the arguments, so an
    // argument held in that buffer is read before it is overwritten.
    std::uint64_t* out = slots.data() + static_cast<std::size_t>(top - stack.data()) * kMaxWords;
    const std::uint64_t* a = node.arity > 0 ? top[0] : nullptr;
    const std::uint64_t* b = node.arity > 1 ? top[1] : nullptr;
    switch (node.code) {
      case P::kIf: {
        const std::uint64_t* e = top[2];
        for (int w = 0; w < n; ++w) out[w] = (a[w] & b[w]) | (~a[w] & e[w]);
        break;
      }
      case P::kAnd:
      case P::kNand: {
        std::uint64_t flip = node.code == P::kNand ? ~0ULL : 0ULL;
        if (node.arity == 2) {
          for (int w = 0; w < n; ++w) out[w] = (a[w] & b[w]) ^ flip;
        } else {
          for (int w = 0; w < n; ++w) {
            std::uint64_t all = ~0ULL;
            for (int i = 0; i < node.arity; ++i) all &= top[i][w];
            out[w] = all ^ flip;
          }
        }
        break;
      }
      default: {  // kOr, kNor
        std::uint64_t flip = node.code == P::kNor ? ~0ULL : 0ULL;
        if (node.arity == 2) {
          for (int w = 0; w < n; ++w) out[w] = (a[w] | b[w]) ^ flip;
        } else if (node.arity == 1) {
          for (int w = 0; w < n; ++w) out[w] = a[w] ^ flip;
        } else {
          for (int w = 0; w < n; ++w) {
            std::uint64_t any = 0;
            for (int i = 0; i < node.arity; ++i) any |= top[i][w];
            out[w] = any ^ flip;
          }
        }
        break;
      }
    }
    *top++ = out;
  }
  const std::uint64_t* value = stack[0];
  for (int w = 0; w < n; ++w) result[w] = value[w];
}
