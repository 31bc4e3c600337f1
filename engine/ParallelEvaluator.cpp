#include "engine/ParallelEvaluator.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "engine/Chromosome.h"
#include "engine/Evolution.h"
#include "engine/FitnessMemory.h"
#include "engine/Individual.h"
#include "engine/Population.h"
#include "engine/Problem.h"
#include "engine/Scoring.h"
#include "engine/StopRequest.h"
#include "engine/ThreadSlot.h"
#include "foundation/Exception.h"
#include "foundation/Utility.h"
#include "programs/Head.h"
#include "programs/NodePool.h"

namespace {
// How long a thread with nothing to do watches for work before it blocks: a
// blocked thread is woken late, on a virtual machine often later than the
// whole gap between two rounds.
constexpr auto kSpinTime = std::chrono::milliseconds(2);

// A thread destroying retired members one at a time gives back the free
// blocks it keeps beyond its needs after this many.
constexpr unsigned kTrimEvery = 16;

// The most retired members a thread claims at once (each claim is a locked
// instruction, which waits for every write before it).
constexpr int kRetireAtOnce = 8;

// Spins until ready() holds (true) or kSpinTime has passed (false).
template <class Ready>
bool SpinUntil(Ready ready) {
  auto start = std::chrono::steady_clock::now();
  for (unsigned k = 1;; ++k) {
    if (ready()) return true;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    if ((k & 63U) == 0 && std::chrono::steady_clock::now() - start > kSpinTime) return false;
  }
}
}  // namespace

// A thread's own copy of the generator while it breeds parts, on cache
// lines of its own.
struct alignas(64) ParallelEvaluator::Draws {
  Utility random;
  long long drawn = 0;
  long long round = -1;
};

std::unique_ptr<ParallelEvaluator> ParallelEvaluator::Create(Problem* problem, int threads) {
  if (threads < 2) return nullptr;
  auto evaluator = std::make_unique<ParallelEvaluator>(problem, threads);
  if (evaluator->copies.empty()) return nullptr;
  return evaluator;
}

ParallelEvaluator::ParallelEvaluator(Problem* problem, int threads) : problem(problem) {
  for (int w = 1; w < threads; ++w) {
    std::unique_ptr<Problem> copy(problem->Clone());
    if (!copy) break;
    copies.push_back(std::move(copy));
  }
  retireSlots = std::make_unique<RetireSlot[]>(copies.size() + 1);
  for (std::size_t k = 0; k <= copies.size(); ++k) draws.push_back(std::make_unique<Draws>());
  workers.reserve(copies.size());
  for (std::size_t w = 0; w < copies.size(); ++w) {
    workers.emplace_back([this, w] { WorkerLoop(static_cast<int>(w)); });
  }
}

ParallelEvaluator::~ParallelEvaluator() {
  Abandon();
  FinishRetiring();
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  for (SpreadThread& worker : workers) worker.Join();
}

int ParallelEvaluator::ClaimRetired(Population* members, int slot, bool ownOnly, int most,
                                    Individual** claimed) {
  if (retireByLanes) return ClaimFromLanes(members, slot, ownOnly, most, claimed);
  int count = 0;
  while (count < most) {
    Individual* member = ClaimOneRetired(members, slot, ownOnly);
    if (member == nullptr) break;
    claimed[count++] = member;
  }
  return count;
}

Individual* ParallelEvaluator::ClaimOneRetired(Population* members, int slot, bool ownOnly) {
  // Members this thread made first: their nodes are the likeliest to be in
  // its own caches, and so are the blocks they free for its next copies. A
  // member is claimed before its maker is looked at (no other thread may
  // destroy it meanwhile) and let go again when another thread made it.
  int size = members->Size();
  RetireCursor& cursor = retireCursors[static_cast<std::size_t>(slot)];
  while (cursor.own < size) {
    int k = cursor.own++;
    std::atomic<unsigned char>& claim = retireClaims[static_cast<std::size_t>(k)];
    if (claim.exchange(1, std::memory_order_acquire) != 0) continue;
    Individual* member = members->GetUnsorted(k);
    if (member->GetChromosome()->GetMaker() == slot) return member;
    claim.store(0, std::memory_order_release);
  }
  while (!ownOnly && cursor.any < size) {
    int k = cursor.any++;
    if (retireClaims[static_cast<std::size_t>(k)].exchange(1, std::memory_order_acquire) == 0) {
      return members->GetUnsorted(k);
    }
  }
  return nullptr;
}

