#include "problems/MultiVariate.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>

#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Utility.h"
#include "problems/MultiVariatePicture.h"
#include "problems/ProblemFileReader.h"

namespace {
// Whether anything but white space is left before the end of the data.
bool MoreData(std::istream& in) {
  in >> std::ws;
  return in.good() && in.peek() != std::char_traits<char>::eof();
}

[[noreturn]] void Refuse(const std::string& message) {
  GetException()->FatalError(message, "MultiVariate", "MultiVariate");
}
}  // namespace

MultiVariate::MultiVariate(std::istream& in) : n(0), m(0), function(nullptr), scale(0.0) {
  ProblemFileReader reader(in, "MultiVariate");
  n = reader.ReadInt("number of variables");
  m = reader.ReadInt("bits per variable");
  // The objective function is named before the sizes are checked, as it
  // comes first; it is made for one variable until they are.
  bool sizesFit = n >= 1 && m >= 1 && m <= MaxBitsPerVariable && static_cast<long long>(n) * m <= MaxGenes;
  functions = std::make_unique<ObjectiveFunctionRegister>(5);
  function = functions->Create(sizesFit ? n : 1, in);
  if (n < 1) Refuse("The number of variables must be at least 1");
  if (m < 1 || m > MaxBitsPerVariable) {
    Refuse("The bits per variable must be 1 to " + std::to_string(MaxBitsPerVariable));
  }
  if (static_cast<long long>(n) * m > MaxGenes) {
    Refuse("Too many genes: variables times bits must be at most " + std::to_string(MaxGenes));
  }
  scale = reader.ReadDouble("scale");

  if (!MoreData(in)) return;
  translation = std::make_unique<DoubleArray>(n);
  for (int i = 0; i < n; ++i) {
    if (!MoreData(in)) Refuse("Missing transition data");
    translation->Add(reader.ReadDouble("translation"));
  }

  if (!MoreData(in)) return;
  rotation = std::make_unique<Double2DimensionalArray>(n);
  for (int i = 0; i < n; ++i) {
    rotationRows.push_back(std::make_unique<DoubleArray>(n));
    DoubleArray* row = rotationRows.back().get();
    rotation->Add(row);
    for (int j = 0; j < n; ++j) {
      if (!MoreData(in)) Refuse("Missing rotation data");
      row->Add(reader.ReadDouble("rotation"));
    }
  }
}

MultiVariate::MultiVariate(const MultiVariate& other)
    : Problem(other),
      n(other.n),
      m(other.m),
      functions(std::make_unique<ObjectiveFunctionRegister>(5)),
      function(nullptr),
      scale(other.scale) {
  std::istringstream name(other.functions->KeyAt(0));
  function = functions->Create(n, name);
  if (other.translation) {
    translation = std::make_unique<DoubleArray>(n);
    for (int i = 0; i < other.translation->Size(); ++i) translation->Add(other.translation->Get(i));
  }
  if (other.rotation) {
    rotation = std::make_unique<Double2DimensionalArray>(n);
    for (int i = 0; i < other.rotation->Size(); ++i) {
      const DoubleArray* from = other.rotation->Get(i);
      rotationRows.push_back(std::make_unique<DoubleArray>(n));
      DoubleArray* row = rotationRows.back().get();
      rotation->Add(row);
      for (int j = 0; j < from->Size(); ++j) row->Add(from->Get(j));
    }
  }
}

Problem* MultiVariate::Clone() { return new MultiVariate(*this); }

MultiVariate::~MultiVariate() = default;

