// The picture of an ant episode: the grid with its walls, the food, and step
// by step the ant's path from its start, each food cell turning to the eaten
// colour as the ant enters it; the last frame shows the ant facing the way
// it faced at the end.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class AntRobot;
class AntRoom;
class IntPointArray;

class AntRecording : public Recording {
 public:
  // The room and the robot as the episode left them, the start cell and the
  // recorded cells entered (null for none).
  AntRecording(const AntRoom& room, const AntRobot& robot, int startX, int startY, const IntPointArray* path);

  PictureSpace Space() const override;
  void DrawStill(Canvas& canvas) const override;
  // One step of the ant each, then the ant at its end.
  int FrameCount() const override { return static_cast<int>(path.size()) + 1; }
  void DrawFrame(Canvas& canvas, int k) const override;
  std::vector<LegendEntry> Legend() const override;
  // "eaten 83 of 89".
  std::string Measure() const override;

  int Eaten() const { return eaten; }
  int FoodCount() const { return foodCount; }
  // The centre of cell (x, y) in the picture's space.
  CanvasPoint CellCentre(int x, int y) const;

  static constexpr Rgb kFood = Colour::kGreen;
  static constexpr Rgb kEaten = Colour::kOrange;
  static constexpr Rgb kPath = Colour::kBlue;
  static constexpr Rgb kAnt = Colour::kRed;

 private:
  struct Step {
    int x;
    int y;
    bool eats;  // the first entry into a food cell
  };
  void FillCell(Canvas& canvas, int x, int y, Rgb colour) const;

  int columns;
  int rows;
  std::vector<int> walls;  // cell index x * rows + y of every wall cell
  std::vector<int> food;   // the same for every food cell
  int startX;
  int startY;
  std::vector<Step> path;
  int endX;
  int endY;
  int endDirection;
  int eaten;
  int foodCount;
};
