// A generation scheme: makes individuals for a population, from another
// population (Evolve) or in place (Apply).
#pragma once

#include "engine/StopRequest.h"

class Population;

class Evolution {
 public:
  virtual ~Evolution() = default;
  // Adds n new individuals to the population to, made from from.
  virtual void Evolve(Population* from, Population* to, int n) = 0;
  // Works on one population.
  virtual void Apply(Population* population, int n) = 0;
  // Whether every individual Evolve adds is finished when it is added (the
  // scheme never changes it afterwards), so that it may be evaluated while
  // Evolve goes on; for a scheme that fills a population with new
  // individuals (a first generation's), Apply as well.
  virtual bool AddsFinishedIndividuals() { return false; }
  // Lets Evolve leave the copying of programs to whoever makes each new
  // individual later (see Chromosome::Make; the thread that evaluates it),
  // for the Evolve calls until it is switched off again; the population
  // evolved from must then stay unchanged until every new individual is made
  // or destroyed. Schemes that always copy at once ignore it.
  virtual void DeferCopies(bool) {}
  // Whether the individuals this scheme makes are best destroyed by the
  // thread that made them: small ones, all of whose memory that thread
  // allocates, which other threads would free only by contending with it
  // for the allocator and its cache lines.
  virtual bool FreedWhereMade() const { return false; }
  // Lets Evolve and Apply end early, between two new individuals, once stop
  // (not owned; null for never) is requested. The population then holds
  // fewer than n new individuals.
  virtual void WatchStop(const StopRequest* stop) { watched = stop; }

 protected:
  bool StopRequested() const { return watched != nullptr && watched->IsRequested(); }

 private:
  const StopRequest* watched = nullptr;
};
