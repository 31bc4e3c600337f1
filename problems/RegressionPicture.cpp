#include "problems/RegressionPicture.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "problems/PlotArea.h"

RegressionRecording::RegressionRecording(std::string targetName, std::vector<double> points,
                                         std::vector<double> targets, std::vector<double> values,
                                         double totalError)
    : targetName(std::move(targetName)),
      points(std::move(points)),
      targets(std::move(targets)),
      values(std::move(values)),
      totalError(totalError) {
  double low = HUGE_VAL;
  double high = -HUGE_VAL;
  for (double t : this->targets) {
    if (!std::isfinite(t)) continue;
    low = std::min(low, t);
    high = std::max(high, t);
  }
  if (!(low <= high)) low = high = 0.0;
  double span = high > low ? high - low : 1.0;
  yLow = low;
  yHigh = high;
  for (double v : this->values) {
    if (std::isnan(v)) continue;
    yLow = std::min(yLow, std::max(v, low - span));
    yHigh = std::max(yHigh, std::min(v, high + span));
  }
  double margin = 0.05 * (yHigh > yLow ? yHigh - yLow : 1.0);
  yLow -= margin;
  yHigh += margin;
}

PictureSpace RegressionRecording::Space() const { return PlotArea::kSpace; }

void RegressionRecording::DrawStill(Canvas& canvas) const {
  if (points.empty()) return;
  PlotArea plot(points.front(), points.back(), yLow, yHigh);
  std::size_t n = std::min({points.size(), targets.size(), values.size()});
  // The error between the curves, segment by segment.
  for (std::size_t c = 0; c + 1 < n; ++c) {
    if (std::isnan(values[c]) || std::isnan(values[c + 1])) continue;
    canvas.Polygon({{plot.X(points[c]), plot.Y(targets[c])},
                    {plot.X(points[c + 1]), plot.Y(targets[c + 1])},
                    {plot.X(points[c + 1]), plot.Y(values[c + 1])},
                    {plot.X(points[c]), plot.Y(values[c])}},
                   kError);
  }
  plot.DrawFrame(canvas, "target: " + targetName);
  for (int tick = 0; tick <= 10; tick += 2) {
    double x = points.front() + (points.back() - points.front()) * tick / 10.0;
    plot.LabelX(canvas, x, DisplayNumber(x));
  }
  std::vector<CanvasPoint> target;
  for (std::size_t c = 0; c < n; ++c) target.push_back({plot.X(points[c]), plot.Y(targets[c])});
  canvas.Polyline(target, kTarget, Stroke::Thick);
  // The program's curve breaks where its value is not a number.
  std::vector<CanvasPoint> program;
  for (std::size_t c = 0; c <= n; ++c) {
    if (c < n && !std::isnan(values[c])) {
      program.push_back({plot.X(points[c]), plot.Y(values[c])});
    } else if (!program.empty()) {
      canvas.Polyline(program, kProgram, Stroke::Thin);
      program.clear();
    }
  }
}

std::vector<LegendEntry> RegressionRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  return {{Mark::Line, kTarget, "target"},
          {Mark::Line, kProgram, "program"},
          {Mark::Box, kError, "error"},
          {Mark::None, {}, Measure()}};
}

std::string RegressionRecording::Measure() const { return "sum of errors " + DisplayNumber(totalError); }