int ParallelEvaluator::ClaimFromLanes(Population* members, int slot, bool ownOnly, int most,
                                      Individual** claimed) {
  // The members this thread scored (and, but for the first generation,
  // made) first; then, unless ownOnly, those of the other lanes. Taking the
  // next of a lane, up to most at once, claims them.
  int lanes = members->ScoredLaneCount();
  auto take = [&](int lane) -> int {
    std::vector<Individual*>& scored = members->ScoredLane(lane);
    std::atomic<int>& next = laneCursors[static_cast<std::size_t>(lane)].next;
    int size = static_cast<int>(scored.size());
    if (next.load(std::memory_order_relaxed) >= size) return 0;
    int k = next.fetch_add(most, std::memory_order_acq_rel);
    int count = std::min(most, size - k);
    if (count <= 0) return 0;
    std::copy_n(scored.begin() + k, count, claimed);
    return count;
  };
  if (slot < lanes) {
    if (int count = take(slot)) return count;
  }
  if (ownOnly) return 0;
  for (int lane = 0; lane < lanes; ++lane) {
    if (lane == slot) continue;
    if (int count = take(lane)) return count;
  }
  return 0;
}

void ParallelEvaluator::DestroyRetired(Individual* member) {
  member->DeleteChromosome();
  delete member;
}

bool ParallelEvaluator::RetireSome(bool stopAtRound, int slot, bool ownOnly, int most) {
  // Nothing to do, as far as this thread knows: said without the
  // announcement below.
  if (retiringMembers.load(std::memory_order_acquire) == nullptr) return false;
  RetireSlot& mine = retireSlots[static_cast<std::size_t>(slot)];
  long long epoch = retireEpoch.load(std::memory_order_acquire);
  if (mine.epoch != epoch) {
    mine.epoch = epoch;
    mine.ownDone = false;
    mine.anyDone = false;
  }
  if (ownOnly ? mine.ownDone : mine.anyDone) return false;
  // Announce first, look second: FinishRetiring withdraws the population
  // first and looks at every thread's announcement second, so one of the two
  // sees the other.
  mine.active.store(true);
  Population* members = retiringMembers.load();
  unsigned destroyed = 0;
  // The population announced may be a later one than the epoch read: then
  // what this thread found nothing in is not known.
  if (members != nullptr && retireEpoch.load() == epoch) {
    long long started = roundStarted.load();
    for (;;) {
      Individual* claimed[kRetireAtOnce];
      int want = kRetireAtOnce;
      if (!stopAtRound) want = std::min(want, most - static_cast<int>(destroyed));
      int count = ClaimRetired(members, slot, ownOnly, std::max(want, 1), claimed);
      if (count == 0) {
        // A thread's cursors only move on: it finds nothing more there.
        mine.ownDone = true;
        if (!ownOnly) mine.anyDone = true;
        break;
      }
      // Each claimed member's memory is asked for before any of them is
      // destroyed (see Individual::AskToRelease).
      for (int c = 0; c < count; ++c) claimed[c]->AskToRelease();
      for (int c = 0; c < count; ++c) DestroyRetired(claimed[c]);
      destroyed += static_cast<unsigned>(count);
      if (!stopAtRound && static_cast<int>(destroyed) >= most)
        break;  // a few members between looks at the round
      if (roundStarted.load() != started) break;
    }
    // The freed nodes are for the programs this thread copies next; only
    // what it keeps beyond that goes to the other threads. Looked at every
    // few members destroyed (a few at a time while scoring): it visits every
    // pool.
    thread_local unsigned destroyedSinceTrim = 0;
    destroyedSinceTrim += destroyed;
    if (destroyed > 0 && (stopAtRound || destroyedSinceTrim >= kTrimEvery)) {
      NodePool::TrimAllLocal();
      destroyedSinceTrim = 0;
    }
  }
  mine.active.store(false, std::memory_order_release);
  return destroyed > 0;
}

