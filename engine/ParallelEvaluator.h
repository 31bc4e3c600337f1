// Evaluates the members of a population on several threads, each thread with
// a copy of the problem, and leaves exactly what the one-thread loop in index
// order leaves: the same fitness values, the same solved flag, the same lines
// on standard error and, when individuals would raise reports, the report of
// the first of them in index order, made for real by the calling thread.
//
// A round can start before the population is complete: the worker threads
// then evaluate members as the caller adds them (while it breeds the rest),
// and Evaluate finishes the round. Each thread takes first the members added
// for it (whose programs it is best placed to copy, see Population::Add),
// then any left. Between evaluations the threads also destroy the members of
// retired populations, each the members it made first.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FitnessMemory;
class Population;
class Problem;

class ParallelEvaluator {
 public:
  // threads counts the calling thread, which evaluates with problem itself;
  // every other thread gets a copy made by problem's Clone (as many threads
  // as copies are given).
  ParallelEvaluator(Problem* problem, int threads);
  ParallelEvaluator(const ParallelEvaluator&) = delete;
  ParallelEvaluator& operator=(const ParallelEvaluator&) = delete;
  // Ends any round, then stops and joins the worker threads and destroys the
  // copies.
  ~ParallelEvaluator();

  // An evaluator for problem on threads threads, or null when the problem
  // gives no copies.
  static std::unique_ptr<ParallelEvaluator> Create(Problem* problem, int threads);

  // Starts a round on a population still being filled: the worker threads
  // evaluate its members as they are added. Only for populations whose
  // members are finished when added.
  void EvaluateAsAdded(Population* population);

  // Gives every member of population its fitness with the problem's fitness
  // function (finishing the round EvaluateAsAdded began for it). Each
  // evaluation runs in the error reporter's capture mode; afterwards the
  // lines the evaluations wrote (warnings, diagnostics) are written in index
  // order, up to the first individual whose evaluation made a fatal report,
  // which is then evaluated again on this thread with the problem itself, so
  // that its report is made exactly as the serial loop makes it. A solved
  // flag set by any copy is set on the problem.
  void Evaluate(Population* population);

  // Ends a round begun by EvaluateAsAdded without its results (the
  // population is not going to be evaluated); waits for the workers to
  // leave it.
  void Abandon();

  // Destroys population and its members: between rounds each worker
  // destroys the members it made, and during a round every thread destroys
  // one before each member it evaluates. A population retired earlier is
  // finished first, on the calling thread where the workers have not got to
  // it.
  void Retire(std::unique_ptr<Population> population);
  // Finishes destroying the retired population, if any.
  void FinishRetiring();

  int GetThreadCount() const { return static_cast<int>(workers.size()) + 1; }
  // Whether the last Evaluate evaluated every member in the round, each then
  // prepared for sharing by the thread that evaluated it.
  bool PreparedAll() const { return preparedAll; }
  // Programs known to memory (not owned; may be null) take their fitness
  // from it instead of being evaluated; programs evaluated are added to it.
  void SetMemory(FitnessMemory* known) { memory = known; }

 private:
  // Starts a round on population: the workers claim members as they become
  // available.
  void Begin(Population* population, bool complete);
  // Marks the population complete and waits for the workers to finish.
  void Close();
  // Evaluates members one at a time, as the thread numbered slot (see
  // ThreadSlot) claims them.
  void RunShare(Problem* evaluating, int slot);
  // The thread that should make and evaluate the i-th member: the one it
  // was added for, or one by turns.
  int MakerFor(int i) const;
  // Claims the i-th member for the calling thread; false when another thread
  // has it.
  bool Claim(int i);
  void WorkerLoop(int worker);
  // Destroys retired members, one at a time, until there are none left or
  // (with stopAtRound) a round begins; false when there was none to destroy.
  // With ownOnly, only members the thread numbered slot made.
  bool RetireSome(bool stopAtRound, int slot, bool ownOnly);
  // Claims a retired member for the thread numbered slot to destroy: one it
  // made, or else (unless ownOnly) any; -1 when there is none.
  int ClaimRetired(Population* members, int slot, bool ownOnly);
  // Destroys the claimed i-th member of members, chromosome and object.
  void DestroyRetired(Population* members, int i);
  bool RetirementWaiting() const;

  Problem* problem;
  FitnessMemory* memory = nullptr;
  bool preparedAll = false;
  std::vector<std::unique_ptr<Problem>> copies;  // one per worker thread
  std::vector<std::thread> workers;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished;
  // Changed under the mutex; read without it by threads that spin.
  std::atomic<long long> round{0};
  std::atomic<int> running{0};
  std::atomic<bool> stopping{false};

  // The round being evaluated.
  Population* population = nullptr;
  std::atomic<bool> complete{true};  // no more members will be added
  std::unique_ptr<std::atomic<unsigned char>[]> claims;  // per member: taken
  std::size_t claimsSize = 0;
  std::atomic<int> firstFailed{0};
  std::vector<char> failed;
  std::vector<std::string> texts;

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
  std::atomic<int> retireLeft{0};
  std::atomic<long long> retireEpoch{0};  // counts the populations retired
  std::atomic<int> retiringActive{0};
  std::atomic<long long> roundStarted{0};
};
