// The picture of a regression evaluation: the target function and the
// program over the sample points as two curves, with the area between them
// shaded as the error the fitness sums.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class RegressionRecording : public Recording {
 public:
  // The target's name, the sample points, the target's and the program's
  // values there (as many as points), and the sum of errors.
  RegressionRecording(std::string targetName, std::vector<double> points, std::vector<double> targets,
                      std::vector<double> values, double totalError);

  PictureSpace Space() const override;
  void DrawStill(Canvas& canvas) const override;
  std::vector<LegendEntry> Legend() const override;
  // "sum of errors 12.4".
  std::string Measure() const override;

  static constexpr Rgb kTarget = Colour::kBlue;
  static constexpr Rgb kProgram = Colour::kRed;
  static constexpr Rgb kError = Colour::kPaleRed;

  // Where the curves run: the target's range, widened to take in the
  // program's values up to one more such range either way.
  double YLow() const { return yLow; }
  double YHigh() const { return yHigh; }
  const std::vector<double>& Points() const { return points; }
  const std::vector<double>& Targets() const { return targets; }
  const std::vector<double>& Values() const { return values; }

 private:
  std::string targetName;
  std::vector<double> points;
  std::vector<double> targets;
  std::vector<double> values;
  double totalError;
  double yLow = 0.0;
  double yHigh = 0.0;
};
