// Point records of two or three coordinates with their brace text forms, and
// the arrays of points that record robot paths.
#pragma once

#include <string>

#include "foundation/Array.h"

// Two or three coordinates (z is 0 for two).
template <class Coordinate>
struct PointOf {
  Coordinate x = 0, y = 0, z = 0;
  PointOf(Coordinate x, Coordinate y) : x(x), y(y) {}
  PointOf(Coordinate x, Coordinate y, Coordinate z) : x(x), y(y), z(z) {}
};

struct DoublePoint : PointOf<double> {
  using PointOf<double>::PointOf;
  std::string ToString() const;   // "{%f,%f}"
  std::string ToString3() const;  // "{%f,%f,%f}"
};

struct IntPoint : PointOf<int> {
  using PointOf<int>::PointOf;
  std::string ToString() const;   // "{%d,%d}"
  std::string ToString3() const;  // "{%d,%d,%d}"
};

// Points owned by an array, of either coordinate type.
template <class Point, class Coordinate>
class OwnedPointArray : public PointerArray<Point> {
 public:
  explicit OwnedPointArray(int capacity) : PointerArray<Point>(capacity) {}
  ~OwnedPointArray() override { DeleteAll(); }
  using PointerArray<Point>::Add;
  void Add(Coordinate x, Coordinate y) { Add(new Point(x, y)); }
  void Add(Coordinate x, Coordinate y, Coordinate z) { Add(new Point(x, y, z)); }
  // Adds only while there is room: a recorder that fills up stops recording.
  void AddIfRoom(Coordinate x, Coordinate y) {
    if (this->size < this->capacity) Add(x, y);
  }
  void AddIfRoom(Coordinate x, Coordinate y, Coordinate z) {
    if (this->size < this->capacity) Add(x, y, z);
  }
  void DeleteAll() { this->DeletePointees(); }
};

class DoublePointArray : public OwnedPointArray<DoublePoint, double> {
 public:
  using OwnedPointArray<DoublePoint, double>::OwnedPointArray;
};

class IntPointArray : public OwnedPointArray<IntPoint, int> {
 public:
  using OwnedPointArray<IntPoint, int>::OwnedPointArray;
};
