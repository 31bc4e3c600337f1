// Point records of two or three coordinates with their brace text forms, and
// the arrays of points that record robot paths.
#pragma once

#include <string>

#include "foundation/Array.h"

struct DoublePoint {
  double x = 0.0, y = 0.0, z = 0.0;
  DoublePoint(double x, double y) : x(x), y(y) {}
  DoublePoint(double x, double y, double z) : x(x), y(y), z(z) {}
  std::string ToString() const;         // "{%f,%f}"
  std::string ToString3() const;        // "{%f,%f,%f}"
};

struct IntPoint {
  int x = 0, y = 0, z = 0;
  IntPoint(int x, int y) : x(x), y(y) {}
  IntPoint(int x, int y, int z) : x(x), y(y), z(z) {}
  std::string ToString() const;   // "{%d,%d}"
  std::string ToString3() const;  // "{%d,%d,%d}"
};

class DoublePointArray : public PointerArray<DoublePoint> {
 public:
  explicit DoublePointArray(int capacity) : PointerArray<DoublePoint>(capacity) {}
  ~DoublePointArray() override { DeleteAll(); }
  using PointerArray<DoublePoint>::Add;
  void Add(double x, double y) { Add(new DoublePoint(x, y)); }
  void Add(double x, double y, double z) { Add(new DoublePoint(x, y, z)); }
  // Adds only while there is room: a recorder that fills up stops recording.
  void AddIfRoom(double x, double y) {
    if (size < capacity) Add(x, y);
  }
  void AddIfRoom(double x, double y, double z) {
    if (size < capacity) Add(x, y, z);
  }
  void DeleteAll() { DeletePointees(); }
};

class IntPointArray : public PointerArray<IntPoint> {
 public:
  explicit IntPointArray(int capacity) : PointerArray<IntPoint>(capacity) {}
  ~IntPointArray() override { DeleteAll(); }
  using PointerArray<IntPoint>::Add;
  void Add(int x, int y) { Add(new IntPoint(x, y)); }
  void Add(int x, int y, int z) { Add(new IntPoint(x, y, z)); }
  void AddIfRoom(int x, int y) {
    if (size < capacity) Add(x, y);
  }
  void AddIfRoom(int x, int y, int z) {
    if (size < capacity) Add(x, y, z);
  }
  void DeleteAll() { DeletePointees(); }
};
