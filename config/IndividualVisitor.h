// A visitor of individuals: an individual hands itself over with Accept.
#pragma once

class Individual;

class IndividualVisitor {
 public:
  virtual ~IndividualVisitor() = default;
  virtual void Visit(Individual* individual) = 0;
};
