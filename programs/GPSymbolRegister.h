// The node set of a run: weighted classes of operators read from the
// node-set table, from which the tree generator draws. Class 0 holds the
// terminals.
#pragma once

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "foundation/NumericArrays.h"
#include "programs/OperatorArray.h"
#include "programs/OperatorRegister.h"

class GPSymbolRegister {
 public:
  static constexpr int ClassCapacity = 10;   // classes of one table
  static constexpr int SymbolCapacity = 50;  // names of one class
  static constexpr int LineLength = 999;     // characters of one table line

  // Reads the whole table at once: one class per line, its weight first and
  // then the names of its operators, separated by blanks or tabs. A line
  // without a weight (an empty one) adds no class. Names are resolved through
  // operators, which must outlive this register.
  GPSymbolRegister(OperatorRegister* operators, std::istream& table);
  GPSymbolRegister(const GPSymbolRegister&) = delete;
  GPSymbolRegister& operator=(const GPSymbolRegister&) = delete;
  virtual ~GPSymbolRegister();

  // A class drawn by weight, then one of its operators uniformly.
  virtual Operator* GetRandomOperator();
  // One operator of class 0 drawn uniformly.
  virtual Operator* GetRandomTerminal();
  // The operators of class 0.
  virtual OperatorArray* GetTerminals();

  int GetClassCount() const { return classes.Size(); }
  OperatorArray* GetClass(int k) const { return classes.Get(k); }
  double GetWeight(int k) const { return weights.Get(k); }

 private:
  void ReadTable(std::istream& table);
  void ReadLine(const std::string& line, int number);
  [[noreturn]] void ReportTable(const std::string& message) const;
  // A warning at ReadTable, for a line that ends the run with a capacity or
  // index report that names no line.
  void WarnTable(const std::string& message) const;
  // A warning naming the table line of class k, which has no operator names,
  // as it is drawn from.
  void WarnEmptyClass(int k, const char* method) const;

  OperatorRegister* operators;
  // The classes own their rows through rows, so that a table read only in
  // part (a report that a harness catches) frees them too.
  std::vector<std::unique_ptr<OperatorArray>> rows;
  Operator2DArray classes;
  DoubleArray weights;
  // The weights' running sums, added up in the order a roulette over them
  // adds them (see DoubleArray::Roulette): kept as the table is read rather
  // than summed at each of a run's many draws.
  double running[ClassCapacity] = {};
  bool ascending = true;        // no weight below 0: the sums never fall
  std::vector<int> classLines;  // the table line of each class
};