void ParallelEvaluator::Retire(std::unique_ptr<Population> members) {
  FinishRetiring();
  int size = members->Size();
  // Scored on several threads in full: each thread finds the members it
  // wrote in its lane. Otherwise each looks through them all.
  retireByLanes = members->ScoredLanesComplete();
  if (retireByLanes) {
    laneCursors = std::make_unique<LaneCursor[]>(static_cast<std::size_t>(members->ScoredLaneCount()));
  } else {
    if (retireClaimsSize < static_cast<std::size_t>(size)) {
      retireClaims = std::make_unique<std::atomic<unsigned char>[]>(static_cast<std::size_t>(size));
      retireClaimsSize = static_cast<std::size_t>(size);
    }
    for (int i = 0; i < size; ++i)
      retireClaims[static_cast<std::size_t>(i)].store(0, std::memory_order_relaxed);
    retireCursors.assign(static_cast<std::size_t>(GetThreadCount()), RetireCursor());
  }
  retireEpoch.fetch_add(1);
  retiring = std::move(members);
  retiringMembers.store(retiring.get());
  { std::lock_guard<std::mutex> lock(mutex); }
  wake.notify_all();
}

void ParallelEvaluator::FinishRetiring() {
  if (!retiring) return;
  retiringMembers.store(nullptr);
  Population* members = retiring.get();
  Individual* claimed[kRetireAtOnce];
  while (int count = ClaimRetired(members, 0, false, kRetireAtOnce, claimed)) {
    for (int c = 0; c < count; ++c) DestroyRetired(claimed[c]);
  }
  for (std::size_t k = 0; k <= copies.size(); ++k) {
    while (retireSlots[k].active.load()) std::this_thread::yield();
  }
  // A worker looking for its own members claims each one before it reads
  // who made it, and lets go of those it did not make; the loop above may
  // have passed such a member while it was held. No worker looks any more:
  // whatever is still unclaimed goes now. (Taken from a lane, a member is
  // never let go.)
  for (int i = 0; !retireByLanes && i < members->Size(); ++i) {
    if (retireClaims[static_cast<std::size_t>(i)].exchange(1, std::memory_order_acquire) == 0) {
      DestroyRetired(members->GetUnsorted(i));
    }
  }
  // Every member is destroyed, each by the thread that claimed it: only the
  // array is left.
  retiring.reset();
  NodePool::TrimAllLocal();
}

void ParallelEvaluator::WorkerLoop(int worker) {
  int slot = worker + 1;
  ThreadSlot::Set(slot);
  // Before the first round: a member this thread claimed would otherwise
  // wait for the page, and the round with it.
  NodePool::PrepareThread();
  long long seen = 0;
  // The retirement whose members made by this thread are all destroyed.
  long long retiredOwn = -1;
  auto ready = [&] {
    return stopping.load() || round.load() != seen ||
           (retiringMembers.load() != nullptr && retireEpoch.load() != retiredOwn);
  };
  const std::function<bool()>* task = nullptr;
  SharedBreeding* parts = nullptr;
  for (;;) {
    {
      SpinUntil(ready);
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock, ready);
      if (stopping) return;
      if (round == seen) {
        // Nothing to evaluate: destroy the retired members this thread made
        // meanwhile (the others' go with the other threads' copies).
        long long epoch = retireEpoch.load();
        lock.unlock();
        if (!RetireSome(true, slot, true)) retiredOwn = epoch;
        continue;
      }
      seen = round;
      // A round closed before this thread got to it (it started late, or
      // the host held it up) was done without it.
      if (!open) continue;
      ++running;
      task = job;
      parts = breeding;
    }
    if (task != nullptr) {
      while ((*task)()) {
      }
    } else if (parts != nullptr) {
      RunParts(copies[static_cast<std::size_t>(worker)].get(), worker + 1);
    } else {
      RunShare(copies[static_cast<std::size_t>(worker)].get(), worker + 1);
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      --running;
    }
    finished.notify_one();
  }
}

