// The picture of a bit-string evaluation: a bar per variable from zero to
// the value the best string decodes to, over the variable's range in grey,
// with the coordinate of the function's optimum marked across it.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class MultiVariateRecording : public Recording {
 public:
  // Most variables a picture shows: the first ones of a longer string.
  static constexpr int kShownVariables = 100;

  struct Variable {
    double value;
    double low;  // the range the bits can reach; NaN when open
    double high;
    double optimum;  // NaN when unknown
  };

  // The function's name, the number of variables, the first of them (at
  // most kShownVariables) and the function's value.
  MultiVariateRecording(std::string functionName, int count, std::vector<Variable> variables, double fitness);

  PictureSpace Space() const override;
  void DrawStill(Canvas& canvas) const override;
  std::vector<LegendEntry> Legend() const override;
  // "f(x) = 3.02".
  std::string Measure() const override;

  static constexpr Rgb kBar{90, 130, 230};
  static constexpr Rgb kOptimum = Colour::kGreen;
  static constexpr Rgb kRange = Colour::kLightGrey;

 private:
  std::string functionName;
  int count;
  std::vector<Variable> variables;
  double fitness;
};
