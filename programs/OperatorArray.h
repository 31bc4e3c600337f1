// Lists of shared operators: a symbol class of the node set, or a program in
// flat prefix form (each operator followed by its arguments). Neither owns
// the operators; an Operator2DArray does not own its rows.
#pragma once

#include "foundation/Array.h"
#include "programs/Operator.h"

class OperatorArray : public PointerArray<Operator> {
 public:
  explicit OperatorArray(int capacity) : PointerArray<Operator>(capacity) {}
};

class Operator2DArray : public PointerArray<OperatorArray> {
 public:
  explicit Operator2DArray(int capacity) : PointerArray<OperatorArray>(capacity) {}
  // Destroys every row, then empties the list.
  void DeleteAll() { DeletePointees(); }
};
