// The two boolean benchmark problems, parity and multiplexer.
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Numeric.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "problems/BooleanCases.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/ProblemFileReader.h"
#include "problems/TruthTablePicture.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"
#include "programs/Operator.h"

namespace {
// Each input bit is one variable of the interpreter, which holds
// VariableCount of them (far fewer than would overflow the number of cases).
constexpr int kMaxInputBits = LispInterpreter::VariableCount;

void CheckInputBits(int bits, const char* cls, const char* what) {
  if (bits < 0 || bits > kMaxInputBits) {
    GetException()->FatalError(std::string(what) + " gives " + std::to_string(bits) +
                                   " input bits; between 0 and " + std::to_string(kMaxInputBits) + " are possible",
                               cls, cls);
  }
}

// The cases a recording shows, case by case: all of them up to
// TruthTableRecording's limit.
struct ShownCases {
  explicit ShownCases(int cases)
      : count(cases < TruthTableRecording::kShownCases ? cases : TruthTableRecording::kShownCases) {}
  void operator()(int answer, int right) {
    answers.push_back(answer);
    targets.push_back(right);
  }
  // The table once the problem has been evaluated in full last (leaving it
  // as every evaluation leaves it) and scored has its fitness, the errors.
  std::unique_ptr<Recording> Table(const std::string& rule, int cases, DoubleTypeFitnessIndividual* scored) {
    return std::make_unique<TruthTableRecording>(rule, cases, TruncToInt(scored->GetFitness()), std::move(answers),
                                                 std::move(targets));
  }

  int count;
  std::vector<int> answers;
  std::vector<int> targets;
};
}  // namespace

Parity::Parity(std::istream& in) : interpreter(std::make_unique<LispInterpreter>()) {
  ProblemFileReader reader(in, "Parity");
  // A missing mode word is an invalid mode like any other.
  std::string word;
  in >> word;
  if (word == "double") {
    mode = kDoubleMode;
  } else if (word == "bool") {
    mode = kBoolMode;
  } else {
    GetException()->FatalError("Invalid mode", "Parity", "Parity");
  }
  n = reader.ReadInt("number of input bits");
  CheckInputBits(n, "Parity", "The number of input bits");
  cases = Utility::Power(2, n);
  allCases = std::make_unique<BooleanCases>(n, &Parity::ParityOf);
}

Parity::Parity(const Parity& other)
    : Problem(other),
      interpreter(std::make_unique<LispInterpreter>()),
      allCases(std::make_unique<BooleanCases>(other.n, &Parity::ParityOf)),
      mode(other.mode),
      n(other.n),
      cases(other.cases) {
  interpreter->CopyVariables(*other.interpreter);
}

Parity::~Parity() = default;

Problem* Parity::Clone() { return new Parity(*this); }

int Parity::ParityOf(const IntArray& bits) {
  int ones = 0;
  for (int i = 0; i < bits.Size(); ++i) {
    if (bits.Get(i) == 1) ++ones;
  }
  return (ones + 1) % 2;
}

template <class Run>
int Parity::FitnessDoubleParity(const Run& run, const IntArray& bits) {
  for (int i = 0; i < n; ++i) interpreter->SetDoubleVariable(i, static_cast<double>(bits.Get(i)));
  interpreter->Clear();
  run(interpreter.get());
  int type = interpreter->PopType();
  double value = 0.0;
  if (type == ValueType::Int) {
    value = static_cast<double>(interpreter->PopInt());
  } else if (type == ValueType::Double) {
    value = interpreter->PopDouble();
  } else {
    GetException()->FatalError("Invalid type", "Parity", "FitnessDoubleParity");
  }
  return value >= 0.0 ? 1 : 0;
}

template <class Run>
int Parity::FitnessIntParity(const Run& run, const IntArray& bits) {
  for (int i = 0; i < n; ++i) interpreter->SetIntVariable(i, bits.Get(i));
  interpreter->Clear();
  run(interpreter.get());
  if (interpreter->PopType() != ValueType::Bool) {
    GetException()->FatalError("Invalid type : not int", "Parity", "FitnessIntParity");
  }
  return interpreter->PopBool();
}

template <class Run, class Each>
void Parity::ForEachCase(const Run& run, int count, Each&& each) {
  IntArray bits(n);
  bits.Fill(0);
  for (int c = 0; c < count; ++c) {
    Utility::IntToBits(c, bits);
    int answer = 0;
    if (mode == kDoubleMode) {
      answer = FitnessDoubleParity(run, bits);
    } else if (mode == kBoolMode) {
      answer = FitnessIntParity(run, bits);
    } else {
      GetException()->FatalError("Invalid mode", ClassNameOf(*this), "FitnessFunction");
    }
    each(answer, ParityOf(bits));
  }
}

