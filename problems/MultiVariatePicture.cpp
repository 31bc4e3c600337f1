#include "problems/MultiVariatePicture.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "problems/PlotArea.h"

MultiVariateRecording::MultiVariateRecording(std::string functionName, int count,
                                             std::vector<Variable> variables, double fitness)
    : functionName(std::move(functionName)),
      count(count),
      variables(std::move(variables)),
      fitness(fitness) {}

PictureSpace MultiVariateRecording::Space() const { return PlotArea::kSpace; }

void MultiVariateRecording::DrawStill(Canvas& canvas) const {
  double low = 0.0;
  double high = 0.0;
  for (const Variable& v : variables) {
    for (double value : {v.value, v.low, v.high, v.optimum}) {
      if (!std::isfinite(value)) continue;
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  double margin = 0.05 * (high > low ? high - low : 1.0);
  int shown = static_cast<int>(variables.size());
  PlotArea plot(0.0, std::max(shown, 1), low - margin, high + margin);
  for (int i = 0; i < shown; ++i) {
    const Variable& v = variables[static_cast<std::size_t>(i)];
    if (!std::isnan(v.low) && !std::isnan(v.high)) {
      canvas.Rect(plot.X(i + 0.1), plot.Y(v.high), plot.X(i + 0.9), plot.Y(v.low), kRange, kRange);
    }
  }
  std::string caption =
      functionName + ", " + std::to_string(count) + (count == 1 ? " variable" : " variables");
  if (shown < count) caption += " (the first " + std::to_string(shown) + " shown)";
  plot.DrawFrame(canvas, caption);
  double base = plot.Y(0.0);
  for (int i = 0; i < shown; ++i) {
    const Variable& v = variables[static_cast<std::size_t>(i)];
    if (!std::isnan(v.value))
      canvas.Rect(plot.X(i + 0.25), base, plot.X(i + 0.75), plot.Y(v.value), kBar, kBar);
    if (!std::isnan(v.optimum)) {
      canvas.Line(plot.X(i + 0.05), plot.Y(v.optimum), plot.X(i + 0.95), plot.Y(v.optimum), kOptimum,
                  Stroke::Thick);
    }
    if (shown <= 20) plot.LabelX(canvas, i + 0.5, "x" + std::to_string(i));
  }
}

std::vector<LegendEntry> MultiVariateRecording::Legend() const {
  using Mark = LegendEntry::Mark;
  return {{Mark::Box, kBar, "best string"},
          {Mark::Line, kOptimum, "optimum"},
          {Mark::Box, kRange, "range"},
          {Mark::None, {}, Measure()}};
}

std::string MultiVariateRecording::Measure() const { return "f(x) = " + DisplayNumber(fitness); }
