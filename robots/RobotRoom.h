// Continuous rooms: real positions in a walled rectangle centred on the
// origin, with walls laid on a coarse grid of square cells. RobotRoom is the
// shared part; WallfollowingRoom scores cells visited near walls and
// BoxMovingRoom holds a square box that the robot pushes.
#pragma once

#include "foundation/NumericArrays.h"
#include "foundation/Point.h"
#include "robots/IntGrid.h"

class RobotRoom {
 public:
  // The room covers x from -width/2 to width/2 and y from -height/2 to
  // height/2; its grid has trunc(width / cellSize) + 2 by
  // trunc(height / cellSize) + 2 cells: an outer wall ring, a near-wall ring
  // inside it, free cells within.
  RobotRoom(double width, double height, double cellSize);
  virtual ~RobotRoom();
  RobotRoom(const RobotRoom&) = delete;
  RobotRoom& operator=(const RobotRoom&) = delete;

  // Per-episode reset.
  virtual void Reset() {}
  // The cell holding (x, y); every point falls into some cell, points
  // outside the room into the outer wall ring.
  virtual void CellOf(double x, double y, int& i, int& j);
  // 1 near a wall, -1 in a wall, 0 in a free cell.
  virtual int Sense(double x, double y);
  // Whether the robot may step from (x0, y0) to (x1, y1): 1 yes, 0 no.
  virtual int Move(double x0, double y0, double x1, double y1) = 0;
  // 1 when (x, y) is blocked (a wall cell), else 0.
  virtual int IsBlocked(double x, double y);
  // The recorder is not owned; robot positions are added while it is set.
  virtual void SetRecorder(DoublePointArray* recorder);
  virtual DoublePointArray* TakeRecorder();
  // Whether a recorder is attached.
  virtual bool IsRecording() const { return recorder != nullptr; }
  // Makes cell (i, j) a wall (1 <= i <= nx - 2, 1 <= j <= ny - 2) and adds it
  // to the wall list; at most 20 walls.
  virtual void PutWallAtTail(int i, int j);
  virtual void PutWall(double x, double y);
  // Takes over the walls (grid and wall list) of other, a room of the same
  // size, as a copy of a problem's room needs them.
  void CopyWalls(const RobotRoom& other);

  double GetWidth() const { return width; }
  double GetHeight() const { return height; }
  double GetCellSize() const { return cellSize; }
  int GetNx() const { return nx; }
  int GetNy() const { return ny; }
  // One row per wall cell: left x, low y, right x, high y.
  const Double2DimensionalArray& GetWallList() const { return wallList; }
  // 2 wall, 1 near a wall, 0 free; cells outside the grid read as walls.
  int GetGridValue(int i, int j) const;

  static constexpr int kMaxWalls = 20;

 protected:
  int GridValueAt(double x, double y);

  double width;
  double height;
  Double2DimensionalArray wallList;
  double cellSize;
  int nx;
  int ny;
  IntGrid grid;
  DoublePointArray* recorder = nullptr;
};

class WallfollowingRoom : public RobotRoom {
 public:
  WallfollowingRoom(double width, double height, double cellSize);

  // Forgets every visited cell.
  void Reset() override;
  // Refuses wall cells; marks the entered cell as visited near a wall (1) or
  // free (-1).
  int Move(double x0, double y0, double x1, double y1) override;
  // Distinct near-wall cells entered minus distinct free cells entered.
  virtual int Score();

  // 1 near-wall cell entered, -1 free cell entered, 0 not entered; cells
  // outside the grid read as 0.
  int GetVisited(int i, int j) const;

 private:
  IntGrid visited;
};

class BoxMovingRoom : public RobotRoom {
 public:
  BoxMovingRoom(double width, double height, double cellSize);

  // Places the box at the origin.
  void Reset() override;
  // Refuses wall cells; a step into the box pushes it and leaves the robot
  // where it was.
  int Move(double x0, double y0, double x1, double y1) override;
  // 1 for a wall cell or a point inside the box or on its edge.
  int IsBlocked(double x, double y) override;
  // Places the box unrotated with its centre at (x, y).
  virtual void SetBox(double x, double y);
  // The box recorder is not owned; box states (x, y, angle) are added to it
  // at every step the robot tries outside the walls.
  virtual void SetBoxRecorder(DoublePointArray* recorder);
  virtual DoublePointArray* TakeBoxRecorder();
  bool IsRecording() const override { return RobotRoom::IsRecording() || boxRecorder != nullptr; }
  // Distance from the box centre to the nearer pair of outer walls.
  virtual double Score();

  double GetHalfSize() const { return halfSize; }
  double GetTranslationGain() const { return translationGain; }
  double GetRotationGain() const { return rotationGain; }
  double GetBoxX() const { return boxX; }
  double GetBoxY() const { return boxY; }
  double GetAngle() const { return angle; }
  // Corner k (0 .. 3) of the box; corners k and (k + 1) mod 4 bound edge k.
  double GetCornerX(int k) const;
  double GetCornerY(int k) const;

 private:
  void ComputeCorners();
  // Pushes the box by a robot at (px, py) stepping by (dx, dy).
  void Push(double px, double py, double dx, double dy);

  double halfSize = 5.0;
  double translationGain = 1.0;
  double rotationGain = 1.0;
  double boxX = 0.0;
  double boxY = 0.0;
  double angle = 0.0;
  double cornerX[4] = {};
  double cornerY[4] = {};
  DoublePointArray* boxRecorder = nullptr;
};
