#include "robots/HPAntPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/NumericArrays.h"
#include "foundation/Point.h"
#include "robots/AntRoom.h"

namespace {
constexpr double kRadius = 0.3;
// Lattice points of view around the chain on every side.
constexpr double kMargin = 1.5;
}  // namespace

HPAntRecording::HPAntRecording(const HPAntRoom& room, const IntArray& sequence, const IntPointArray* chain,
                               int contacts)
    : length(sequence.Size()), contacts(contacts) {
  for (int k = 0; chain != nullptr && k < chain->Size(); ++k) {
    const IntPoint* placed = chain->Get(k);
    residues.push_back({placed->x, placed->y, placed->z});
  }
  for (std::size_t b = 0; b < residues.size(); ++b) {
    for (std::size_t a = 0; a + 1 < b; ++a) {
      const Residue& first = residues[a];
      const Residue& second = residues[b];
      bool touch = std::abs(first.x - second.x) + std::abs(first.y - second.y) == 1;
      if (touch && first.code == 0 && second.code == 0)
        links.push_back({static_cast<int>(a), static_cast<int>(b)});
    }
  }
  int minX = room.GetWidth() / 2;
  int maxX = minX;
  int minY = room.GetHeight() / 2;
  int maxY = minY;
  for (const Residue& r : residues) {
    minX = std::min(minX, r.x);
    maxX = std::max(maxX, r.x);
    minY = std::min(minY, r.y);
    maxY = std::max(maxY, r.y);
  }
  centreX = 0.5 * (minX + maxX);
  centreY = 0.5 * (minY + maxY);
  side = std::max(5.0, std::max(maxX - minX, maxY - minY) + 2.0 * kMargin);
  for (int x = 0; x < room.GetWidth(); ++x) {
    for (int y = 0; y < room.GetHeight(); ++y) {
      CanvasPoint p = PointOf(x, y);
      if (room.GetWall(x, y) == 2 && std::fabs(p.x) < side * 0.5 + 0.5 && std::fabs(p.y) < side * 0.5 + 0.5) {
        wallCells.push_back(p);
      }
    }
  }
}

void HPAntRecording::DrawStill(Canvas& canvas) const {
  double half = side * 0.5;
  // Lattice lines through the lattice points in view.
  for (int x = static_cast<int>(std::ceil(centreX - half)); x - centreX <= half; ++x) {
    canvas.Line(x - centreX, -half, x - centreX, half, Colour::kLightGrey, Stroke::Thin);
  }
  for (int y = static_cast<int>(std::ceil(centreY - half)); y - centreY <= half; ++y) {
    canvas.Line(-half, y - centreY, half, y - centreY, Colour::kLightGrey, Stroke::Thin);
  }
  for (const CanvasPoint& wall : wallCells) {
    canvas.Rect(wall.x - 0.5, wall.y - 0.5, wall.x + 0.5, wall.y + 0.5, Colour::kBlack, Colour::kBlack);
  }
}

void HPAntRecording::DrawResidue(Canvas& canvas, int k) const {
  const Residue& r = residues[static_cast<std::size_t>(k)];
  CanvasPoint p = PointOf(r.x, r.y);
  Rgb fill = r.code == 0 ? kH : kP;
  // The first residue is ringed in black.
  canvas.Ellipse(p.x - kRadius, p.y - kRadius, p.x + kRadius, p.y + kRadius, fill,
                 k == 0 ? Colour::kBlack : fill);
}

void HPAntRecording::DrawFrame(Canvas& canvas, int k) const {
  if (k > 0) {
    CanvasPoint from =
        PointOf(residues[static_cast<std::size_t>(k - 1)].x, residues[static_cast<std::size_t>(k - 1)].y);
    CanvasPoint to =
        PointOf(residues[static_cast<std::size_t>(k)].x, residues[static_cast<std::size_t>(k)].y);
    canvas.Line(from.x, from.y, to.x, to.y, kBond, Stroke::Thick);
    DrawResidue(canvas, k - 1);
  }
  for (const auto& link : links) {
    if (link.second != k) continue;
    CanvasPoint a = PointOf(residues[static_cast<std::size_t>(link.first)].x,
                            residues[static_cast<std::size_t>(link.first)].y);
    CanvasPoint b = PointOf(residues[static_cast<std::size_t>(k)].x, residues[static_cast<std::size_t>(k)].y);
    canvas.Line(a.x, a.y, b.x, b.y, kContact, Stroke::Dotted);
    DrawResidue(canvas, link.first);
  }
  DrawResidue(canvas, k);
}

std::vector<LegendEntry> HPAntRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  std::string fitness = "fitness " + std::to_string(-contacts);
  if (static_cast<int>(residues.size()) < length) {
    fitness += ", " + std::to_string(residues.size()) + " of " + std::to_string(length) + " laid";
  }
  return {{Mark::Dot, kH, "H"},
          {Mark::Dot, kP, "P"},
          {Mark::Line, kContact, "H-H contact"},
          {Mark::None, {}, fitness}};
}

std::string HPAntRecording::Measure() const {
  std::string text = std::to_string(contacts) + (contacts == 1 ? " contact" : " contacts");
  if (static_cast<int>(residues.size()) < length) {
    text += ", " + std::to_string(residues.size()) + " of " + std::to_string(length) + " residues laid";
  }
  return text;
}
