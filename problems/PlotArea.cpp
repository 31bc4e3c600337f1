#include "problems/PlotArea.h"

#include <algorithm>
#include <cmath>

#include "engine/Recording.h"

PlotArea::PlotArea(double xLow, double xHigh, double yLow, double yHigh)
    : xLow(xLow), xHigh(xHigh), yLow(yLow), yHigh(yHigh) {
  if (!(this->xHigh > this->xLow)) {
    this->xLow -= 1.0;
    this->xHigh = this->xLow + 2.0;
  }
  if (!(this->yHigh > this->yLow)) {
    this->yLow -= 1.0;
    this->yHigh = this->yLow + 2.0;
  }
}

double PlotArea::X(double x) const { return kLeft + (x - xLow) / (xHigh - xLow) * (kRight - kLeft); }

double PlotArea::Y(double y) const {
  if (std::isnan(y)) return y;
  double clamped = std::clamp(y, yLow, yHigh);
  return kBottom - (clamped - yLow) / (yHigh - yLow) * (kBottom - kTop);
}

void PlotArea::DrawFrame(Canvas& canvas, const std::string& caption) const {
  if (yLow < 0.0 && yHigh > 0.0) canvas.Line(kLeft, Y(0.0), kRight, Y(0.0), Colour::kLightGrey, Stroke::Thin);
  canvas.Polyline({{kLeft, kTop}, {kRight, kTop}, {kRight, kBottom}, {kLeft, kBottom}, {kLeft, kTop}},
                  Colour::kGrey, Stroke::Thin);
  canvas.Text(kLeft - 12.0, kTop, DisplayNumber(yHigh), Colour::kBlack, TextAnchor::Right);
  canvas.Text(kLeft - 12.0, kBottom, DisplayNumber(yLow), Colour::kBlack, TextAnchor::Right);
  if (yLow < 0.0 && yHigh > 0.0) canvas.Text(kLeft - 12.0, Y(0.0), "0", Colour::kBlack, TextAnchor::Right);
  canvas.Text(kLeft, (kTop - 500.0) * 0.5, caption, Colour::kBlack, TextAnchor::Left);
}

void PlotArea::LabelX(Canvas& canvas, double x, const std::string& text) const {
  canvas.Text(X(x), (kBottom + 500.0) * 0.5, text, Colour::kBlack, TextAnchor::Centre);
}
