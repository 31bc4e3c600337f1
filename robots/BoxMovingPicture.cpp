#include "robots/BoxMovingPicture.h"

#include <algorithm>
#include <cmath>

#include "foundation/NumericArrays.h"
#include "foundation/Point.h"
#include "robots/RobotRoom.h"

BoxMovingRecording::BoxMovingRecording(const BoxMovingRoom& room, const DoublePointArray* robotPath,
                                       const DoublePointArray* states, double score)
    : space{room.GetWidth(), room.GetHeight()}, halfSize(room.GetHalfSize()), score(score) {
  const Double2DimensionalArray& wallList = room.GetWallList();
  for (int w = 0; w < wallList.Size(); ++w) {
    const DoubleArray* wall = wallList.Get(w);
    walls.push_back({wall->Get(0), wall->Get(1), wall->Get(2), wall->Get(3)});
  }
  for (int k = 0; robotPath != nullptr && k < robotPath->Size(); ++k) {
    path.push_back({robotPath->Get(k)->x, robotPath->Get(k)->y});
  }
  for (int k = 0; states != nullptr && k < states->Size(); ++k) {
    const DoublePoint* state = states->Get(k);
    boxStates.push_back({state->x, state->y, state->z});
  }
}

void BoxMovingRecording::DrawStill(Canvas& canvas) const {
  for (const std::vector<double>& wall : walls) {
    canvas.Rect(wall[0], wall[1], wall[2], wall[3], Colour::kBlack, Colour::kBlack);
  }
}

int BoxMovingRecording::FrameCount() const {
  return static_cast<int>(std::min(path.size(), boxStates.size()));
}

void BoxMovingRecording::DrawFrame(Canvas& canvas, int k) const {
  const CanvasPoint& robot = path[static_cast<std::size_t>(k)];
  canvas.Dot(robot.x, robot.y, 2, Colour::kRed);
  const BoxState& box = boxStates[static_cast<std::size_t>(k)];
  canvas.Polyline(BoxOutline(box.x, box.y, box.angle), Colour::kGreen, Stroke::Thin);
}

std::vector<CanvasPoint> BoxMovingRecording::BoxOutline(double x, double y, double angle) const {
  double cx[4];
  double cy[4];
  cx[0] = 1.414 * halfSize * std::cos(angle + 0.785398);
  cy[0] = 1.414 * halfSize * std::sin(angle + 0.785398);
  for (int i = 1; i < 4; ++i) {
    cx[i] = cx[i - 1] * std::cos(1.5708) - cy[i - 1] * std::sin(1.5708);
    cy[i] = cy[i - 1] * std::cos(1.5708) + cx[i - 1] * std::sin(1.5708);
  }
  std::vector<CanvasPoint> outline;
  for (int i = 0; i <= 4; ++i) outline.push_back({cx[i % 4] + x, cy[i % 4] + y});
  return outline;
}

std::string BoxMovingRecording::Measure() const {
  return "box " + DisplayNumber(score) + " from the outer walls";
}
