// The bit-string problem: a chromosome of n x m genes encodes n integers of m
// bits each (most significant bit first); scaled, optionally rotated and
// translated, they give a point whose objective-function value is the fitness.
#pragma once

#include <istream>
#include <memory>
#include <vector>

#include "engine/Problem.h"
#include "foundation/NumericArrays.h"
#include "problems/ObjectiveFunctionRegister.h"

class MultiVariate : public Problem {
 public:
  // Largest number of bits per variable: an integer of that many bits fits an
  // int with room to spare.
  static constexpr int MaxBitsPerVariable = 30;
  // Largest chromosome, n x m genes.
  static constexpr long long MaxGenes = 1000000;

  // Reads, after the name: n, m, the objective function's name, the scale,
  // then optionally n reals of translation and after them optionally n x n
  // reals of rotation, row by row. Missing or malformed fixed fields, sizes
  // out of range and a translation or rotation cut short end the process.
  explicit MultiVariate(std::istream& in);
  ~MultiVariate() override;

  // Decodes the genes of a GAChromosome and stores the function's value there.
  void FitnessFunction(Individual* individual) override;
  // A copy with a function of its own, made from the same name, and its own
  // translation and rotation.
  Problem* Clone() override;
  // The variables the best string decodes to, against the function's
  // optimum.
  std::unique_ptr<Recording> Record(Individual* individual) override;

  // The n integers the genes encode: variable v is read from genes
  // v*m .. v*m + m - 1, the first of them the most significant bit; a gene
  // counts as a one bit only when it equals 1. integers receives n values.
  void DecodeGenes(const IntArray& genes, IntArray& integers) const;
  // The point of the n integers: scaled (and rotated), then translated.
  // x receives n values.
  void Decode(const IntArray& integers, DoubleArray& x) const;

  int GetVariableCount() const { return n; }
  int GetBitsPerVariable() const { return m; }
  // The length of this problem's chromosomes, n x m.
  int GetGeneCount() const { return n * m; }
  double GetScale() const { return scale; }
  ObjectiveFunction* GetFunction() const { return function; }
  // Null when the problem file gives none.
  const DoubleArray* GetTranslation() const { return translation.get(); }
  const Double2DimensionalArray* GetRotation() const { return rotation.get(); }

 private:
  MultiVariate(const MultiVariate& other);
  // The coordinate of the function's lowest point along variable v: the
  // function's own, or for one unrotated variable the best of up to 65536
  // values spread over its range; NaN when neither is known.
  double OptimumOf(int v) const;

  int n;
  int m;
  std::unique_ptr<ObjectiveFunctionRegister> functions;
  ObjectiveFunction* function;  // owned by functions
  std::unique_ptr<Double2DimensionalArray> rotation;  // rows owned by rotationRows
  // Owns the rows of rotation, so that a file read only in part (a report
  // that a harness catches) frees them too.
  std::vector<std::unique_ptr<DoubleArray>> rotationRows;
  std::unique_ptr<DoubleArray> translation;
  double scale;
};
