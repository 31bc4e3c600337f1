#include "robots/AntPicture.h"

#include <set>

#include "foundation/Point.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"

AntRecording::AntRecording(const AntRoom& room, const AntRobot& robot, int startX, int startY,
                           const IntPointArray* cells)
    : columns(room.GetWidth()),
      rows(room.GetHeight()),
      startX(startX),
      startY(startY),
      endX(robot.GetX()),
      endY(robot.GetY()),
      endDirection(robot.GetDirection()),
      eaten(0),
      foodCount(0) {
  for (int x = 0; x < columns; ++x) {
    for (int y = 0; y < rows; ++y) {
      if (room.GetWall(x, y) == 2) walls.push_back(x * rows + y);
      // After the episode a food cell holds food or is eaten.
      if (room.GetFood(x, y) != 0) food.push_back(x * rows + y);
      if (room.GetFood(x, y) == -1) ++eaten;
    }
  }
  foodCount = static_cast<int>(food.size());
  std::set<int> uneaten(food.begin(), food.end());
  for (int k = 0; cells != nullptr && k < cells->Size(); ++k) {
    const IntPoint* cell = cells->Get(k);
    bool eats = uneaten.erase(cell->x * rows + cell->y) > 0;
    path.push_back({cell->x, cell->y, eats});
  }
}

PictureSpace AntRecording::Space() const { return {static_cast<double>(columns), static_cast<double>(rows)}; }

CanvasPoint AntRecording::CellCentre(int x, int y) const {
  return {x + 0.5 - columns * 0.5, y + 0.5 - rows * 0.5};
}

void AntRecording::FillCell(Canvas& canvas, int x, int y, Rgb colour) const {
  double left = x - columns * 0.5;
  double top = y - rows * 0.5;
  // Walls stay solid; other cells keep the grid's lines.
  canvas.Rect(left, top, left + 1.0, top + 1.0, colour,
              colour == Colour::kBlack ? colour : Colour::kLightGrey);
}

void AntRecording::DrawStill(Canvas& canvas) const {
  if (columns <= 100 && rows <= 100) {
    for (int x = 0; x <= columns; ++x) {
      canvas.Line(x - columns * 0.5, -rows * 0.5, x - columns * 0.5, rows * 0.5, Colour::kLightGrey,
                  Stroke::Thin);
    }
    for (int y = 0; y <= rows; ++y) {
      canvas.Line(-columns * 0.5, y - rows * 0.5, columns * 0.5, y - rows * 0.5, Colour::kLightGrey,
                  Stroke::Thin);
    }
  }
  for (int cell : walls) FillCell(canvas, cell / rows, cell % rows, Colour::kBlack);
  for (int cell : food) FillCell(canvas, cell / rows, cell % rows, kFood);
  CanvasPoint start = CellCentre(startX, startY);
  canvas.Ellipse(start.x - 0.25, start.y - 0.25, start.x + 0.25, start.y + 0.25, kPath, kPath);
}

void AntRecording::DrawFrame(Canvas& canvas, int k) const {
  if (k < static_cast<int>(path.size())) {
    const Step& step = path[static_cast<std::size_t>(k)];
    if (step.eats) FillCell(canvas, step.x, step.y, kEaten);
    CanvasPoint from =
        k == 0 ? CellCentre(startX, startY)
               : CellCentre(path[static_cast<std::size_t>(k - 1)].x, path[static_cast<std::size_t>(k - 1)].y);
    CanvasPoint to = CellCentre(step.x, step.y);
    canvas.Line(from.x, from.y, to.x, to.y, kPath, Stroke::Thick);
    return;
  }
  // The ant at its end, a triangle pointing where it faces.
  static const int offsets[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  int d = endDirection >= 0 && endDirection < 4 ? endDirection : 0;
  double dx = offsets[d][0];
  double dy = offsets[d][1];
  CanvasPoint c = CellCentre(endX, endY);
  canvas.Polygon({{c.x + 0.5 * dx, c.y + 0.5 * dy},
                  {c.x - 0.4 * dx - 0.4 * dy, c.y - 0.4 * dy + 0.4 * dx},
                  {c.x - 0.4 * dx + 0.4 * dy, c.y - 0.4 * dy - 0.4 * dx}},
                 kAnt);
}

std::vector<LegendEntry> AntRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  return {{Mark::Box, kFood, "food"},
          {Mark::Box, kEaten, "eaten"},
          {Mark::Line, kPath, "path"},
          {Mark::Dot, kAnt, "ant"},
          {Mark::None, {}, Measure()}};
}

std::string AntRecording::Measure() const {
  return "eaten " + std::to_string(eaten) + " of " + std::to_string(foodCount);
}
