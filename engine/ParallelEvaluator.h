// The worker threads of a generation pipeline (see GenerationPipeline): they
// make and score the members of a population, each thread with a copy of the
// problem, and leave exactly what the one-thread loop in index order leaves:
// the same fitness values, the same solved flag, the same lines on standard
// error and, when individuals would raise reports, the report of the first of
// them in index order, made for real by the calling thread.
//
// A round can start before the population is complete: the worker threads
// then score members as the caller adds them (while it breeds the rest), and
// Evaluate finishes the round. Each thread takes first the members added for
// it (whose programs it is best placed to copy, see Population::Add), then
// any left, and makes each (Chromosome::Make) just before scoring it.
// Between members the threads also destroy the members of retired
// populations, each the members it made (or, for a population scored in
// full on the threads, those it scored) first. Between rounds the threads
// also take shares of other work on a generation (see WorkSharing).
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/Scoring.h"
#include "foundation/SpreadThread.h"
#include "foundation/WorkSharing.h"

class FitnessMemory;
class Individual;
class SharedBreeding;
class Utility;
class Population;
class Problem;
class StopRequest;

class ParallelEvaluator : public WorkSharing {
 public:
  // threads counts the calling thread, which evaluates with problem itself;
  // every other thread gets a copy made by problem's Clone (as many threads
  // as copies are given).
  ParallelEvaluator(Problem* problem, int threads);
  ParallelEvaluator(const ParallelEvaluator&) = delete;
  ParallelEvaluator& operator=(const ParallelEvaluator&) = delete;
  // Ends any round, then stops and joins the worker threads and destroys the
  // copies.
  ~ParallelEvaluator() override;

  // An evaluator for problem on threads threads, or null when the problem
  // gives no copies.
  static std::unique_ptr<ParallelEvaluator> Create(Problem* problem, int threads);

  // Starts a round on a population still being filled: the worker threads
  // evaluate its members as they are added. Only for populations whose
  // members are finished when added.
  void EvaluateAsAdded(Population* population);

  // Makes every member of population and gives it its fitness (finishing
  // the round EvaluateAsAdded began for it), through Scoring::Score with the
  // lines captured; afterwards the lines are written in index order, up to
  // the first individual whose evaluation made a fatal report, which is then
  // evaluated again on this thread with the problem itself, so that its
  // report is made exactly as the serial loop makes it. A solved flag set by
  // any copy is set on the problem. False when a stop request cut the round
  // short: then nothing is written and no flag adopted.
  bool Evaluate(Population* population);

  // Breeds the generation of parts into members (empty, with room for it)
  // and gives every member its fitness, each part bred, made and scored by
  // one thread, which draws from its own copy of random (the generator as
  // the generation's breeding begins, only read during the round). Scored
  // leaves what breeding the generation in order and then Evaluate would
  // leave, random moved on by the generation's draws; Stopped, after a stop
  // request, leaves members empty and random moved on likewise; NotShared,
  // where a part could not be bred as planned, leaves members empty,
  // nothing written and random as it was (the generation is then to be bred
  // in order after all).
  enum class Bred { Scored, Stopped, NotShared };
  Bred BreedAndEvaluate(Population* members, SharedBreeding* parts, Utility* random);

  // Between rounds (a round begun by EvaluateAsAdded is abandoned first):
  // step on this thread and on the workers that join (a worker destroying
  // retired members joins after the member in hand).
  void Share(const std::function<bool()>& step) override;

  // Ends a round begun by EvaluateAsAdded without its results (the
  // population is not going to be evaluated); waits for the workers to
  // leave it.
  void Abandon();

  // Destroys population and its members: between rounds each worker
  // destroys the members it made (see ClaimRetired), and during a round
  // every thread destroys one before each member it evaluates. A population retired earlier is
  // finished first, on the calling thread where the workers have not got to
  // it.
  void Retire(std::unique_ptr<Population> population);
  // Finishes destroying the retired population, if any.
  void FinishRetiring();

  int GetThreadCount() const { return static_cast<int>(workers.size()) + 1; }
  // Whether the last Evaluate evaluated every member in the round, each then
  // prepared for sharing, and noted (see Population::NoteScored), by the
  // thread that evaluated it.
  bool PreparedAll() const { return preparedAll; }
  // Programs known to memory (not owned; may be null) take their fitness
  // from it instead of being evaluated; programs evaluated are added to it.
  void SetMemory(FitnessMemory* known) { memory = known; }
  // Rounds end early, between two members, once request (not owned; may be
  // null) is made.
  void SetStop(const StopRequest* request) { stop = request; }
  // watch (not owned; may be null) sees every member scored from the next
  // round on, while it is set (see Scoring::Watch).
  void SetWatch(const Scoring::Watch* scored) { watch.store(scored, std::memory_order_release); }
  // Of the last Evaluate: the members whose fitness function ran, and those
  // whose fitness came from memory.
  long long GetEvaluations() const { return evaluations; }
  long long GetRemembered() const { return remembered; }