int ParallelEvaluator::MakerFor(int i) const {
  int preferred = population->GetPublishedPreference(i);
  int threads = GetThreadCount();
  if (preferred >= 0 && preferred < threads) return preferred;
  // Without a preference, each thread a run of neighbours: members made one
  // after another lie side by side in memory, and threads that score
  // alternate members would share (and fight over) their cache lines.
  long long room = population->Capacity();
  return room > 0 ? static_cast<int>(static_cast<long long>(i) * threads / room) : i % threads;
}

bool ParallelEvaluator::Claim(int i) {
  return claims[static_cast<std::size_t>(i)].exchange(1, std::memory_order_relaxed) == 0;
}

void ParallelEvaluator::RunShare(Problem* evaluating, int slot) {
  // Members made best by this thread first, each with a retired member of
  // its own destroyed before it (its nodes, just freed, are the first the
  // copy takes: a thread that destroyed the others' members as well would
  // keep their blocks while they took new memory for theirs); with none of
  // those, a retired member to destroy; with none of those either, any
  // member still unclaimed.
  int own = 0;
  int any = 0;
  for (;;) {
    if (StopRequested()) return;
    int published = population->GetPublishedCount();
    bool whole = complete.load(std::memory_order_acquire);
    // While members are still being added, the latest batch is left to
    // its maker for now: its objects share cache lines with those being
    // made next, which a thread scoring them would take over (its fitness
    // written) just before the maker writes there again.
    int available = published;
    if (!whole) available = published > Population::kPublishEvery ? published - Population::kPublishEvery : 0;
    int i = -1;
    while (i < 0 && own < available) {
      int k = own++;
      if (MakerFor(k) == slot && Claim(k)) i = k;
    }
    if (i >= 0) {
      RetireSome(false, slot, true);
    } else {
      if (RetireSome(false, slot, false)) continue;
      while (i < 0 && any < available) {
        int k = any++;
        // Most are taken by now: looked at before the line is taken over.
        if (claims[static_cast<std::size_t>(k)].load(std::memory_order_relaxed) == 0 && Claim(k)) i = k;
      }
      if (i < 0) {
        // Every member added so far is claimed: done once the population is
        // complete; until then, wait a moment for more.
        if (whole && available == population->GetPublishedCount()) return;
        SpinUntil([&] {
          return complete.load() || population->GetPublishedCount() != published || StopRequested();
        });
        continue;
      }
    }
    // Members after a failed one are not evaluated: the process ends with
    // the first failure's report.
    if (i > firstFailed.load(std::memory_order_relaxed)) continue;
    ScoreMember(evaluating, slot, i);
  }
}

void ParallelEvaluator::RunParts(Problem* evaluating, int slot) {
  Draws& mine = *draws[static_cast<std::size_t>(slot)];
  int count = breeding->PartCount();
  for (;;) {
    if (StopRequested() || partsFailed.load(std::memory_order_relaxed)) return;
    int k = nextPart.fetch_add(1, std::memory_order_relaxed);
    if (k >= count) return;
    if (mine.round != breedingRound) {
      mine.random = *breedingStart;
      mine.drawn = 0;
      mine.round = breedingRound;
    }
    population->AskToPlace(breeding->Part(k), breeding->Part(k + 1));
    if (!breeding->Breed(population, k, slot, &mine.random, mine.drawn)) {
      partsFailed.store(true, std::memory_order_relaxed);
      return;
    }
    // Each member just bred is made and scored here while its recipe is in
    // this thread's caches, as many retired members of this thread's
    // destroyed first (see RunShare), all at one look.
    int begin = breeding->Part(k);
    int end = breeding->Part(k + 1);
    RetireSome(false, slot, true, end - begin);
    // What each member is made of (its parents' genes or programs, most of
    // them written by the other cores) is asked for a few members ahead, so
    // that it arrives while the members before it are scored.
    for (int i = begin; i < end && i < begin + kAskAhead; ++i) AskForSources(i);
    for (int i = begin; i < end; ++i) {
      if (StopRequested()) return;
      if (i + kAskAhead < end) AskForSources(i + kAskAhead);
      if (i > firstFailed.load(std::memory_order_relaxed)) continue;
      ScoreMember(evaluating, slot, i);
    }
  }
}

