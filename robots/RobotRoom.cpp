#include "robots/RobotRoom.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "foundation/Exception.h"
#include "foundation/Numeric.h"

namespace {
// Cells along one side: trunc(extent / cellSize) + 2, after checking that the
// sizes make a grid that can exist (a problem file may give a zero or
// negative cell size, a negative extent, or sizes too large to allocate).
int CellCount(double extent, double otherExtent, double cellSize) {
  bool valid = cellSize > 0.0 && extent >= 0.0 && otherExtent >= 0.0;
  long long count = 0;
  long long otherCount = 0;
  if (valid) {
    count = static_cast<long long>(TruncToInt(extent / cellSize)) + 2;
    otherCount = static_cast<long long>(TruncToInt(otherExtent / cellSize)) + 2;
    valid = count >= 2 && otherCount >= 2 && count * otherCount <= kMaxGridCells;
  }
  if (!valid) GetException()->FatalError("Invalid room size", "RobotRoom", "RobotRoom");
  return static_cast<int>(count);
}

// Floor of v as the room's cell rule gives it (trunc, one less below zero)
// plus one, then clamped into 0 .. n - 1. Computed in a wider type so that
// truncations at the ends of the int range cannot overflow.
int ClampedCell(double v, int n) {
  long long cell = TruncToInt(v);
  if (v < 0.0) cell -= 1;
  cell += 1;
  if (cell < 0) return 0;
  if (cell > n - 1) return n - 1;
  return static_cast<int>(cell);
}
}  // namespace

RobotRoom::RobotRoom(double width, double height, double cellSize)
    : width(width),
      height(height),
      wallList(kMaxWalls),
      cellSize(cellSize),
      nx(CellCount(width, height, cellSize)),
      ny(CellCount(height, width, cellSize)),
      grid(nx, ny) {
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      int value = 0;
      if (i == 1 || i == nx - 2 || j == 1 || j == ny - 2) value = 1;
      if (i == 0 || i == nx - 1 || j == 0 || j == ny - 1) value = 2;
      grid.Set(i, j, value);
    }
  }
}

RobotRoom::~RobotRoom() { wallList.DeleteAll(); }

void RobotRoom::CellOf(double x, double y, int& i, int& j) {
  i = ClampedCell((width * 0.5 + x) / cellSize, nx);
  j = ClampedCell((height * 0.5 + y) / cellSize, ny);
}

int RobotRoom::GridValueAt(double x, double y) {
  int i = 0;
  int j = 0;
  CellOf(x, y, i, j);
  return grid.Get(i, j);
}

int RobotRoom::Sense(double x, double y) {
  int value = GridValueAt(x, y);
  if (value == 1) return 1;
  if (value == 2) return -1;
  return 0;
}

int RobotRoom::IsBlocked(double x, double y) { return GridValueAt(x, y) == 2 ? 1 : 0; }

void RobotRoom::SetRecorder(DoublePointArray* r) { recorder = r; }

DoublePointArray* RobotRoom::TakeRecorder() {
  DoublePointArray* taken = recorder;
  recorder = nullptr;
  return taken;
}

void RobotRoom::PutWallAtTail(int i, int j) {
  if (i < 1 || i > nx - 2 || j < 1 || j > ny - 2) {
    GetException()->FatalError("Invaiid Tali", ClassNameOf(*this), "PutWallAtTail");
  }
  grid.Set(i, j, 2);
  const int neighbours[4][2] = {{i - 1, j}, {i + 1, j}, {i, j - 1}, {i, j + 1}};
  for (const auto& n : neighbours) {
    if (grid.Get(n[0], n[1]) == 0) grid.Set(n[0], n[1], 1);
  }
  auto row = std::make_unique<DoubleArray>(4);
  double left = (i - 1) * cellSize - width * 0.5;
  double low = (j - 1) * cellSize - height * 0.5;
  row->Add(left);
  row->Add(low);
  row->Add(left + cellSize);
  row->Add(low + cellSize);
  wallList.Add(row.get());
  row.release();
}

void RobotRoom::CopyWalls(const RobotRoom& other) {
  grid = other.grid;
  wallList.DeleteAll();
  for (int w = 0; w < other.wallList.Size(); ++w) {
    const DoubleArray* from = other.wallList.Get(w);
    auto row = std::make_unique<DoubleArray>(from->Capacity());
    for (int k = 0; k < from->Size(); ++k) row->Add(from->Get(k));
    wallList.Add(row.get());
    row.release();
  }
}

void RobotRoom::PutWall(double x, double y) {
  int i = 0;
  int j = 0;
  CellOf(x, y, i, j);
  PutWallAtTail(i, j);
}

int RobotRoom::GetGridValue(int i, int j) const { return grid.Contains(i, j) ? grid.Get(i, j) : 2; }

// --- WallfollowingRoom ---

