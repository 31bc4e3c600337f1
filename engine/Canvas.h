// The drawing surface a problem draws its picture on, free of any window
// toolkit. Coordinates are the picture's own: x grows to the right, y
// downwards, and the origin is the centre of the picture's space
// (PictureSpace); the surface maps them to pixels by one rule for every
// problem and keeps every mark inside the picture.
#pragma once

#include <string>
#include <vector>

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

// The colours the pictures share, so that one meaning has one colour.
namespace Colour {
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kOrange{255, 140, 0};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kLightGrey{215, 215, 215};
inline constexpr Rgb kPaleGreen{170, 230, 170};
inline constexpr Rgb kPaleRed{255, 190, 190};
}  // namespace Colour

// The extent of a picture: x from -width / 2 to width / 2, y from
// -height / 2 to height / 2.
struct PictureSpace {
  double width = 1.0;
  double height = 1.0;
};

struct CanvasPoint {
  double x = 0.0;
  double y = 0.0;
};

enum class Stroke { Thin, Thick, Dotted };
// Where a text stands horizontally against its point; vertically it is
// centred on the point.
enum class TextAnchor { Left, Centre, Right };

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The pixels from corner (x1, y1)'s up to, not including, corner (x2, y2)'s
  // (in either order), filled with fill and outlined with outline.
  virtual void Rect(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) = 0;
  // The ellipse inscribed in the same pixels.
  virtual void Ellipse(double x1, double y1, double x2, double y2, Rgb fill, Rgb outline) = 0;
  // A dot of size by size pixels whose top-left corner is the pixel of (x, y),
  // whatever the scale: a mark on a path.
  virtual void Dot(double x, double y, int size, Rgb colour) = 0;
  virtual void Polyline(const std::vector<CanvasPoint>& points, Rgb colour, Stroke stroke) = 0;
  // A filled polygon without outline (crossing edges leave holes).
  virtual void Polygon(const std::vector<CanvasPoint>& points, Rgb fill) = 0;
  // One line of text in the surface's small font.
  virtual void Text(double x, double y, const std::string& text, Rgb colour, TextAnchor anchor) = 0;

  void Line(double x1, double y1, double x2, double y2, Rgb colour, Stroke stroke) {
    Polyline({{x1, y1}, {x2, y2}}, colour, stroke);
  }
};
