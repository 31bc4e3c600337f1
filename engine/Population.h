// The individuals of one generation, sorted lazily best first: every change
// marks the population unsorted and the next Get sorts it again.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "engine/IndividualComparator.h"

class IndividualVisitor;
class WorkSharing;

class Population {
 public:
  // sorter is not owned.
  Population(int capacity, IndividualSorter* sorter);
  Population(const Population&) = delete;
  Population& operator=(const Population&) = delete;
  // Destroys the array, not the individuals in it (DeleteAll does that).
  virtual ~Population();

  // Appends; a full population ends the process with the array's report.
  // preferredThread: the thread (see ThreadSlot) best placed to evaluate the
  // new member, or -1 for any. Published (see GetPublishedCount) every
  // kPublishEvery members and when the population is full; Publish
  // publishes the rest.
  void Add(Individual* individual, int preferredThread = -1);
  void Publish();
  // The threads that read members as they are added spin on the count and
  // read the arrays' lines just written: published one at a time, every
  // member would take those lines back from their caches, while this thread
  // waits for each (on processors far apart, longer than making a small
  // member).
  static constexpr int kPublishEvery = 16;
  // For threads that make the members of a generation side by side, each
  // at its own index: OpenPlaces empties the places Size() .. Size()+n-1
  // (reported when beyond the capacity); Place puts individual at one of
  // them, i, and the thread that fills it may read it back at once with
  // GetPublished; ClosePlaces(true), with every place filled, counts them
  // as members, and ClosePlaces(false) destroys whatever was placed.
  void OpenPlaces(int n);
  // Asks for what placing and noting the members from .. to-1 writes (see
  // AskToWrite), before a thread places them: the arrays' lines, which the
  // other threads wrote or read when their memory last held a generation.
  void AskToPlace(int from, int to) const;
  void Place(int i, Individual* individual, int preferredThread) {
    entries[i] = individual;
    preferences[static_cast<std::size_t>(i)] = preferredThread;
  }
  void ClosePlaces(bool keep);
  // The i-th member in comparator order, sorting first if needed: Get(0) is
  // the best.
  Individual* Get(int i);
  // The i-th member in the current order, never sorting.
  Individual* GetUnsorted(int i) { return individuals->Get(i); }
  int Size() const { return individuals->Size(); }
  int Capacity() const { return capacity; }
  // For a thread that reads the members while another adds them: the number
  // of members published so far (each one complete before it counts), and
  // the i-th of them, i below that number.
  int GetPublishedCount() const { return published.count.load(std::memory_order_acquire); }
  Individual* GetPublished(int i) const { return entries[i]; }
  // The preferred thread the i-th member was added with (until the
  // population is sorted).
  int GetPublishedPreference(int i) const { return preferences[static_cast<std::size_t>(i)]; }
  // Sorts in comparator order; where sharing (not owned) is given, on its
  // threads as well as this one.
  void Sort(WorkSharing* sharing = nullptr);
  // Whether the members are in comparator order now; RestoreSorted sets it
  // as a checkpoint kept it (the members added back in their saved order),
  // so that the next Get sorts only if the saved population would have.
  bool IsSorted() const { return sorted; }
  void RestoreSorted(bool value) { sorted = value; }
  // Each member, in index order, accepts the visitor.
  void AcceptAll(IndividualVisitor* visitor);
  // Destroys every member with its chromosome; the population is then empty.
  void DeleteAll();

  // The members each thread scored (by thread slot, see ThreadSlot), when
  // the population was scored on several threads: a thread destroys best
  // the members it wrote last, and finds them here without reading every
  // member. StartScoredLanes empties threads lanes (a new round); a thread
  // adds only to its own lane. Complete when every member is in a lane.
  void StartScoredLanes(int threads);
  std::vector<Individual*>& ScoredLane(int slot) { return lanes[static_cast<std::size_t>(slot)].members; }
  int ScoredLaneCount() const { return static_cast<int>(lanes.size()); }
  bool ScoredLanesComplete() const;

  // What the thread that scored a member noted of it, while the member was
  // still in its caches: sorting and measuring a generation then read one
  // small array rather than every member, its chromosome and its program.
  struct ScoredFacts {
    double fitness;    // FitnessOf the member
    int size;          // its chromosome's GetSize
    int depth;         // and GetDepth
    const void* form;  // and BreedingForm
  };
  // From any thread, each for its own members: notes member, scored, at
  // index i (again where it changed form since, see PrepareForSharing).
  void NoteScored(int i, Individual* member);
  // Says every member is noted as it stands (a whole round scored, each
  // member noted after its scoring); any change to the population after
  // that forgets the facts.
  void TrustScoredFacts() { factsTrusted = true; }
  // The facts of the members in their current order, or null where they
  // are not all known (see TrustScoredFacts).
  const ScoredFacts* GetScoredFacts() const { return factsTrusted ? facts.get() : nullptr; }

 private:
  // Every change to the members (or their order, where the facts do not
  // follow it) comes through here.
  void Changed() {
    // Written only when it changes (they share the lines the threads read).
    if (sorted) sorted = false;
    if (factsTrusted) factsTrusted = false;
  }

  std::unique_ptr<IndividualArray> individuals;
  // The array's members, read by the scoring threads while this thread adds
  // to it, and written by the threads that place members (see Place); the
  // pointer never changes.
  Individual** entries;
  // The array's, kept here: the array's own lies beside its member count,
  // which this thread writes at every member it adds while the scoring
  // threads read the capacity for each member they take.
  int capacity;
  // The places opened, from the member count at the time.
  int placesFrom = 0;
  int placesTo = 0;
  std::unique_ptr<int[]> preferences;
  // On a cache line of its own: this thread writes it at every member it
  // adds, and the scoring threads would otherwise lose the fields they read
  // along with it.
  struct alignas(64) Published {
    std::atomic<int> count{0};
  } published;
  // Each on cache lines of its own: threads add to theirs at once.
  struct alignas(64) Lane {
    std::vector<Individual*> members;
  };
  std::vector<Lane> lanes;
  bool sorted = false;
  IndividualSorter* sorter;
  // By index; left unwritten until noted.
  std::unique_ptr<ScoredFacts[]> facts;
  bool factsTrusted = false;
};
