#include "problems/BooleanCases.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "programs/CompiledProgram.h"
#include "programs/FlatProgram.h"
#include "programs/LispInterpreter.h"

namespace {
// The set bits of a word, counted in a few register operations: the baseline
// instruction set has no instruction for it, and the library's count is a
// call for every word.
int CountBits(std::uint64_t v) {
  v = v - ((v >> 1) & 0x5555555555555555ULL);
  v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((v * 0x0101010101010101ULL) >> 56);
}

// Bit b of each word is case b of the word's 64: variable i < 6 is bit i of b.
constexpr std::uint64_t kLowBitPatterns[6] = {0xAAAAAAAAAAAAAAAAULL, 0xCCCCCCCCCCCCCCCCULL, 0xF0F0F0F0F0F0F0F0ULL,
                                              0xFF00FF00FF00FF00ULL, 0xFFFF0000FFFF0000ULL, 0xFFFFFFFF00000000ULL};
constexpr int kWordBits = 64;
constexpr int kVariables = LispInterpreter::VariableCount;

// Word number word (cases 64 word .. 64 word + 63) of input variable i.
std::uint64_t InputWord(int i, long long word) {
  if (i < 6) return kLowBitPatterns[i];
  return (word >> (i - 6) & 1) != 0 ? ~0ULL : 0ULL;
}
}  // namespace

BooleanCases::BooleanCases(int inputs, std::function<int(const IntArray&)> target)
    : inputs(inputs), cases(inputs >= 0 && inputs <= kMaxInputs ? 1LL << inputs : 0), target(std::move(target)) {}

void BooleanCases::MakeTargets() {
  if (!targets.empty()) return;
  targets.resize(static_cast<std::size_t>(cases));
  targetWords.assign(static_cast<std::size_t>((cases + kWordBits - 1) / kWordBits), 0);
  IntArray bits(inputs);
  bits.Fill(0);
  for (long long c = 0; c < cases; ++c) {
    Utility::IntToBits(static_cast<int>(c), bits);
    int right = target(bits);
    targets[static_cast<std::size_t>(c)] = right;
    if (right != 0 && right != 1) targetsAreBits = false;
    if (right == 1) targetWords[static_cast<std::size_t>(c / kWordBits)] |= 1ULL << (c % kWordBits);
  }
}

bool BooleanCases::CountErrors(const CompiledProgram& program, LispInterpreter* interpreter, Answer answer,
                               int& errors) {
  if (cases == 0 || !program.IsTyped()) return false;
  // The loop empties the stacks before each case: the program must fit them.
  if (program.GetValueBound() > LispInterpreter::ValueCapacity ||
      program.GetPendingBound() > LispInterpreter::PendingCapacity) {
    return false;
  }
  int type = program.GetResultType();
  bool answerable = answer == Answer::Bool ? type == ValueType::Bool
                                           : type == ValueType::Int || type == ValueType::Double;
  if (!answerable) return false;  // the loop reports the wrong kind of value
  MakeTargets();

  bool bitSlices = answer == Answer::Bool && program.IsAllBool() && targetsAreBits;
  std::uint32_t used = program.GetIntVariablesUsed();
  for (int i = inputs; i < kVariables && bitSlices; ++i) {
    // Variables the cases do not set keep their values: as bits they must
    // be 0 or 1.
    int value = interpreter->GetIntVariable(i);
    if ((used >> i & 1u) != 0 && value != 0 && value != 1) bitSlices = false;
  }
  errors = bitSlices ? CountBitSlices(program, interpreter) : CountCaseVectors(program, interpreter, answer);
  LeaveLastCase(interpreter, answer);
  return true;
}

bool BooleanCases::CountBoolErrors(Head* root, LispInterpreter* interpreter, int& errors) {
  return CountBoolErrorsOf(root, interpreter, errors);
}

bool BooleanCases::CountBoolErrors(const FlatNode* root, LispInterpreter* interpreter, int& errors) {
  return CountBoolErrorsOf(root, interpreter, errors);
}