void ParallelEvaluator::AskForSources(int i) const {
  population->GetPublished(i)->GetChromosome()->AskForSources();
}

void ParallelEvaluator::ScoreMember(Problem* evaluating, int slot, int i) {
  Individual* member = population->GetPublished(i);
  // Copied from its parents here, by the thread that reads it first.
  member->GetChromosome()->Make();
  population->ScoredLane(slot).push_back(member);
  Counts& mine = counts[static_cast<std::size_t>(slot)];
  Scoring::Outcome outcome = Scoring::Score(evaluating, memory, member, Scoring::Lines::Captured, mine.text);
  if (!mine.text.empty()) {
    mine.texts.emplace_back(i, std::move(mine.text));
    mine.text.clear();
  }
  if (outcome == Scoring::Outcome::Remembered) {
    ++mine.remembered;
  } else {
    ++mine.evaluated;
  }
  if (outcome != Scoring::Outcome::Failed) {
    // While it is still in this thread's caches: the next generation's
    // breeding reads it from every thread, and the sorting and measuring of
    // this one read what is noted of it.
    member->GetChromosome()->PrepareForSharing();
    population->NoteScored(i, member);
    if (const Scoring::Watch* seeing = watch.load(std::memory_order_acquire)) (*seeing)(i, member);
    return;
  }
  int seen = firstFailed.load(std::memory_order_relaxed);
  while (i < seen && !firstFailed.compare_exchange_weak(seen, i, std::memory_order_relaxed)) {
  }
}

bool ParallelEvaluator::StopRequested() const { return stop != nullptr && stop->IsRequested(); }

void ParallelEvaluator::Begin(Population* members, bool isComplete, SharedBreeding* parts) {
  population = members;
  members->StartScoredLanes(GetThreadCount());
  std::size_t room = static_cast<std::size_t>(members->Capacity());
  if (claimsSize < room) {
    claims = std::make_unique<std::atomic<unsigned char>[]>(room);
    claimsSize = room;
  }
  for (std::size_t k = 0; k < room; ++k) claims[k].store(0, std::memory_order_relaxed);
  firstFailed.store(INT_MAX);
  counts.assign(static_cast<std::size_t>(GetThreadCount()), Counts());
  complete.store(isComplete);
  for (std::unique_ptr<Problem>& copy : copies) copy->ResetSolved();
  {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
    job = nullptr;
    breeding = parts;
    ++round;
  }
  roundStarted.fetch_add(1);
  wake.notify_all();
}

void ParallelEvaluator::Share(const std::function<bool()>& step) {
  Abandon();
  {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
    job = &step;
    breeding = nullptr;
    ++round;
  }
  roundStarted.fetch_add(1);
  wake.notify_all();
  // Whatever happens here, no worker is left in the step once it is gone.
  struct Closing {
    ParallelEvaluator* evaluator;
    ~Closing() {
      evaluator->Close();
      std::lock_guard<std::mutex> lock(evaluator->mutex);
      evaluator->job = nullptr;
    }
  } closing{this};
  while (step()) {
  }
}

void ParallelEvaluator::Close() {
  complete.store(true, std::memory_order_release);
  {
    // Only the workers already in the round are waited for: the calling
    // thread has scored whatever they left.
    std::lock_guard<std::mutex> lock(mutex);
    open = false;
  }
  if (SpinUntil([this] { return running.load() == 0; })) {
    // The last worker may still hold the lock to signal: take it once, so
    // that it is done with this object's members before the round ends.
    std::lock_guard<std::mutex> lock(mutex);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex);
  finished.wait(lock, [this] { return running.load() == 0; });
}

void ParallelEvaluator::EvaluateAsAdded(Population* members) {
  Abandon();
  Begin(members, false);
}

void ParallelEvaluator::Abandon() {
  if (population == nullptr) return;
  Close();
  population = nullptr;
}

