#include "robots/AntRoom.h"

#include "foundation/Exception.h"
#include "robots/AntRobot.h"

namespace {
// Width of the grid for the given interior, after checking that both sides
// make a grid that can exist (a negative or enormous size in a problem file).
int BorderedSide(int side, int otherSide) {
  long long full = static_cast<long long>(side) + 2;
  long long otherFull = static_cast<long long>(otherSide) + 2;
  if (full < 0 || otherFull < 0 || full * otherFull > kMaxGridCells) {
    GetException()->FatalError("Invalid room size", "AntRoom", "AntRoom");
  }
  return static_cast<int>(full);
}
}  // namespace

AntRoom::AntRoom(int width, int height)
    : width(BorderedSide(width, height)),
      height(BorderedSide(height, width)),
      walls(this->width, this->height),
      food(this->width, this->height) {
  for (int x = 0; x < this->width; ++x) {
    for (int y = 0; y < this->height; ++y) {
      bool border = x == 0 || x == this->width - 1 || y == 0 || y == this->height - 1;
      walls.Set(x, y, border ? 2 : 0);
    }
  }
}

void AntRoom::ReportCell(const char* method) const {
  GetException()->FatalError("Invaiid Tail", ClassNameOf(*this), method);
}

void AntRoom::PlaceFood(const IntPointArray& foods) {
  food.Fill(0);
  for (int k = 0; k < foods.Size(); ++k) {
    const IntPoint* point = foods.Get(k);
    PutFood(point->x, point->y);
  }
}

void AntRoom::SetRecorder(IntPointArray* r) { recorder = r; }

IntPointArray* AntRoom::TakeRecorder() {
  IntPointArray* taken = recorder;
  recorder = nullptr;
  return taken;
}

void AntRoom::PutFood(int x, int y) {
  CheckInterior(x, y, "PutFood");
  food.Set(x, y, 1);
}

void AntRoom::PutWall(int x, int y) {
  CheckInterior(x, y, "PutWall");
  walls.Set(x, y, 2);
}

int AntRoom::CountEaten() { return food.Count(-1); }

int AntRoom::GetWall(int x, int y) const {
  CheckCell(x, y, "GetWall");
  return walls.Get(x, y);
}

int AntRoom::GetFood(int x, int y) const {
  CheckCell(x, y, "GetFood");
  return food.Get(x, y);
}

HPAntRoom::HPAntRoom(int width, int height) : AntRoom(width, height), sequence(&EmptySequence()) {
  foodMoves = false;
}

const IntArray& HPAntRoom::EmptySequence() {
  static const IntArray empty(0);
  return empty;
}

void HPAntRoom::SetSequence(AntRobot* r, const IntArray* s) {
  robot = r;
  sequence = s != nullptr ? s : &EmptySequence();
  food.Fill(-1);
  chainPairs = 0;
  for (int i = 0; i < sequence->Size() - 1; ++i) {
    if (sequence->Get(i) == 0 && sequence->Get(i + 1) == 0) ++chainPairs;
  }
  next = 0;
}

int HPAntRoom::CanMove(int x, int y) {
  CheckCell(x, y, "CanMove");
  if (walls.Get(x, y) == 2 || food.Get(x, y) != -1) return 0;
  PutMolecule(x, y);
  if (recorder != nullptr) recorder->AddIfRoom(x, y, food.Get(x, y));
  return 1;
}

void HPAntRoom::PutMolecule(int x, int y) {
  CheckCell(x, y, "PutMolecule");
  // Past the end of the chain (or before any SetSequence) this is an index
  // report of the sequence, never a read beyond it.
  food.Set(x, y, sequence->Get(next));
  ++next;
  if (next == sequence->Size() && robot != nullptr) robot->ConsumeEnergy(robot->GetEnergy());
}

int HPAntRoom::Molecule(int x, int y) {
  CheckCell(x, y, "Molecule");
  return food.Get(x, y);
}

int HPAntRoom::NextMolecule(int k) {
  long long index = static_cast<long long>(next) + k;
  if (index >= 0 && index < sequence->Size()) return sequence->Get(static_cast<int>(index));
  return -1;
}

int HPAntRoom::CountContacts() {
  int contacts = 0;
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      if (food.Get(x, y) != 0) continue;
      if (x + 1 < width && food.Get(x + 1, y) == 0) ++contacts;
      if (y + 1 < height && food.Get(x, y + 1) == 0) ++contacts;
    }
  }
  return contacts - chainPairs;
}
