// A generation scheme: makes individuals for a population, from another
// population (Evolve) or in place (Apply).
#pragma once

#include <memory>

#include "engine/StopRequest.h"

class Population;
class Utility;

// One generation's breeding cut into parts that threads breed side by side,
// leaving exactly what breeding the whole in order on one thread leaves:
// each offspring's random draws begin a known number of draws into the
// generation's, so a thread with its own copy of the generator, moved on to
// there, draws what the one thread would have.
class SharedBreeding {
 public:
  virtual ~SharedBreeding() = default;
  // The number of offspring, and the draws they take together.
  virtual int Size() const = 0;
  virtual long long Draws() const = 0;
  // The parts: runs of neighbouring offspring, part k from Part(k) to
  // Part(k + 1) - 1, for k below PartCount().
  virtual int PartCount() const = 0;
  virtual int Part(int k) const = 0;
  // Called once on the thread that breeds the generation, while the other
  // threads may already breed parts: work only that thread may do (it may
  // make a report), which the parts that need it wait for.
  virtual void Prepare() {}
  // Breeds part k into its places of next (see Population::OpenPlaces), each
  // offspring preferring the thread numbered slot, with draws from random,
  // which has made drawn of the generation's draws (and is moved on here,
  // never back: parts are bred in increasing order on each thread). False,
  // with the part perhaps half placed, where its parents are not what the
  // plan took them to be (the one thread would then draw otherwise, or
  // report): the generation must then be bred on one thread after all.
  // Safe on several threads at once, for different parts.
  virtual bool Breed(Population* next, int k, int slot, Utility* random, long long& drawn) = 0;
};

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
  // The breeding of a generation of n from from as parts threads can share,
  // or null where this scheme has no such plan (its draws depend on what is
  // drawn) or the generation does not suit it. The offspring are recipes on
  // their parents, made by the threads that score them (as while copies are
  // deferred, see DeferCopies). from is sorted here when it is not (as the
  // first selection would sort it), and must stay unchanged while the plan
  // is in use.
  virtual std::unique_ptr<SharedBreeding> ShareBreeding(Population* /*from*/, int /*n*/) { return nullptr; }

 protected:
  bool StopRequested() const { return watched != nullptr && watched->IsRequested(); }

 private:
  const StopRequest* watched = nullptr;
};
