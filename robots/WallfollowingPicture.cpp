#include "robots/WallfollowingPicture.h"

#include <algorithm>
#include <cmath>

#include "foundation/Point.h"
#include "robots/RobotRoom.h"

WallfollowingRecording::WallfollowingRecording(const WallfollowingRoom& room, double startX, double startY,
                                               const DoublePointArray* robotPath)
    : width(room.GetWidth()), height(room.GetHeight()), cellSize(room.GetCellSize()), start{startX, startY} {
  // Cell i spans (i - 1) cell sizes from the room's left side: the outer
  // wall ring lies just outside the room, and the picture shows it too.
  double halfWidth = std::max(width * 0.5 + cellSize, (room.GetNx() - 1) * cellSize - width * 0.5);
  double halfHeight = std::max(height * 0.5 + cellSize, (room.GetNy() - 1) * cellSize - height * 0.5);
  space = {2.0 * halfWidth, 2.0 * halfHeight};
  for (int i = 0; i < room.GetNx(); ++i) {
    for (int j = 0; j < room.GetNy(); ++j) {
      int grid = room.GetGridValue(i, j);
      int visited = room.GetVisited(i, j);
      nearWall += visited == 1 ? 1 : 0;
      free += visited == -1 ? 1 : 0;
      if (grid == 2) {
        cells.push_back({i, j, Colour::kBlack});
      } else if (visited == 1) {
        cells.push_back({i, j, kNearWall});
      } else if (visited == -1) {
        cells.push_back({i, j, kFree});
      } else if (grid == 1) {
        cells.push_back({i, j, kMissed});
      }
    }
  }
  for (int k = 0; robotPath != nullptr && k < robotPath->Size(); ++k) {
    path.push_back({robotPath->Get(k)->x, robotPath->Get(k)->y});
  }
}

void WallfollowingRecording::DrawStill(Canvas& canvas) const {
  for (const Cell& cell : cells) {
    double left = (cell.i - 1) * cellSize - width * 0.5;
    double top = (cell.j - 1) * cellSize - height * 0.5;
    canvas.Rect(left, top, left + cellSize, top + cellSize, cell.colour, cell.colour);
  }
  double r = cellSize * 0.3;
  canvas.Ellipse(start.x - r, start.y - r, start.x + r, start.y + r, Colour::kBlue, Colour::kBlue);
}

void WallfollowingRecording::DrawFrame(Canvas& canvas, int k) const {
  const CanvasPoint& from = k == 0 ? start : path[static_cast<std::size_t>(k - 1)];
  const CanvasPoint& to = path[static_cast<std::size_t>(k)];
  canvas.Line(from.x, from.y, to.x, to.y, kPath, Stroke::Thick);
}

std::vector<LegendEntry> WallfollowingRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  // The start is the blue dot the path leaves from; the legend's width goes
  // to the cells, the missed ones included.
  return {{Mark::Line, kPath, "path"},
          {Mark::Box, kNearWall, "near wall +1"},
          {Mark::Box, kFree, "free -1"},
          {Mark::Box, kMissed, "missed"},
          {Mark::None, {}, "score " + std::to_string(nearWall - free)}};
}

std::string WallfollowingRecording::Measure() const {
  return "score " + std::to_string(nearWall - free) + ": " + std::to_string(nearWall) + " near-wall cells, " +
         std::to_string(free) + " free cells";
}