template <class Node>
bool BooleanCases::CountBoolErrorsOf(Node* root, LispInterpreter* interpreter, int& errors) {
  constexpr int kMaxWords = BitSliceEvaluator::kMaxWords;
  long long words = (cases + kWordBits - 1) / kWordBits;
  if (cases == 0 || words > kMaxWords) return false;
  MakeTargets();
  if (!targetsAreBits) return false;
  if (inputWords.empty()) {
    inputWords.resize(static_cast<std::size_t>(inputs) * kMaxWords);
    for (int i = 0; i < inputs; ++i) {
      for (int w = 0; w < words; ++w) {
        inputWords[static_cast<std::size_t>(i * kMaxWords + w)] = InputWord(i, w);
      }
    }
  }
  // Variables beyond the inputs keep their values in every case: as bits
  // they must be 0 or 1.
  static const std::vector<std::uint64_t> zeros(kMaxWords, 0ULL);
  static const std::vector<std::uint64_t> ones(kMaxWords, ~0ULL);
  const std::uint64_t* variables[kVariables];
  for (int i = 0; i < kVariables; ++i) {
    if (i < inputs) {
      variables[i] = inputWords.data() + static_cast<std::size_t>(i) * kMaxWords;
    } else {
      int value = interpreter->GetIntVariable(i);
      variables[i] = value == 0 ? zeros.data() : value == 1 ? ones.data() : nullptr;
    }
  }
  resultWords.resize(kMaxWords);
  bool evaluated = false;
  if constexpr (std::is_same_v<Node, const FlatNode>) {
    evaluated = bitSlices.EvaluateFlat(root, variables, static_cast<int>(words), resultWords.data(),
                                       LispInterpreter::ValueCapacity, LispInterpreter::PendingCapacity);
  } else {
    evaluated = bitSlices.EvaluateTree(root, variables, static_cast<int>(words), resultWords.data(),
                                       LispInterpreter::ValueCapacity, LispInterpreter::PendingCapacity);
  }
  if (!evaluated) return false;
  errors = 0;
  for (long long w = 0; w < words; ++w) errors += WrongInWord(w, resultWords[static_cast<std::size_t>(w)]);
  LeaveLastCase(interpreter, Answer::Bool);
  return true;
}

int BooleanCases::WrongInWord(long long word, std::uint64_t answers) const {
  std::uint64_t wrong = answers ^ targetWords[static_cast<std::size_t>(word)];
  long long casesInWord = std::min<long long>(kWordBits, cases - word * kWordBits);
  if (casesInWord < kWordBits) wrong &= (1ULL << casesInWord) - 1;
  return CountBits(wrong);
}

void BooleanCases::LeaveLastCase(LispInterpreter* interpreter, Answer answer) const {
  // What the case-by-case loop leaves behind: the last case's inputs and
  // empty stacks.
  long long last = cases - 1;
  for (int i = 0; i < inputs; ++i) {
    int bit = static_cast<int>(last >> i & 1);
    if (answer == Answer::Real) {
      interpreter->SetDoubleVariable(i, static_cast<double>(bit));
    } else {
      interpreter->SetIntVariable(i, bit);
    }
  }
  interpreter->Clear();
}

int BooleanCases::CountBitSlices(const CompiledProgram& program, LispInterpreter* interpreter) {
  constexpr int kMaxWords = BitSliceEvaluator::kMaxWords;
  long long words = (cases + kWordBits - 1) / kWordBits;
  variableWords.resize(static_cast<std::size_t>(kVariables) * kMaxWords);
  resultWords.resize(kMaxWords);
  std::uint32_t used = program.GetIntVariablesUsed();
  const std::uint64_t* variables[kVariables] = {};
  int errors = 0;
  for (long long start = 0; start < words; start += kMaxWords) {
    int count = static_cast<int>(std::min<long long>(kMaxWords, words - start));
    for (int i = 0; i < kVariables; ++i) {
      if ((used >> i & 1u) == 0) continue;
      std::uint64_t* v = variableWords.data() + static_cast<std::size_t>(i) * kMaxWords;
      for (int w = 0; w < count; ++w) {
        if (i < inputs) {
          v[w] = InputWord(i, start + w);
        } else {
          v[w] = interpreter->GetIntVariable(i) == 1 ? ~0ULL : 0ULL;
        }
      }
      variables[i] = v;
    }
    bitSlices.Evaluate(program, variables, count, resultWords.data());
    for (int w = 0; w < count; ++w)
      errors += WrongInWord(start + w, resultWords[static_cast<std::size_t>(w)]);
  }
  return errors;
}

int BooleanCases::CountCaseVectors(const CompiledProgram& program, LispInterpreter* interpreter, Answer answer) {
  // The inputs vary from case to case; every other variable keeps its value.
  std::uint32_t inputMask = inputs >= 32 ? ~0u : (1u << inputs) - 1u;
  std::uint32_t intInputs = answer == Answer::Bool ? inputMask : 0u;
  std::uint32_t doubleInputs = answer == Answer::Real ? inputMask : 0u;
  int type = program.GetResultType();
  int errors = 0;
  for (long long start = 0; start < cases; start += CaseLanes::kMaxLanes) {
    int count = static_cast<int>(std::min<long long>(CaseLanes::kMaxLanes, cases - start));
    auto bits = [&](int i, auto* lane) {
      for (int c = 0; c < count; ++c) lane[c] = static_cast<int>((start + c) >> i & 1);
      return lane;
    };
    lanes.Evaluate(program, *interpreter, count, intInputs, doubleInputs, bits, bits);
    const int* right = targets.data() + start;
    for (int c = 0; c < count; ++c) {
      int given = 0;
      if (answer == Answer::Bool) {
        given = lanes.IntResult()[c];
      } else {
        double value =
            type == ValueType::Int ? static_cast<double>(lanes.IntResult()[c]) : lanes.DoubleResult()[c];
        given = value >= 0.0 ? 1 : 0;
      }
      if (given != right[c]) ++errors;
    }
  }
  return errors;
}
