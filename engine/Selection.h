// Parent selection on a population sorted best first: tournament selection
// works on ranks (a smaller index is better) and elite selection takes the
// best. Both hand out the population's own individuals, not copies.
#pragma once

class Individual;
class IndividualArray;
class Population;

class Selection {
 public:
  virtual ~Selection() = default;
  virtual Individual* Select(Population* population) = 0;
  // Adds n individuals to out.
  virtual void SelectMany(Population* population, IndividualArray* out, int n) = 0;
};

// The best-ranked of tournament-size ranks drawn uniformly with replacement.
class TournamentSelection : public Selection {
 public:
  explicit TournamentSelection(int tournamentSize) : tournamentSize(tournamentSize) {}
  Individual* Select(Population* population) override;
  // The rank Select takes, with the same draws (population sorted).
  int SelectRank(Population* population) const;
  // Draws tournament-size ranks, sorts them and hands them out in turn,
  // starting again from the first after the last.
  void SelectMany(Population* population, IndividualArray* out, int n) override;
  int GetTournamentSize() const { return tournamentSize; }

 private:
  int tournamentSize;
};

// The best individual; SelectMany gives the n best, best first.
class EliteSelection : public Selection {
 public:
  Individual* Select(Population* population) override;
  void SelectMany(Population* population, IndividualArray* out, int n) override;
};
