// Mutation of a bit string in place, for the GA schemes.
#pragma once

#include <vector>

class IntArray;

class GAMutation {
 public:
  virtual ~GAMutation() = default;
  virtual void Mutate(IntArray* genes) = 0;
  // For an offspring made later from an unchanged parent of length genes:
  // draws exactly as Mutate would and lists the genes it would flip, in
  // order; false, with nothing drawn, for a mutation that cannot say.
  virtual bool PlanFlips(int, std::vector<int>&) { return false; }
};

// Per-gene bit flip: for each gene from the first to the last, one draw
// Random01(); when it is below the rate the gene flips (1 becomes 0, any
// other value 1). So a string of L genes always takes exactly L draws.
class GABitFlipMutation : public GAMutation {
 public:
  explicit GABitFlipMutation(double rate) : rate(rate) {}
  void Mutate(IntArray* genes) override;
  bool PlanFlips(int length, std::vector<int>& flips) override;
  double GetRate() const { return rate; }

 private:
  double rate;
};
