// The two boolean benchmark problems, parity and multiplexer.
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/NumericArrays.h"
#include "foundation/Utility.h"
#include "problems/BooleanCases.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/ProblemFileReader.h"
#include "programs/CompiledProgram.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"

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
}  // namespace

Parity::Parity(std::istream& in)
    : interpreter(std::make_unique<LispInterpreter>()), program(std::make_unique<CompiledProgram>()) {
  ProblemFileReader reader(in, "Parity");
  // A missing mode word is an invalid mode like any other.
  std::string word;
  in >> word;
  if (word == "double") {
    mode = 2;
  } else if (word == "bool") {
    mode = 3;
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
      program(std::make_unique<CompiledProgram>()),
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

void Parity::EvaluateCase(GPChromosome* chromosome) {
  if (compiled) {
    interpreter->EvaluateCompiled(*program);
  } else {
    chromosome->GetCode()->Evaluate(interpreter.get());
  }
}

int Parity::FitnessDoubleParity(GPChromosome* chromosome, const IntArray& bits) {
  for (int i = 0; i < n; ++i) interpreter->SetDoubleVariable(i, static_cast<double>(bits.Get(i)));
  interpreter->Clear();
  EvaluateCase(chromosome);
  int type = interpreter->PopType();
  double value = 0.0;
  if (type == 1) {
    value = static_cast<double>(interpreter->PopInt());
  } else if (type == 2) {
    value = interpreter->PopDouble();
  } else {
    GetException()->FatalError("Invalid type", "Parity", "FitnessDoubleParity");
  }
  return value >= 0.0 ? 1 : 0;
}

int Parity::FitnessIntParity(GPChromosome* chromosome, const IntArray& bits) {
  for (int i = 0; i < n; ++i) interpreter->SetIntVariable(i, bits.Get(i));
  interpreter->Clear();
  EvaluateCase(chromosome);
  if (interpreter->PopType() != 4) GetException()->FatalError("Invalid type : not int", "Parity", "FitnessIntParity");
  return interpreter->PopBool();
}

void Parity::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* target = CastIndividual(individual);
  GPChromosome* chromosome = CastGPChromosome(target);
  int errors = 0;
  bool counted = false;
  auto* tree = dynamic_cast<HeadLispCode*>(chromosome->GetCode());
  if (GetPaths() == Paths::All && mode == 3 && tree != nullptr && tree->GetRoot() != nullptr) {
    counted = allCases->CountBoolErrors(tree->GetRoot(), interpreter.get(), errors);
  }
  compiled = !counted && GetPaths() != Paths::Tree && program->CompileCode(chromosome->GetCode());
  BooleanCases::Answer answers = mode == 2 ? BooleanCases::Answer::Real : BooleanCases::Answer::Bool;
  counted = counted || (compiled && GetPaths() == Paths::All && (mode == 2 || mode == 3) &&
                        allCases->CountErrors(*program, interpreter.get(), answers, errors));
  IntArray bits(n);
  bits.Fill(0);
  for (int c = 0; c < cases && !counted; ++c) {
    Utility::IntToBits(c, bits);
    int answer = 0;
    if (mode == 2) {
      answer = FitnessDoubleParity(chromosome, bits);
    } else if (mode == 3) {
      answer = FitnessIntParity(chromosome, bits);
    } else {
      GetException()->FatalError("Invalid mode", ClassNameOf(*this), "FitnessFunction");
    }
    if (answer != ParityOf(bits)) ++errors;
  }
  if (errors == 0) SetSolved();
  target->SetFitness(static_cast<double>(errors));
}

Multiplexer::Multiplexer(std::istream& in)
    : interpreter(std::make_unique<LispInterpreter>()), program(std::make_unique<CompiledProgram>()) {
  ProblemFileReader reader(in, "Multiplexer");
  std::string word;
  in >> word;
  if (word == "bool") {
    mode = 4;
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
      program(std::make_unique<CompiledProgram>()),
      allCases(std::make_unique<BooleanCases>(other.inputs, [this](const IntArray& bits) { return MultiplexerOf(bits); })),
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

void Multiplexer::EvaluateCase(GPChromosome* chromosome) {
  if (compiled) {
    interpreter->EvaluateCompiled(*program);
  } else {
    chromosome->GetCode()->Evaluate(interpreter.get());
  }
}

int Multiplexer::FitnessIntMultiplexer(GPChromosome* chromosome, const IntArray& bits) {
  for (int i = 0; i < inputs; ++i) interpreter->SetIntVariable(i, bits.Get(i));
  interpreter->Clear();
  EvaluateCase(chromosome);
  if (interpreter->PopType() != 4) {
    GetException()->FatalError("Invalid type : not int", "Multiplexer", "FitnessIntMultiplexer");
  }
  return interpreter->PopBool();
}

void Multiplexer::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* target = CastIndividual(individual);
  GPChromosome* chromosome = CastGPChromosome(target);
  int errors = 0;
  bool counted = false;
  auto* tree = dynamic_cast<HeadLispCode*>(chromosome->GetCode());
  if (GetPaths() == Paths::All && mode == 4 && tree != nullptr && tree->GetRoot() != nullptr) {
    counted = allCases->CountBoolErrors(tree->GetRoot(), interpreter.get(), errors);
  }
  compiled = !counted && GetPaths() != Paths::Tree && program->CompileCode(chromosome->GetCode());
  counted = counted || (compiled && GetPaths() == Paths::All && mode == 4 &&
                        allCases->CountErrors(*program, interpreter.get(), BooleanCases::Answer::Bool, errors));
  IntArray bits(inputs);
  bits.Fill(0);
  for (int c = 0; c < cases && !counted; ++c) {
    Utility::IntToBits(c, bits);
    int answer = 0;
    if (mode == 4) {
      answer = FitnessIntMultiplexer(chromosome, bits);
    } else {
      GetException()->FatalError("Invalid mode", ClassNameOf(*this), "FitnessFunction");
    }
    if (answer != MultiplexerOf(bits)) ++errors;
  }
  if (errors == 0) SetSolved();
  target->SetFitness(static_cast<double>(errors));
}
