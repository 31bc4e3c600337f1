#include "engine/Chromosome.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "engine/GeneArrays.h"
#include "engine/PackedGenes.h"
#include "engine/ThreadSlot.h"
#include "foundation/AskForMemory.h"
#include "foundation/NumericArrays.h"
#include "programs/FlatLispCode.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCode.h"

GPChromosome::GPChromosome(LispCode* code) : code(code), maker(ThreadSlot::Get()) {}

GPChromosome::GPChromosome(ProgramRecipe recipe) : code(nullptr), recipe(recipe), maker(ThreadSlot::Get()) {}

GPChromosome::~GPChromosome() { DeleteContents(); }

void GPChromosome::Make() {
  if (recipe.IsEmpty()) return;
  code = recipe.Build();
  maker = ThreadSlot::Get();
}

void GPChromosome::AskForSources() const { recipe.AskForSources(); }

void GPChromosome::PrepareForSharing() {
  Flatten();
  if (code != nullptr) code->PrepareForSharing();
}

void GPChromosome::Flatten() {
  if (recipe.IsEmpty()) code = MakeFlat(code);
}

void GPChromosome::Unflatten() {
  if (recipe.IsEmpty()) code = MakeTree(code);
}

namespace {
Head* RootOf(LispCode* code) {
  auto* tree = dynamic_cast<HeadLispCode*>(code);
  return tree != nullptr ? tree->GetRoot() : nullptr;
}
}  // namespace

const void* GPChromosome::BreedingForm() const {
  if (!recipe.IsEmpty() || code == nullptr || typeid(*code) != typeid(FlatLispCode)) return nullptr;
  return static_cast<const FlatLispCode*>(code)->GetRoot();
}

int GPChromosome::GetSize() {
  if (code == nullptr) return 0;
  // The common case first, told apart without a cast.
  if (typeid(*code) == typeid(FlatLispCode)) return static_cast<FlatLispCode*>(code)->GetSize();
  Head* root = RootOf(code);
  return root != nullptr ? root->GetSize() : 0;
}

int GPChromosome::GetDepth() {
  if (code == nullptr) return 0;
  if (typeid(*code) == typeid(FlatLispCode)) return static_cast<FlatLispCode*>(code)->GetDepth();
  Head* root = RootOf(code);
  return root != nullptr ? root->GetDepth() : 0;
}

void GPChromosome::DeleteContents() {
  recipe.Discard();
  if (code == nullptr) return;
  code->DeleteTree();
  delete code;
  code = nullptr;
}

Chromosome* GPChromosome::Clone() { return new GPChromosome(GetCode()->Clone()); }

std::string GPChromosome::ToString() { return GetCode()->ToString(); }

std::string GPChromosome::ToSaveString() { return GetCode()->ToSaveString(); }

GAChromosome::GAChromosome(IntArray* genes) : genes(genes) {}

GAChromosome::GAChromosome(Recipe recipe) : recipe(std::move(recipe)) {}

void Chromosome::AskToRelease() const { AskToWrite(this); }

void GAChromosome::AskToRelease() const {
  AskToWrite(this);
  AskToWrite(&form.bits[kMostPacked / 64 - 1]);
}

GAChromosome::~GAChromosome() { GeneArrays::Give(genes.release()); }

void GAChromosome::Make() {
  if (recipe.first == nullptr) return;
  const Form* firstForm = recipe.firstForm;
  const Form* secondForm = recipe.secondForm;
  if (firstForm != nullptr && (recipe.second == nullptr || secondForm != nullptr)) {
    MakeFromBits(*firstForm, secondForm);
    return;
  }
  int length = recipe.first->Size();
  IntArray* made = GeneArrays::Take(recipe.first->Capacity());
  int cut = recipe.second == nullptr ? length : std::min(std::max(recipe.cut, 0), length);
  int* data = made->Data();
  std::copy_n(recipe.first->Data(), cut, data);
  if (cut < length) std::copy_n(recipe.second->Data() + cut, length - cut, data + cut);
  made->SetSize(length);
  for (int i : recipe.flips) data[i] = data[i] == 1 ? 0 : 1;
  genes.reset(made);
  form = Form();
  recipe = Recipe();
}

void GAChromosome::MakeFromBits(const Form& first, const Form* second) {
  // The child's bits first (its form: a string of 0s and 1s stays one),
  // then its genes from them.
  int length = first.length;
  int cut = second == nullptr ? length : std::min(std::max(recipe.cut, 0), length);
  Form made;
  made.length = length;
  made.capacity = first.capacity;
  made.packed = true;
  for (int w = 0; w * 64 < length; ++w) {
    int from = w * 64;
    if (second == nullptr || cut >= from + 64) {
      made.bits[w] = first.bits[w];
    } else if (cut <= from) {
      made.bits[w] = second->bits[w];
    } else {
      std::uint64_t below = (std::uint64_t{1} << (cut - from)) - 1U;
      made.bits[w] = (first.bits[w] & below) | (second->bits[w] & ~below);
    }
  }
  // Each gene is 0 or 1: turned over, it is the other.
  for (int i : recipe.flips) made.bits[i >> 6] ^= std::uint64_t{1} << (i & 63);
  IntArray* array = GeneArrays::Take(first.capacity);
  PackedGenes::Unpack(made.bits, length, array->Data());
  array->SetSize(length);
  made.genes = array;
  genes.reset(array);
  form = made;
  recipe = Recipe();
}

void GAChromosome::AskForSources() const {
  // Bits are read with their forms, when the recipe is written.
  if (recipe.first == nullptr || recipe.firstForm != nullptr) return;
  int length = recipe.first->Size();
  int cut = recipe.second == nullptr ? length : std::min(std::max(recipe.cut, 0), length);
  AskForMemory(recipe.first->Data(), static_cast<std::ptrdiff_t>(cut) * sizeof(int));
  if (cut < length) {
    AskForMemory(recipe.second->Data() + cut, static_cast<std::ptrdiff_t>(length - cut) * sizeof(int));
  }
}

void GAChromosome::PrepareForSharing() {
  Make();
  // Made from bits, and unchanged since.
  if (form.genes != nullptr && form.genes == genes.get()) return;
  form = Form();
  if (!genes) return;
  form.genes = genes.get();
  form.length = genes->Size();
  form.capacity = genes->Capacity();
  form.packed = form.length <= kMostPacked && PackedGenes::Pack(genes->Data(), form.length, form.bits);
}

void GAChromosome::DeleteContents() {
  form = Form();
  GeneArrays::Give(genes.release());
  recipe = Recipe();
}

Chromosome* GAChromosome::Clone() {
  // A recipe is carried out first: whatever reads the genes sees them made.
  Make();
  if (!genes) return new GAChromosome(new IntArray(0));
  IntArray* copy = GeneArrays::Take(genes->Capacity());
  for (int i = 0; i < genes->Size(); ++i) copy->Add(genes->Get(i));
  return new GAChromosome(copy);
}

std::string GAChromosome::ToString() {
  Make();
  std::string text;
  if (!genes) return text;
  text.reserve(static_cast<std::size_t>(genes->Size()));
  for (int i = 0; i < genes->Size(); ++i) text += std::to_string(genes->Get(i));
  return text;
}

std::string GAChromosome::ToSaveString() { return ToString(); }

int GAChromosome::GetSize() {
  Make();
  return genes ? genes->Size() : 0;
}
