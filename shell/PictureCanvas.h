// Draws a problem's picture on the results page's PictureBox. One rule maps
// the picture's space to pixels for every problem: the space's centre is the
// drawing area's centre, pixel x = trunc((x / width + 0.5) * area width) and
// pixel y likewise, y growing downwards. The drawing area is the whole
// image, less a strip at its foot for the legend line when there is one; no
// mark leaves the drawing area.
#pragma once

#include <vector>

#include "engine/Canvas.h"
#include "engine/Recording.h"

class PictureBox;

class PictureCanvas : public Canvas {
 public:
  // Height in pixels of the legend strip.
  static constexpr int kLegendHeight = 18;

  // For a picture of space on picture (not owned), with a legend strip when
  // withLegend.
  PictureCanvas(PictureBox* picture, PictureSpace space, bool withLegend);

  int PixelX(double x) const;
  int PixelY(double y) const;
  // Paints the whole image white.
  void Clear();
  // The legend line in its strip: each entry's mark, then its text.
  void DrawLegend(const std::vector<LegendEntry>& legend);

  void Rect(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) override;
  void Ellipse(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) override;
  void Dot(double x, double y, int size, Rgb colour) override;
  void Polyline(const std::vector<CanvasPoint>& points, Rgb colour, Stroke stroke) override;
  void Polygon(const std::vector<CanvasPoint>& points, Rgb fill) override;
  void Text(double x, double y, const std::string& text, Rgb colour, TextAnchor anchor) override;

 private:
  int AreaHeight() const;
  void SetStroke(Stroke stroke);

  PictureBox* picture;
  PictureSpace space;
  bool withLegend;
};

// Clears the picture and draws recording's still parts and legend; the
// frames are left to the caller.
void DrawStillPicture(PictureCanvas& canvas, const Recording& recording);