 private:
  // Starts a round on population: the workers claim members as they become
  // available, or (with parts) breed and score the parts.
  void Begin(Population* population, bool complete, SharedBreeding* parts = nullptr);
  // After Close: the counts, the lines in index order, the solved flags and
  // the first failure's report, as Evaluate leaves them; false after a stop
  // request.
  bool EndRound(Population* members);
  // Marks the population complete, lets no more workers join the round, and
  // waits for those in it to finish.
  void Close();
  // Makes and scores members one at a time, as the thread numbered slot
  // (see ThreadSlot) claims them, until none is left or a stop is requested.
  void RunShare(Problem* evaluating, int slot);
  // Claims parts of the round's breeding one at a time, and breeds, makes
  // and scores each, until none is left, one could not be bred or a stop is
  // requested.
  void RunParts(Problem* evaluating, int slot);
  // Members of a part whose sources are asked for ahead of making them.
  static constexpr int kAskAhead = 2;
  // Asks for what the i-th member (bred by this thread) is made of.
  void AskForSources(int i) const;
  // Makes and scores the claimed i-th member.
  void ScoreMember(Problem* evaluating, int slot, int i);
  bool StopRequested() const;
  // The thread that should make and evaluate the i-th member: the one it
  // was added for, or else the one whose run of neighbouring members holds
  // it (the population's room split evenly among the threads).
  int MakerFor(int i) const;
  // Claims the i-th member for the calling thread; false when another thread
  // has it.
  bool Claim(int i);
  void WorkerLoop(int worker);
  // Destroys retired members, one at a time, until there are none left, or
  // (with stopAtRound) a round begins, or (without) most are destroyed;
  // false when there was none to destroy. With ownOnly, only members the
  // thread numbered slot made.
  bool RetireSome(bool stopAtRound, int slot, bool ownOnly, int most = 1);
  // Claims up to most (at least 1) retired members for the thread numbered
  // slot to destroy, into claimed: ones it made, or else (unless ownOnly)
  // any; how many, 0 when there is none.
  int ClaimRetired(Population* members, int slot, bool ownOnly, int most, Individual** claimed);
  // One of them (where the members were not scored in lanes).
  Individual* ClaimOneRetired(Population* members, int slot, bool ownOnly);
  // ClaimRetired for members scored in full on several threads: ones the
  // thread scored, else any, from the population's scored lanes.
  int ClaimFromLanes(Population* members, int slot, bool ownOnly, int most, Individual** claimed);
  // Destroys a claimed retired member, chromosome and object.
  void DestroyRetired(Individual* member);

  Problem* problem;
  FitnessMemory* memory = nullptr;
  const StopRequest* stop = nullptr;
  std::atomic<const Scoring::Watch*> watch{nullptr};
  bool preparedAll = false;
  long long evaluations = 0;
  long long remembered = 0;
  std::vector<std::unique_ptr<Problem>> copies;  // one per worker thread
  std::vector<SpreadThread> workers;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished;
  // Changed under the mutex; read without it by threads that spin.
  std::atomic<long long> round{0};
  std::atomic<int> running{0};  // workers in the round
  bool open = false;             // whether workers may still join the round
  // The round's job, where it is one of Share rather than a population's
  // scoring.
  const std::function<bool()>* job = nullptr;
  std::atomic<bool> stopping{false};

  // The round being evaluated.
  Population* population = nullptr;
  // Where the round breeds its population as well: the parts, the next part
  // to claim, whether one could not be bred, and the generator as breeding
  // begins. Per thread, its copy of the generator and the draws it has made
  // of the round's (the round it last copied start in).
  SharedBreeding* breeding = nullptr;
  std::atomic<int> nextPart{0};
  std::atomic<bool> partsFailed{false};
  const Utility* breedingStart = nullptr;
  long long breedingRound = 0;
  struct Draws;
  std::vector<std::unique_ptr<Draws>> draws;
  std::atomic<bool> complete{true};  // no more members will be added
  std::unique_ptr<std::atomic<unsigned char>[]> claims;  // per member: taken
  std::size_t claimsSize = 0;
  // The lowest index of a member whose scoring failed this round.
  std::atomic<int> firstFailed{0};
  // Per thread: what its scoring did this round, and the lines the members
  // it scored wrote (by index; most write none), with its own string to
  // catch them in.
  struct alignas(64) Counts {
    long long evaluated = 0;
    long long remembered = 0;
    std::vector<std::pair<int, std::string>> texts;
    std::string text;
  };
  std::vector<Counts> counts;

  // The population being destroyed: its next member to destroy, and the
  // workers destroying members now.
  std::unique_ptr<Population> retiring;
  std::atomic<Population*> retiringMembers{nullptr};
  // Per retired member: whether a thread has claimed it; per thread: where
  // it looks next for a member it made, and for any member.
  std::unique_ptr<std::atomic<unsigned char>[]> retireClaims;
  std::size_t retireClaimsSize = 0;
  struct alignas(64) RetireCursor {
    int own = 0;
    int any = 0;
  };
  std::vector<RetireCursor> retireCursors;
  // Whether the members being destroyed are taken from their population's
  // scored lanes (see Population::ScoredLane), and per lane the next to take.
  bool retireByLanes = false;
  struct alignas(64) LaneCursor {
    std::atomic<int> next{0};
  };
  std::unique_ptr<LaneCursor[]> laneCursors;
  std::atomic<long long> retireEpoch{0};  // counts the populations retired
  // Per thread, each on a cache line of its own (a thread looks for a member
  // to destroy before every member it scores, and shared counters changed
  // that often would move between the cores at every look): whether it is
  // destroying members now, and which retired population it has found
  // nothing more in, of its own or at all.
  struct alignas(64) RetireSlot {
    std::atomic<bool> active{false};
    long long epoch = -1;
    bool ownDone = false;
    bool anyDone = false;
  };
  std::unique_ptr<RetireSlot[]> retireSlots;
  std::atomic<long long> roundStarted{0};
};
