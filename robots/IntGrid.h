// A fixed-size table of ints indexed [x][y] (column, then row), stored flat.
// Callers check their indices; the rooms do so with their own reports.
#pragma once

#include <vector>

class IntGrid {
 public:
  IntGrid(int columns, int rows)
      : columns(columns), rows(rows), cells(static_cast<std::size_t>(columns) * rows, 0) {}
  int Columns() const { return columns; }
  int Rows() const { return rows; }
  bool Contains(int x, int y) const { return x >= 0 && x < columns && y >= 0 && y < rows; }
  int Get(int x, int y) const { return cells[Index(x, y)]; }
  void Set(int x, int y, int value) { cells[Index(x, y)] = value; }
  void Fill(int value) { cells.assign(cells.size(), value); }
  // The number of cells holding value.
  int Count(int value) const {
    int count = 0;
    for (int cell : cells) count += cell == value ? 1 : 0;
    return count;
  }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(y);
  }

  int columns;
  int rows;
  std::vector<int> cells;
};

// Largest number of cells a room grid may have; bigger sizes in a problem
// file are reported instead of exhausting memory.
constexpr long long kMaxGridCells = 1LL << 24;