WallfollowingRoom::WallfollowingRoom(double width, double height, double cellSize)
    : RobotRoom(width, height, cellSize), visited(nx, ny) {}

void WallfollowingRoom::Reset() { visited.Fill(0); }

int WallfollowingRoom::Move(double, double, double x1, double y1) {
  int i = 0;
  int j = 0;
  CellOf(x1, y1, i, j);
  int value = grid.Get(i, j);
  if (value == 2) return 0;
  if (value == 1) visited.Set(i, j, 1);
  if (value == 0) visited.Set(i, j, -1);
  if (recorder != nullptr) recorder->AddIfRoom(x1, y1);
  return 1;
}

int WallfollowingRoom::Score() {
  int score = 0;
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      int v = visited.Get(i, j);
      if (v == 1) ++score;
      if (v == -1) --score;
    }
  }
  return score;
}

int WallfollowingRoom::GetVisited(int i, int j) const {
  return visited.Contains(i, j) ? visited.Get(i, j) : 0;
}

// --- BoxMovingRoom ---

BoxMovingRoom::BoxMovingRoom(double width, double height, double cellSize)
    : RobotRoom(width, height, cellSize) {
  SetBox(0.0, 0.0);
}

void BoxMovingRoom::Reset() { SetBox(0.0, 0.0); }

void BoxMovingRoom::SetBox(double x, double y) {
  halfSize = 5.0;
  boxX = x;
  boxY = y;
  angle = 0.0;
  ComputeCorners();
}

void BoxMovingRoom::ComputeCorners() {
  // The drawing of the box uses the same constants; they are kept as they are
  // so that the picture and the simulation agree to the last digit.
  double a = angle + 0.785398;
  double r = 1.414 * halfSize;
  cornerX[0] = r * std::cos(a);
  cornerY[0] = r * std::sin(a);
  for (int k = 1; k < 4; ++k) {
    double px = cornerX[k - 1];
    double py = cornerY[k - 1];
    cornerX[k] = std::cos(1.5708) * px - std::sin(1.5708) * py;
    cornerY[k] = std::cos(1.5708) * py + std::sin(1.5708) * px;
  }
  for (int k = 0; k < 4; ++k) {
    cornerX[k] += boxX;
    cornerY[k] += boxY;
  }
}

double BoxMovingRoom::GetCornerX(int k) const {
  if (k < 0 || k > 3) GetException()->ArrayIndexError(k, 4, ClassNameOf(*this), "GetCornerX");
  return cornerX[k];
}

double BoxMovingRoom::GetCornerY(int k) const {
  if (k < 0 || k > 3) GetException()->ArrayIndexError(k, 4, ClassNameOf(*this), "GetCornerY");
  return cornerY[k];
}

int BoxMovingRoom::IsBlocked(double x, double y) {
  if (RobotRoom::IsBlocked(x, y) == 1) return 1;
  for (int k = 0; k < 4; ++k) {
    int n = (k + 1) % 4;
    double cx = cornerX[k];
    double cy = cornerY[k];
    double s1 = (x - cx) * (cy - cornerY[n]) - (y - cy) * (cx - cornerX[n]);
    double s2 = (boxX - cx) * (cy - cornerY[n]) - (boxY - cy) * (cx - cornerX[n]);
    if (s1 * s2 < 0.0) return 0;
  }
  return 1;
}

int BoxMovingRoom::Move(double x0, double y0, double x1, double y1) {
  int i = 0;
  int j = 0;
  CellOf(x1, y1, i, j);
  if (grid.Get(i, j) == 2) return 0;
  if (recorder != nullptr) recorder->AddIfRoom(x1, y1);
  if (boxRecorder != nullptr) boxRecorder->AddIfRoom(boxX, boxY, angle);
  if (IsBlocked(x1, y1) == 1) {
    Push(x0, y0, x1 - x0, y1 - y0);
    return 0;
  }
  return 1;
}

void BoxMovingRoom::Push(double px, double py, double dx, double dy) {
  for (int k = 0; k < 4; ++k) {
    if (Sense(cornerX[k], cornerY[k]) == -1) return;
  }
  double newX = boxX + translationGain * dx;
  double newY = boxY + translationGain * dy;
  if (Sense(newX, newY) == -1) return;
  boxX = newX;
  boxY = newY;
  angle += rotationGain * ((px - boxX) * dy - (py - boxY) * dx);
  ComputeCorners();
}

void BoxMovingRoom::SetBoxRecorder(DoublePointArray* r) { boxRecorder = r; }

DoublePointArray* BoxMovingRoom::TakeBoxRecorder() {
  DoublePointArray* taken = boxRecorder;
  boxRecorder = nullptr;
  return taken;
}

double BoxMovingRoom::Score() {
  return std::min(width * 0.5 - std::fabs(boxX), height * 0.5 - std::fabs(boxY));
}
