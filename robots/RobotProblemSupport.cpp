#include "robots/RobotProblemSupport.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "foundation/Exception.h"

std::string NumberText(double value) {
  char buffer[64];
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    int n = std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
  return std::string(buffer, result.ptr);
}

namespace {
[[noreturn]] void Refuse(const std::string& message, const std::string& problemClass) {
  GetException()->FatalError(message, problemClass, problemClass);
}

void CheckPositive(const std::string& what, double value, const std::string& problemClass) {
  // Written so that NaN fails as well.
  if (!(value > 0.0)) Refuse(what + " must be greater than 0, not " + NumberText(value), problemClass);
}

void CheckSteps(const std::string& what, double extent, double step, const std::string& problemClass) {
  if (extent / step > kMaxRoomSteps) {
    Refuse(what + " " + NumberText(extent) + " is more than " + NumberText(kMaxRoomSteps) +
               " steps of length " + NumberText(step),
           problemClass);
  }
}

[[noreturn]] void RefuseGrid(const std::string& size, const std::string& problemClass) {
  Refuse("Room of " + size + " makes a grid of more than " + NumberText(kMaxRoomCells) + " cells",
         problemClass);
}
}  // namespace

void CheckContinuousRoom(const std::string& problemClass, double width, double height, double cellSize,
                         double step) {
  CheckPositive("Room width", width, problemClass);
  CheckPositive("Room height", height, problemClass);
  CheckPositive("Cell size", cellSize, problemClass);
  CheckPositive("Step length", step, problemClass);
  // The grid the room will allocate, counted in doubles so that no size
  // overflows: trunc(extent / cell size) + 2 cells along each side.
  double columns = std::floor(width / cellSize) + 2.0;
  double rows = std::floor(height / cellSize) + 2.0;
  if (columns * rows > kMaxRoomCells) {
    RefuseGrid(NumberText(width) + " by " + NumberText(height) + " with cell size " + NumberText(cellSize),
               problemClass);
  }
  CheckSteps("Room width", width, step, problemClass);
  CheckSteps("Room height", height, step, problemClass);
}

void CheckGridRoom(const std::string& problemClass, int width, int height) {
  long long columns = static_cast<long long>(width) + 2;
  long long rows = static_cast<long long>(height) + 2;
  if (columns > 0 && rows > 0 && static_cast<double>(columns * rows) > kMaxRoomCells) {
    RefuseGrid(std::to_string(width) + " by " + std::to_string(height), problemClass);
  }
}

void CheckEnergy(const std::string& problemClass, double energy) {
  if (!(energy <= kMaxRobotEnergy)) {
    Refuse("Energy must be a number no greater than " + NumberText(kMaxRobotEnergy) + ", not " +
               NumberText(energy),
           problemClass);
  }
}

void ContinuousStart::Read(ProblemFileReader& reader) {
  width = reader.ReadDouble("room width");
  height = reader.ReadDouble("room height");
  cellSize = reader.ReadDouble("cell size");
  step = reader.ReadDouble("step length");
  x = reader.ReadDouble("robot x");
  y = reader.ReadDouble("robot y");
  heading = reader.ReadDouble("heading");
  energy = reader.ReadDouble("energy");
}

void ContinuousStart::Check(const std::string& problemClass) const {
  CheckContinuousRoom(problemClass, width, height, cellSize, step);
  CheckEnergy(problemClass, energy);
}

void AddWall(ProblemFileReader& reader, RobotRoom* room, int column, int row) {
  if (column < 1 || column > room->GetNx() - 2 || row < 1 || row > room->GetNy() - 2) {
    reader.Warn("Wall cell (" + std::to_string(column) + ", " + std::to_string(row) +
                ") is outside the room's inner cells: the column must be 1 to " + std::to_string(room->GetNx() - 2) +
                " and the row 1 to " + std::to_string(room->GetNy() - 2));
  } else if (room->GetWallList().Size() == RobotRoom::kMaxWalls) {
    reader.Warn("The problem file lists more than " + std::to_string(RobotRoom::kMaxWalls) + " wall cells");
  }
  room->PutWallAtTail(column, row);
}

void ReadWallList(ProblemFileReader& reader, RobotRoom* room) {
  int column = 0;
  int row = 0;
  while (reader.TryReadIntPair(column, row)) AddWall(reader, room, column, row);
  reader.EndList("wall list");
}

namespace {
template <class Points>
std::string ListText(const Points* points, bool threeValues) {
  std::string text = "{";
  if (points != nullptr) {
    for (int k = 0; k < points->Size(); ++k) {
      if (k > 0) text += ",";
      const auto* point = points->Get(k);
      text += threeValues ? point->ToString3() : point->ToString();
    }
  }
  text += "}";
  return text;
}
}  // namespace

std::string PointListText(const DoublePointArray* points, bool threeValues) {
  return ListText(points, threeValues);
}

std::string PointListText(const IntPointArray* points, bool threeValues) {
  return ListText(points, threeValues);
}
