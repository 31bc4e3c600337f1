// A fixed-size table of ints indexed [x][y] (column, then row), stored flat.
// Callers check their indices; the rooms do so with their own reports.
#pragma once

#include <cstring>
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
  // The cells, column after column: (x, y) is at x * Rows() + y.
  int* Data() { return cells.data(); }
  const int* Data() const { return cells.data(); }
  // The number of cells holding value (four cells an operation: an ant's
  // fitness counts the whole grid at the end of every episode).
  int Count(int value) const {
    using Four = int __attribute__((vector_size(16)));
    Four counts = {0, 0, 0, 0};
    Four wanted = {value, value, value, value};
    std::size_t n = cells.size();
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
      Four four;
      std::memcpy(&four, cells.data() + k, sizeof four);
      counts -= four == wanted;  // a match is -1
    }
    int count = counts[0] + counts[1] + counts[2] + counts[3];
    for (; k < n; ++k) count += cells[k] == value ? 1 : 0;
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
