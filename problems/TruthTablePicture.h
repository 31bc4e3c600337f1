// The picture of a Boolean problem's evaluation: its truth table as a grid
// of cases, coloured by whether the program answered the case right, under
// a caption that says what the right answer is. Case c stands in column
// c mod columns and row c / columns, so the low input bits choose the column
// and the high ones the row; small tables label both and show the program's
// answer in each case.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class TruthTableRecording : public Recording {
 public:
  // Most cases a picture shows: the first ones of a larger table.
  static constexpr int kShownCases = 4096;

  // The problem's rule in a line ("even parity: ..."); cases in all, errors
  // wrong answers among them; the program's answers and the right answers of
  // cases 0, 1, ... (at most kShownCases, as many of one as of the other).
  TruthTableRecording(std::string rule, long long cases, int errors, std::vector<int> answers,
                      std::vector<int> targets);

  PictureSpace Space() const override;
  void DrawStill(Canvas& canvas) const override;
  std::vector<LegendEntry> Legend() const override;
  // "61 of 64 cases right".
  std::string Measure() const override;

  // "x2", "x1 x0" or "x5..x3": the input bits from first down to last.
  static std::string BitNames(int first, int last);

  int Columns() const { return columns; }
  int Rows() const { return rows; }
  // The centre of case c's cell in the picture's space.
  CanvasPoint CaseCentre(int c) const;
  // Whether the cells carry labels and answers.
  bool Labelled() const { return columns <= kLabelledColumns; }

  static constexpr Rgb kRight{150, 220, 150};
  static constexpr Rgb kWrong{240, 110, 110};

 private:
  static constexpr int kLabelledColumns = 16;
  // The left edge of column 0 and the top edge of row 0.
  double GridLeft() const;
  double GridTop() const;
  // bits low bits of value, highest first ("011").
  static std::string BitText(int value, int bits);

  std::string rule;
  long long cases;
  int errors;
  std::vector<int> answers;
  std::vector<int> targets;
  int columnBits = 0;
  int rowBits = 0;
  int columns = 1;
  int rows = 1;
};