void MultiVariate::DecodeGenes(const IntArray& genes, IntArray& integers) const {
  if (static_cast<long long>(n) * m <= genes.Size()) {
    // Variable v is the m genes that end at (v + 1) * m - 1, read from there
    // down as its bits 0, 1, ...: Utility::BitsToInt's sum, in which a gene
    // of 1 counts 2 to the power of its bit, wrapping around at 32 bits.
    const int* data = genes.Data();
    for (int v = 0; v < n; ++v) {
      const int* last = data + static_cast<std::ptrdiff_t>(v + 1) * m - 1;
      std::uint32_t value = 0;
      int bits = m < 32 ? m : 32;
      for (int b = 0; b < bits; ++b) value += static_cast<std::uint32_t>(last[-b] == 1) << b;
      integers.Add(static_cast<int>(value));
    }
    return;
  }
  // Too short: reported where the first gene missing is read.
  IntArray bits(m);
  for (int v = 0; v < n; ++v) {
    for (int b = 0; b < m; ++b) bits.Add(genes.Get((v + 1) * m - 1 - b));
    integers.Add(Utility::BitsToInt(bits));
    bits.Clear();
  }
}

void MultiVariate::Decode(const IntArray& integers, DoubleArray& x) const {
  for (int i = 0; i < n; ++i) {
    double value = 0.0;
    if (rotation) {
      const DoubleArray* row = rotation->Get(i);
      for (int j = 0; j < n; ++j) value += row->Get(j) * scale * integers.Get(j);
    } else {
      value = integers.Get(i) * scale;
    }
    if (translation) value += translation->Get(i);
    x.Add(value);
  }
}

namespace {
// Room for one evaluation's integers and point on the calling thread, kept
// from one evaluation to the next: bit strings are scored by the thousand,
// each in well under a microsecond.
class EvaluationRoom {
 public:
  IntArray& Integers(int n) { return Emptied(integers, n); }
  DoubleArray& Point(int n) { return Emptied(point, n); }

 private:
  template <class Values>
  static Values& Emptied(std::unique_ptr<Values>& values, int n) {
    if (!values || values->Capacity() != n) values = std::make_unique<Values>(n);
    values->Clear();
    return *values;
  }
  std::unique_ptr<IntArray> integers;
  std::unique_ptr<DoubleArray> point;
};
}  // namespace

void MultiVariate::FitnessFunction(Individual* individual) {
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  GAChromosome* chromosome = CastGAChromosome(scored);
  thread_local EvaluationRoom room;
  IntArray& integers = room.Integers(n);
  DecodeGenes(*chromosome->ReadGenes(), integers);
  DoubleArray& x = room.Point(n);
  Decode(integers, x);
  scored->SetFitness(function->Evaluate(x));
}

double MultiVariate::OptimumOf(int v) const {
  double known = function->OptimumCoordinate();
  if (!std::isnan(known) || n != 1 || rotation) return known;
  long long values = 1LL << m;
  long long stride = values > 65536 ? values / 65536 : 1;
  IntArray integers(1);
  integers.Add(0);
  DoubleArray x(1);
  double best = HUGE_VAL;
  double at = known;
  for (long long k = 0; k < values; k += stride) {
    integers.Set(0, static_cast<int>(k));
    x.Clear();
    Decode(integers, x);
    double value = function->Evaluate(x);
    if (value < best) {
      best = value;
      at = x.Get(v);
    }
  }
  return at;
}

std::unique_ptr<Recording> MultiVariate::Record(Individual* individual) {
  FitnessFunction(individual);
  DoubleTypeFitnessIndividual* scored = CastIndividual(individual);
  IntArray integers(n);
  DecodeGenes(*CastGAChromosome(scored)->ReadGenes(), integers);
  DoubleArray x(n);
  Decode(integers, x);
  int shown = n < MultiVariateRecording::kShownVariables ? n : MultiVariateRecording::kShownVariables;
  std::vector<MultiVariateRecording::Variable> variables;
  // Without a rotation each variable runs from its translation over 2^m - 1
  // scale steps; with one the range is left open.
  double steps = static_cast<double>((1LL << m) - 1);
  for (int v = 0; v < shown; ++v) {
    double low = NAN;
    double high = NAN;
    if (!rotation) {
      double offset = translation ? translation->Get(v) : 0.0;
      low = offset + std::fmin(0.0, steps * scale);
      high = offset + std::fmax(0.0, steps * scale);
    }
    variables.push_back({x.Get(v), low, high, OptimumOf(v)});
  }
  std::string name = functions->KeyAt(0);
  return std::make_unique<MultiVariateRecording>(name, n, std::move(variables), scored->GetFitness());
}
