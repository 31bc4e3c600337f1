#include "engine/Chromosome.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "engine/GeneArrays.h"
#include "engine/ThreadSlot.h"
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

GAChromosome::~GAChromosome() { GeneArrays::Give(genes.release()); }

void GAChromosome::Make() {
  if (recipe.first == nullptr) return;
  const IntArray& first = *recipe.first;
  int length = first.Size();
  IntArray* made = GeneArrays::Take(first.Capacity());
  int cut = recipe.second == nullptr ? length : std::min(std::max(recipe.cut, 0), length);
  std::copy_n(first.Data(), cut, made->Data());
  if (cut < length) std::copy_n(recipe.second->Data() + cut, length - cut, made->Data() + cut);
  made->SetSize(length);
  int* data = made->Data();
  for (int i : recipe.flips) data[i] = data[i] == 1 ? 0 : 1;
  genes.reset(made);
  recipe = Recipe();
}

void GAChromosome::DeleteContents() {
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
