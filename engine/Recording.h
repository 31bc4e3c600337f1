// One evaluation of a program, recorded for the window: the picture of the
// problem it ran on (still parts, then the frames of its episode one by one),
// the legend line under the picture and a one-line measure of the program.
// A problem makes it from the individual it evaluates (Problem::Record); it
// owns its data and needs nothing of the problem once made.
#pragma once

#include <string>
#include <vector>

#include "engine/Canvas.h"

// One entry of a legend: a sample mark in colour, then text; an entry without
// a mark is plain text.
struct LegendEntry {
  enum class Mark { None, Box, Line, Dot };
  Mark mark = Mark::None;
  Rgb colour;
  std::string text;
};

// A number as pictures and measures show it: four significant digits, no
// exponent between 0.0001 and 9999 ("12.4", "0.005", "1.235e+05", "nan").
std::string DisplayNumber(double value);

class Recording {
 public:
  virtual ~Recording() = default;

  virtual PictureSpace Space() const = 0;
  // Draws what stays the same throughout: the world and what the whole
  // evaluation left in it.
  virtual void DrawStill(Canvas& canvas) const = 0;
  // Frames of the episode, drawn one after another over the still parts and
  // the frames before; 0 for a picture without animation.
  virtual int FrameCount() const { return 0; }
  // Draws frame k, 0 <= k < FrameCount().
  virtual void DrawFrame(Canvas&, int) const {}
  // The legend line; the picture keeps a strip for it unless it is empty.
  virtual std::vector<LegendEntry> Legend() const { return {}; }
  // The program's result in words, such as "eaten 83 of 89".
  virtual std::string Measure() const = 0;

  // The whole picture at once: the still parts and every frame.
  void DrawAll(Canvas& canvas) const {
    DrawStill(canvas);
    for (int k = 0; k < FrameCount(); ++k) DrawFrame(canvas, k);
  }
};
