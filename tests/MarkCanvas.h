// A canvas for tests that keeps every mark it is given, to count marks by
// kind and colour and to find where they went.
#pragma once

#include <string>
#include <vector>

#include "engine/Canvas.h"
#include "engine/Recording.h"

class MarkCanvas : public Canvas {
 public:
  enum class Kind { Rect, Ellipse, Dot, Polyline, Polygon, Text };
  struct Mark {
    Kind kind;
    Rgb colour;  // the fill, or the line's or text's colour
    std::vector<CanvasPoint> points;
    std::string text;
    Stroke stroke = Stroke::Thin;
  };

  void Rect(double x1, double y1, double x2, double y2, Rgb fill, Rgb) override {
    marks.push_back({Kind::Rect, fill, {{x1, y1}, {x2, y2}}, "", Stroke::Thin});
  }
  void Ellipse(double x1, double y1, double x2, double y2, Rgb fill, Rgb) override {
    marks.push_back({Kind::Ellipse, fill, {{x1, y1}, {x2, y2}}, "", Stroke::Thin});
  }
  void Dot(double x, double y, int, Rgb colour) override {
    marks.push_back({Kind::Dot, colour, {{x, y}}, "", Stroke::Thin});
  }
  void Polyline(const std::vector<CanvasPoint>& points, Rgb colour, Stroke stroke) override {
    marks.push_back({Kind::Polyline, colour, points, "", stroke});
  }
  void Polygon(const std::vector<CanvasPoint>& points, Rgb fill) override {
    marks.push_back({Kind::Polygon, fill, points, "", Stroke::Thin});
  }
  void Text(double x, double y, const std::string& text, Rgb colour, TextAnchor) override {
    marks.push_back({Kind::Text, colour, {{x, y}}, text, Stroke::Thin});
  }

  int Count(Kind kind, Rgb colour) const {
    int count = 0;
    for (const Mark& mark : marks) count += mark.kind == kind && mark.colour == colour ? 1 : 0;
    return count;
  }
  int Count(Kind kind, Rgb colour, Stroke stroke) const {
    int count = 0;
    for (const Mark& mark : marks)
      count += mark.kind == kind && mark.colour == colour && mark.stroke == stroke;
    return count;
  }
  // Whether every point of every mark lies within space.
  bool Inside(PictureSpace space) const {
    for (const Mark& mark : marks) {
      for (const CanvasPoint& p : mark.points) {
        if (!(p.x >= -space.width * 0.5 && p.x <= space.width * 0.5 && p.y >= -space.height * 0.5 &&
              p.y <= space.height * 0.5)) {
          return false;
        }
      }
    }
    return true;
  }

  std::vector<Mark> marks;
};

// The canvas after the recording's whole picture.
inline MarkCanvas DrawnAll(const Recording& recording) {
  MarkCanvas canvas;
  recording.DrawAll(canvas);
  return canvas;
}
