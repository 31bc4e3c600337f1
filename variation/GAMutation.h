// Mutation of a bit string in place, for the GA schemes.
#pragma once

class IntArray;

class GAMutation {
 public:
  virtual ~GAMutation() = default;
  virtual void Mutate(IntArray* genes) = 0;
};

// Per-gene bit flip: for each gene from the first to the last, one draw
// Random01(); when it is below the rate the gene flips (1 becomes 0, any
// other value 1). So a string of L genes always takes exactly L draws.
class GABitFlipMutation : public GAMutation {
 public:
  explicit GABitFlipMutation(double rate) : rate(rate) {}
  void Mutate(IntArray* genes) override;
  double GetRate() const { return rate; }

 private:
  double rate;
};
