// The frame of a plot inside a picture: a box in the picture's space with
// room for labels around it, and the map from data values to points in the
// box (data y grows upwards, the picture's y downwards). The regression and
// bit-string pictures draw their curves and bars in it.
#pragma once

#include <string>

#include "engine/Canvas.h"

class PlotArea {
 public:
  // The picture's space of every plot.
  static constexpr PictureSpace kSpace{1000.0, 1000.0};

  // Data from xLow to xHigh and yLow to yHigh (each pair apart; equal ends
  // are spread by 1 either way).
  PlotArea(double xLow, double xHigh, double yLow, double yHigh);

  double X(double x) const;
  // Values beyond the data range stop at the box's edge; NaN stays NaN.
  double Y(double y) const;
  double Left() const { return kLeft; }
  double Right() const { return kRight; }
  double Top() const { return kTop; }
  double Bottom() const { return kBottom; }
  double YLow() const { return yLow; }
  double YHigh() const { return yHigh; }

  // The box's outline, the zero line when 0 is within the data, the y range
  // at the left, and the caption above the box.
  void DrawFrame(Canvas& canvas, const std::string& caption) const;
  // A label under the box at data x.
  void LabelX(Canvas& canvas, double x, const std::string& text) const;

 private:
  static constexpr double kLeft = -390.0;
  static constexpr double kRight = 470.0;
  static constexpr double kTop = -420.0;
  static constexpr double kBottom = 420.0;

  double xLow;
  double xHigh;
  double yLow;
  double yHigh;
};