bool ParallelEvaluator::Evaluate(Population* members) {
  // Added by this thread: the last few are published now.
  members->Publish();
  if (population != members) {
    Abandon();
    Begin(members, true);
  }
  complete.store(true, std::memory_order_release);
  RunShare(problem, 0);
  Close();
  population = nullptr;
  return EndRound(members);
}

ParallelEvaluator::Bred ParallelEvaluator::BreedAndEvaluate(Population* members, SharedBreeding* parts,
                                                            Utility* random) {
  Abandon();
  members->OpenPlaces(parts->Size());
  breedingStart = random;
  ++breedingRound;
  nextPart.store(0, std::memory_order_relaxed);
  partsFailed.store(false, std::memory_order_relaxed);
  Begin(members, true, parts);
  try {
    parts->Prepare();
  } catch (...) {
    // Where reports are thrown (the window): nothing of the generation
    // stays, and no thread is left in the round.
    partsFailed.store(true);
    Close();
    population = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex);
      breeding = nullptr;
    }
    members->ClosePlaces(false);
    if (memory != nullptr) memory->TakeRaced();
    throw;
  }
  RunParts(problem, 0);
  Close();
  population = nullptr;
  // No worker is in the round: the plan is the caller's again.
  int last = -1;
  {
    std::lock_guard<std::mutex> lock(mutex);
    breeding = nullptr;
  }
  if (StopRequested() || partsFailed.load()) {
    // What was bred goes, and with it whatever its scoring left: the
    // generation is bred again, or not at all.
    members->ClosePlaces(false);
    if (memory != nullptr) memory->TakeRaced();
    if (!StopRequested()) return Bred::NotShared;
    random->Skip(parts->Draws());
    return Bred::Stopped;
  }
  members->ClosePlaces(true);
  // The last offspring's draws end where the generation's do: the thread
  // that bred it has made them all (a copy of 2.5 KB rather than every
  // regeneration of the state again).
  for (std::size_t k = 0; k < draws.size() && last < 0; ++k) {
    if (draws[k]->round == breedingRound && draws[k]->drawn == parts->Draws()) last = static_cast<int>(k);
  }
  if (last >= 0) {
    *random = draws[static_cast<std::size_t>(last)]->random;
  } else {
    random->Skip(parts->Draws());
  }
  return EndRound(members) ? Bred::Scored : Bred::Stopped;
}

bool ParallelEvaluator::EndRound(Population* members) {
  evaluations = 0;
  remembered = 0;
  for (const Counts& some : counts) {
    evaluations += some.evaluated;
    remembered += some.remembered;
  }
  // A program evaluated by two threads at once counts as it would on one
  // thread, where the later one finds the earlier in memory: the counts are
  // the same on any number of threads.
  if (memory != nullptr) {
    long long raced = memory->TakeRaced();
    evaluations -= raced;
    remembered += raced;
  }
  // Cut short, perhaps only just: the round counts for nothing.
  if (StopRequested()) return false;

  int size = members->Size();
  int first = std::min(firstFailed.load(), size);
  // The lines written before the first failure, in the members' order.
  std::vector<std::pair<int, std::string>> written;
  for (Counts& some : counts) {
    for (std::pair<int, std::string>& text : some.texts) {
      if (text.first < first) written.push_back(std::move(text));
    }
    some.texts.clear();
  }
  std::sort(written.begin(), written.end(),
            [](const std::pair<int, std::string>& a, const std::pair<int, std::string>& b) {
              return a.first < b.first;
            });
  for (const std::pair<int, std::string>& text : written) GetException()->Diagnostic(text.second);
  for (std::unique_ptr<Problem>& copy : copies) problem->AdoptSolved(copy.get());
  preparedAll = first == size;
  // The failed member again, alone and for real: its report ends the process
  // exactly as in the serial loop. Should it pass after all, the serial loop
  // goes on from there (members skipped after it are made first).
  for (int i = first; i < size; ++i) {
    Individual* member = members->GetUnsorted(i);
    member->GetChromosome()->Make();
    problem->FitnessFunction(member);
    if (i > first) ++evaluations;
  }
  return true;
}
