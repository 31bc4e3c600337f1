// The picture of a wall-following episode: the room's grid with its walls in
// black, the cells the robot entered coloured by what they count (near a
// wall +1, free -1), the near-wall cells it missed in grey, and step by step
// the robot's path from its start.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class DoublePointArray;
class WallfollowingRoom;

class WallfollowingRecording : public Recording {
 public:
  // The room as the episode left it; the start position; the recorded robot
  // positions (null for none).
  WallfollowingRecording(const WallfollowingRoom& room, double startX, double startY,
                         const DoublePointArray* path);

  PictureSpace Space() const override { return space; }
  void DrawStill(Canvas& canvas) const override;
  // One step of the robot each.
  int FrameCount() const override { return static_cast<int>(path.size()); }
  void DrawFrame(Canvas& canvas, int k) const override;
  std::vector<LegendEntry> Legend() const override;
  // "score 23: 31 near-wall cells, 8 free cells".
  std::string Measure() const override;

  int NearWallCells() const { return nearWall; }
  int FreeCells() const { return free; }

  static constexpr Rgb kNearWall = Colour::kPaleGreen;
  static constexpr Rgb kFree = Colour::kPaleRed;
  static constexpr Rgb kMissed = Colour::kLightGrey;
  static constexpr Rgb kPath = Colour::kRed;

 private:
  struct Cell {
    int i;
    int j;
    Rgb colour;
  };

  PictureSpace space;
  double width;
  double height;
  double cellSize;
  std::vector<Cell> cells;  // every cell that is not plain free floor
  CanvasPoint start;
  std::vector<CanvasPoint> path;
  int nearWall = 0;
  int free = 0;
};
