// The picture of a box-moving episode: the room's walls in black, then step
// by step the robot's trail in red dots and the box's outline in green,
// nothing erased between steps. The picture fills the whole image, the
// room's centre at the image's centre, without a legend.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class BoxMovingRoom;
class DoublePointArray;

class BoxMovingRecording : public Recording {
 public:
  // The walls and box size of room; the recorded robot positions and box
  // states (x, y, angle), either of which may be null; the episode's score.
  BoxMovingRecording(const BoxMovingRoom& room, const DoublePointArray* path,
                     const DoublePointArray* boxStates, double score);

  PictureSpace Space() const override { return space; }
  void DrawStill(Canvas& canvas) const override;
  // One step of the robot and the box: as many as both recordings hold.
  int FrameCount() const override;
  void DrawFrame(Canvas& canvas, int k) const override;
  // "box 12.5 from the outer walls": the episode's score.
  std::string Measure() const override;

  // The outline of a box with centre (x, y) turned by angle, closed: five
  // corners, with the constants the room's own box uses.
  std::vector<CanvasPoint> BoxOutline(double x, double y, double angle) const;

 private:
  struct BoxState {
    double x;
    double y;
    double angle;
  };

  PictureSpace space;
  double halfSize;
  std::vector<std::vector<double>> walls;  // left x, low y, right x, high y
  std::vector<CanvasPoint> path;
  std::vector<BoxState> boxStates;
  double score;
};
