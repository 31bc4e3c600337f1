// Genotypes: a GP chromosome owns one program; a GA chromosome holds a bit
// string. Copies are always deep.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/PooledObject.h"
#include "programs/ProgramRecipe.h"

class IntArray;
class LispCode;

class Chromosome : public PooledObject {
 public:
  Chromosome() = default;
  Chromosome(const Chromosome&) = delete;
  Chromosome& operator=(const Chromosome&) = delete;
  virtual ~Chromosome() = default;

  // Destroys what the chromosome owns (not the chromosome object itself).
  virtual void DeleteContents() = 0;
  virtual Chromosome* Clone() = 0;
  // The program's bracket form.
  virtual std::string ToString() = 0;
  // The program's listing form, used when the best program is saved.
  virtual std::string ToSaveString() = 0;
  // Makes the contents of an offspring added as a plan (see GPChromosome);
  // nothing for contents already made.
  virtual void Make() {}
  // Asks the memory system for what Make reads (the parents' genes or
  // programs, most of them written by another core), a little before Make;
  // nothing for contents already made.
  virtual void AskForSources() const {}
  // Asks for the memory this chromosome holds (by default its object's
  // first line) to be written (see AskToWrite), some time before it is
  // destroyed: the pools hand it to what this thread makes next, and where
  // another core read it as a parent, the copies there are taken back
  // before those writes wait for them.
  virtual void AskToRelease() const;
  // Computes whatever the chromosome computes lazily, so that several
  // threads may read it at once afterwards.
  virtual void PrepareForSharing() {}
  // The thread (see ThreadSlot) that made the chromosome's contents.
  virtual int GetMaker() const { return 0; }
  // What breeding in parts reads of a made chromosome (see
  // Population::ScoredFacts): a flat program's root node, a string's genes;
  // null where there is none (not made yet, or not in that form).
  virtual const void* BreedingForm() const { return nullptr; }
  // The genome's size (a program's nodes, a string's genes) and depth (a
  // program's, a lone node having depth 1; 0 for a string); 0 and 0 when
  // there is nothing to measure.
  virtual int GetSize() { return 0; }
  virtual int GetDepth() { return 0; }
};

class GPChromosome : public Chromosome {
 public:
  // Takes ownership of code.
  explicit GPChromosome(LispCode* code);
  // An offspring still to be made: the recipe is carried out by Make (on the
  // thread that is to read the program first).
  explicit GPChromosome(ProgramRecipe recipe);
  ~GPChromosome() override;

  // The program, no copy; null while the chromosome is still a recipe.
  LispCode* GetCode() { return code; }
  // Builds the program from the recipe, if it is still one; the calling
  // thread becomes the maker.
  void Make() override;
  void AskForSources() const override;
  bool IsMade() const { return recipe.IsEmpty(); }
  // Computes the program's caches; a tree is made flat (see MakeFlat).
  void PrepareForSharing() override;
  // Puts the program into flat form, or into tree form (for the composers),
  // where it is not already (see MakeFlat and MakeTree).
  void Flatten();
  void Unflatten();
  int GetMaker() const override { return maker; }
  // The root node (a FlatNode) of a made flat program.
  const void* BreedingForm() const override;
  // The program's node count and depth (0 for no program).
  int GetSize() override;
  int GetDepth() override;

  // Destroys the tree, then the code object.
  void DeleteContents() override;
  Chromosome* Clone() override;
  std::string ToString() override;
  std::string ToSaveString() override;

 private:
  LispCode* code;
  ProgramRecipe recipe;
  int maker;
};

// A bit string (each gene 0 or 1), made and varied by the GA schemes and
// decoded by the bit-string problem.
class GAChromosome : public Chromosome {
 public:
  // A string of at most this many genes, each 0 or 1, is also kept packed
  // (see Form).
  static constexpr int kMostPacked = 192;
  // What breeding in parts reads of a made string (its BreedingForm, noted
  // as it is scored): the gene array, its length and capacity, and where
  // the string qualifies (see kMostPacked) its genes one bit each, gene i
  // the bit i % 64 of word i / 64. A child is then made from its parents'
  // bits, a cache line or two of each, rather than from their arrays (most
  // of them written by another core). Set by PrepareForSharing; dropped
  // whenever the genes may change.
  struct Form {
    const IntArray* genes = nullptr;
    int length = 0;
    int capacity = 0;
    bool packed = false;
    std::uint64_t bits[kMostPacked / 64] = {};
  };

  // An offspring still to be made (by Make, on the thread that is to read
  // it first): the genes of first before cut and of second from cut on (all
  // of first's when second is null or cut is first's length or more), then
  // the genes at flips turned over (1 to 0, anything else to 1), with
  // first's capacity. first and second must stay unchanged until Make.
  // Where firstForm (and secondForm, with second) are the packed forms of
  // first (and second), the genes are read from their bits instead, and
  // the length and capacity from firstForm.
  struct Recipe {
    const IntArray* first = nullptr;
    const IntArray* second = nullptr;
    int cut = 0;
    std::vector<int> flips;
    const Form* firstForm = nullptr;
    const Form* secondForm = nullptr;
  };

  // Takes ownership of genes.
  explicit GAChromosome(IntArray* genes);
  explicit GAChromosome(Recipe recipe);
  ~GAChromosome() override;

  // The genes, made first if the chromosome is still a recipe; null after
  // DeleteContents. The caller may change them: the form is dropped.
  IntArray* GetGenes() {
    Make();
    form = Form();
    return genes.get();
  }
  // The genes, made first if need be, for reading only.
  const IntArray* ReadGenes() {
    Make();
    return genes.get();
  }
  // Carries out the recipe, if the chromosome is still one.
  void Make() override;
  void AskForSources() const override;
  // Its form as well: what the other threads read of it.
  void AskToRelease() const override;
  // Makes the chromosome and sets its form.
  void PrepareForSharing() override;
  bool IsMade() const { return recipe.first == nullptr; }
  // The genes of a made chromosome (null for a recipe, or after
  // DeleteContents), without making it: for threads that only read it.
  const IntArray* MadeGenes() const { return IsMade() ? genes.get() : nullptr; }
  // The Form, once PrepareForSharing has set it (and nothing has dropped
  // it since); else null.
  const void* BreedingForm() const override { return form.genes != nullptr ? &form : nullptr; }

  // Destroys the gene array.
  void DeleteContents() override;
  // A copy of the genes with the same capacity (an empty string once the
  // contents are destroyed).
  Chromosome* Clone() override;
  // The genes as digits, for example "0110" (empty once destroyed).
  std::string ToString() override;
  // The same digits.
  std::string ToSaveString() override;
  // The string's length (depth 0).
  int GetSize() override;

 private:
  // Make where the recipe's parents are packed (first, and second unless
  // it is a copy).
  void MakeFromBits(const Form& first, const Form* second);

  std::unique_ptr<IntArray> genes;
  Recipe recipe;
  Form form;
};