void Parity::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* target = CastIndividual(individual);
  GPChromosome* chromosome = CastGPChromosome(target);
  int errors = 0;
  BooleanCases::Answer answers =
      mode == kDoubleMode ? BooleanCases::Answer::Real : BooleanCases::Answer::Bool;
  paths.Evaluate(
      chromosome->GetCode(), GetPaths(),
      [&](auto* root) {
        return mode == kBoolMode && allCases->CountBoolErrors(root, interpreter.get(), errors);
      },
      [&](const CompiledProgram& program) {
        return (mode == kDoubleMode || mode == kBoolMode) &&
               allCases->CountErrors(program, interpreter.get(), answers, errors);
      },
      [&](const auto& run) {
        ForEachCase(run, cases, [&](int answer, int right) { errors += answer != right ? 1 : 0; });
      });
  if (errors == 0) SetSolved();
  target->SetFitness(static_cast<double>(errors));
}

std::unique_ptr<Recording> Parity::Record(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  ShownCases shown(cases);
  paths.Evaluate(CastGPChromosome(scored)->GetCode(), GetPaths(),
                 [&](const auto& run) { ForEachCase(run, shown.count, shown); });
  FitnessFunction(individual);
  return shown.Table("even parity: right answer 1 for an even number of ones", cases, scored);
}

Multiplexer::Multiplexer(std::istream& in) : interpreter(std::make_unique<LispInterpreter>()) {
  ProblemFileReader reader(in, "Multiplexer");
  std::string word;
  in >> word;
  if (word == "bool") {
    mode = kBoolMode;
  } else {
    GetException()->FatalError("Invalid mode", "Multiplexer", "Multiplexer");
  }
  k = reader.ReadInt("number of address bits");
  // k address bits and 2^k data bits.
  if (k < 0 || k > 4) {
    // 5 address bits already need 37 input bits: more than the interpreter's
    // variables hold and more cases than an int counts.
    GetException()->FatalError("The number of address bits is " + std::to_string(k) +
                                   "; between 0 and 4 are possible",
                               "Multiplexer", "Multiplexer");
  }
  inputs = Utility::Power(2, k) + k;
  cases = Utility::Power(2, inputs);
  allCases = std::make_unique<BooleanCases>(inputs, [this](const IntArray& bits) { return MultiplexerOf(bits); });
}

Multiplexer::Multiplexer(const Multiplexer& other)
    : Problem(other),
      interpreter(std::make_unique<LispInterpreter>()),
      allCases(std::make_unique<BooleanCases>(other.inputs,
                                              [this](const IntArray& bits) { return MultiplexerOf(bits); })),
      mode(other.mode),
      inputs(other.inputs),
      cases(other.cases),
      k(other.k) {
  interpreter->CopyVariables(*other.interpreter);
}

Multiplexer::~Multiplexer() = default;

Problem* Multiplexer::Clone() { return new Multiplexer(*this); }

int Multiplexer::MultiplexerOf(const IntArray& bits) const {
  int address = 0;
  for (int i = 0; i < k; ++i) {
    if (bits.Get(i) == 1) address += Utility::Power(2, i);
  }
  return bits.Get(k + address);
}

template <class Run>
int Multiplexer::FitnessIntMultiplexer(const Run& run, const IntArray& bits) {
  for (int i = 0; i < inputs; ++i) interpreter->SetIntVariable(i, bits.Get(i));
  interpreter->Clear();
  run(interpreter.get());
  if (interpreter->PopType() != ValueType::Bool) {
    GetException()->FatalError("Invalid type : not int", "Multiplexer", "FitnessIntMultiplexer");
  }
  return interpreter->PopBool();
}

template <class Run, class Each>
void Multiplexer::ForEachCase(const Run& run, int count, Each&& each) {
  IntArray bits(inputs);
  bits.Fill(0);
  for (int c = 0; c < count; ++c) {
    Utility::IntToBits(c, bits);
    int answer = 0;
    if (mode == kBoolMode) {
      answer = FitnessIntMultiplexer(run, bits);
    } else {
      GetException()->FatalError("Invalid mode", ClassNameOf(*this), "FitnessFunction");
    }
    each(answer, MultiplexerOf(bits));
  }
}

void Multiplexer::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* target = CastIndividual(individual);
  GPChromosome* chromosome = CastGPChromosome(target);
  int errors = 0;
  paths.Evaluate(
      chromosome->GetCode(), GetPaths(),
      [&](auto* root) {
        return mode == kBoolMode && allCases->CountBoolErrors(root, interpreter.get(), errors);
      },
      [&](const CompiledProgram& program) {
        return mode == kBoolMode &&
               allCases->CountErrors(program, interpreter.get(), BooleanCases::Answer::Bool, errors);
      },
      [&](const auto& run) {
        ForEachCase(run, cases, [&](int answer, int right) { errors += answer != right ? 1 : 0; });
      });
  if (errors == 0) SetSolved();
  target->SetFitness(static_cast<double>(errors));
}

std::unique_ptr<Recording> Multiplexer::Record(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  ShownCases shown(cases);
  paths.Evaluate(CastGPChromosome(scored)->GetCode(), GetPaths(),
                 [&](const auto& run) { ForEachCase(run, shown.count, shown); });
  FitnessFunction(individual);
  std::string address = k > 0 ? TruthTableRecording::BitNames(k - 1, 0) : std::string("0");
  return shown.Table("multiplexer: right answer x(" + std::to_string(k) + " + a), a = " + address + " in binary",
                     cases, scored);
}
