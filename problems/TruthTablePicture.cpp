#include "problems/TruthTablePicture.h"

#include <algorithm>
#include <utility>

namespace {
// The caption's share of the picture's height (two lines), the room above
// the grid for the column labels in cell heights, and the room left of it
// for the row labels in cell widths.
constexpr double kCaptionShare = 0.1;
constexpr double kColumnLabels = 0.6;
constexpr double kRowLabels = 1.0;
}  // namespace

TruthTableRecording::TruthTableRecording(std::string rule, long long cases, int errors,
                                         std::vector<int> answers, std::vector<int> targets)
    : rule(std::move(rule)),
      cases(cases),
      errors(errors),
      answers(std::move(answers)),
      targets(std::move(targets)) {
  std::size_t shown = std::min(this->answers.size(), this->targets.size());
  this->answers.resize(shown);
  this->targets.resize(shown);
  int bits = 0;
  while ((1LL << bits) < static_cast<long long>(shown)) ++bits;
  // As square as the table allows, wider than high.
  columnBits = (bits + 1) / 2;
  rowBits = bits - columnBits;
  columns = 1 << columnBits;
  rows = 1 << rowBits;
}

PictureSpace TruthTableRecording::Space() const {
  double labels = Labelled() ? kColumnLabels : 0.0;
  return {columns + (Labelled() ? kRowLabels : 0.0), (rows + labels) / (1.0 - kCaptionShare)};
}

double TruthTableRecording::GridLeft() const {
  return -Space().width * 0.5 + (Labelled() ? kRowLabels : 0.0);
}

double TruthTableRecording::GridTop() const { return Space().height * 0.5 - rows; }

CanvasPoint TruthTableRecording::CaseCentre(int c) const {
  return {GridLeft() + c % columns + 0.5, GridTop() + c / columns + 0.5};
}

std::string TruthTableRecording::BitText(int value, int bits) {
  std::string text;
  for (int b = bits - 1; b >= 0; --b) text += (value >> b & 1) != 0 ? '1' : '0';
  return text;
}

std::string TruthTableRecording::BitNames(int first, int last) {
  std::string text = "x" + std::to_string(first);
  if (first - last == 1) text += " x" + std::to_string(last);
  if (first - last > 1) text += "..x" + std::to_string(last);
  return text;
}

void TruthTableRecording::DrawStill(Canvas& canvas) const {
  PictureSpace space = Space();
  double left = -space.width * 0.5 + 0.01 * space.width;
  double top = -space.height * 0.5;
  double caption = kCaptionShare * space.height;
  std::string layout;
  if (Labelled()) {
    layout = "rows " + (rowBits > 0 ? BitNames(columnBits + rowBits - 1, columnBits) : std::string("-")) +
             ", columns " + (columnBits > 0 ? BitNames(columnBits - 1, 0) : std::string("-")) +
             "; cell: program's answer";
  } else if (!answers.empty()) {
    layout =
        "cases 0 to " + std::to_string(answers.size() - 1) + ", " + std::to_string(columns) + " to a row";
    if (static_cast<long long>(answers.size()) < cases) layout += ", of " + std::to_string(cases);
  }
  canvas.Text(left, top + 0.3 * caption, rule, Colour::kBlack, TextAnchor::Left);
  canvas.Text(left, top + 0.72 * caption, layout, Colour::kGrey, TextAnchor::Left);
  for (std::size_t c = 0; c < answers.size(); ++c) {
    CanvasPoint centre = CaseCentre(static_cast<int>(c));
    Rgb fill = answers[c] == targets[c] ? kRight : kWrong;
    canvas.Rect(centre.x - 0.5, centre.y - 0.5, centre.x + 0.5, centre.y + 0.5, fill, Colour::kWhite);
    if (Labelled()) {
      canvas.Text(centre.x, centre.y, std::to_string(answers[c]), Colour::kBlack, TextAnchor::Centre);
    }
  }
  if (!Labelled()) return;
  for (int column = 0; column < columns; ++column) {
    canvas.Text(GridLeft() + column + 0.5, GridTop() - kColumnLabels * 0.5, BitText(column, columnBits),
                Colour::kGrey, TextAnchor::Centre);
  }
  for (int row = 0; row < rows; ++row) {
    canvas.Text(GridLeft() - 0.1, GridTop() + row + 0.5, BitText(row, rowBits), Colour::kGrey,
                TextAnchor::Right);
  }
}

std::vector<LegendEntry> TruthTableRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  return {{Mark::Box, kRight, "right"}, {Mark::Box, kWrong, "wrong"}, {Mark::None, {}, Measure()}};
}

std::string TruthTableRecording::Measure() const {
  return std::to_string(cases - errors) + " of " + std::to_string(cases) + " cases right";
}
