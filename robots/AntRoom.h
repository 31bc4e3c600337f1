// Grid rooms of the ant problems: AntRoom holds walls and food on integer
// cells; HPAntRoom reuses its food grid for a chain of coded residues.
#pragma once

#include "foundation/NumericArrays.h"
#include "foundation/Point.h"
#include "robots/IntGrid.h"

class AntRobot;

class AntRoom {
 public:
  // The room has the given interior and a wall border around it, so its
  // grids are (width + 2) by (height + 2).
  AntRoom(int width, int height);
  virtual ~AntRoom() = default;
  AntRoom(const AntRoom&) = delete;
  AntRoom& operator=(const AntRoom&) = delete;

  // Clears all food, then puts food on each listed cell in order.
  virtual void PlaceFood(const IntPointArray& foods);
  // 1 when (x, y) holds food, else 0. Final, and so called directly (the
  // ant senses at every step).
  virtual int IsFood(int x, int y) final {
    CheckCell(x, y, "IsFood");
    return food.Get(x, y) == 1 ? 1 : 0;
  }
  // Whether a step into (x, y) is allowed (1) or not (0); entering a food
  // cell eats the food.
  virtual int CanMove(int x, int y) { return FoodMove(x, y); }
  // Whether CanMove is the food room's own (called directly by the ant at
  // every step, rather than through the table of virtual functions).
  bool MovesAsFoodRoom() const { return foodMoves; }
  // CanMove of the food room.
  int FoodMove(int x, int y) {
    CheckCell(x, y, "CanMove");
    if (walls.Get(x, y) == 2) return 0;
    if (food.Get(x, y) == 1) food.Set(x, y, -1);
    if (recorder != nullptr) recorder->AddIfRoom(x, y);
    return 1;
  }
  // The grids as the ant's own loop reads and writes them, in place of
  // FoodMove and IsFood: walls and food by IntGrid::Data's order, with the
  // grid's size. False (and nothing set) unless steps are the food room's
  // own and nothing records them.
  struct Cells {
    const int* walls = nullptr;
    int* food = nullptr;
    int width = 0;
    int height = 0;
  };
  bool GetCells(Cells& cells) {
    if (!foodMoves || recorder != nullptr) return false;
    cells = Cells{walls.Data(), food.Data(), width, height};
    return true;
  }
  // The report of a cell outside the grid, as FoodMove ("CanMove") or
  // IsFood ("IsFood") makes it.
  [[noreturn]] void ReportOutside(const char* method) const { ReportCell(method); }
  // The recorder is not owned; visited cells are added to it while set.
  virtual void SetRecorder(IntPointArray* recorder);
  virtual IntPointArray* TakeRecorder();
  // Whether a recorder is attached.
  bool IsRecording() const { return recorder != nullptr; }
  virtual void PutFood(int x, int y);
  virtual void PutWall(int x, int y);
  virtual int CountEaten();
  // Takes over the walls of other, a room of the same size, as a copy of a
  // problem's room needs them (food and chains are set by every episode).
  void CopyWalls(const AntRoom& other) { walls = other.walls; }

  int GetWidth() const { return width; }
  int GetHeight() const { return height; }
  // 2 for a wall cell, 0 otherwise.
  int GetWall(int x, int y) const;
  // 1 food, -1 food eaten, 0 nothing (the chain value in HPAntRoom).
  int GetFood(int x, int y) const;

 protected:
  // Reports "Invaiid Tail" at method unless 0 <= x < width and 0 <= y < height.
  void CheckCell(int x, int y, const char* method) const {
    if (x < 0 || x > width - 1 || y < 0 || y > height - 1) ReportCell(method);
  }
  // Reports "Invaiid Tail" at method unless (x, y) lies inside the border.
  void CheckInterior(int x, int y, const char* method) const {
    if (x < 1 || x > width - 2 || y < 1 || y > height - 2) ReportCell(method);
  }
  [[noreturn, gnu::cold, gnu::noinline]] void ReportCell(const char* method) const;

  int width;
  int height;
  IntGrid walls;
  IntGrid food;
  IntPointArray* recorder = nullptr;
  // Cleared by rooms that move otherwise.
  bool foodMoves = true;
};

class HPAntRoom : public AntRoom {
 public:
  HPAntRoom(int width, int height);

  // Entering a cell places the next residue there; occupied cells and walls
  // refuse the step.
  int CanMove(int x, int y) override;
  // Keeps the robot and the residue codes (neither owned) and empties the chain.
  virtual void SetSequence(AntRobot* robot, const IntArray* sequence);
  // Places the next residue on (x, y); placing the last one uses up the
  // robot's energy, which ends the episode.
  virtual void PutMolecule(int x, int y);
  // -1 for an empty cell, otherwise the code of the residue placed there.
  virtual int Molecule(int x, int y);
  // Code of the residue k places after the next one to place; -1 past the end.
  virtual int NextMolecule(int k);
  // Pairs of 0-residues that touch in the grid without being chain neighbours.
  virtual int CountContacts();

  int GetNext() const { return next; }
  int GetChainPairs() const { return chainPairs; }

 private:
  static const IntArray& EmptySequence();

  const IntArray* sequence;
  int next = 0;
  AntRobot* robot = nullptr;
  int chainPairs = 0;
};
