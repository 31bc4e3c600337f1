// Crossover of two bit strings in place, for the GA schemes.
#pragma once

class IntArray;

class GACrossover {
 public:
  virtual ~GACrossover() = default;
  // Recombines a and b in place; both become offspring.
  virtual void Cross(IntArray* a, IntArray* b) = 0;
  // For offspring made later from unchanged parents: draws (and reports)
  // exactly as Cross(copy of a, copy of b) would, and gives the cut point
  // from which the two exchange their genes (the length or more for none);
  // kNoPlan, with nothing drawn, for a crossover that cannot say.
  static constexpr int kNoPlan = -1;
  virtual int PlanCut(const IntArray*, const IntArray*) { return kNoPlan; }
};

// One-point crossover: a cut point c is drawn uniformly from 1 .. L - 1 (L the
// length; one draw, 1 + RandomInt(L - 1)) and the tails from gene c on are
// exchanged, so each child keeps at least the first gene of one parent and
// the last gene of the other. With L < 2 the draw still happens and nothing
// changes.
class GAOnePointCrossover : public GACrossover {
 public:
  // Strings of different lengths end the process.
  void Cross(IntArray* a, IntArray* b) override;
  // Exchanges genes point .. L - 1 of a and b.
  void CrossAt(IntArray* a, IntArray* b, int point);
  int PlanCut(const IntArray* a, const IntArray* b) override;
  // The one draw, for strings of length genes: the cut point (0 or more).
  int DrawCut(int length);
};
