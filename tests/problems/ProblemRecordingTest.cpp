// Recorded evaluations of the problems without episodes: the truth tables of
// the Boolean problems, the curves of regression and the bars of the
// bit-string problem, each counting what the fitness counts.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "MarkCanvas.h"
#include "ProgramText.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "problems/MultiVariate.h"
#include "problems/MultiVariatePicture.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "problems/RegressionPicture.h"
#include "problems/TruthTablePicture.h"

namespace {
using Kind = MarkCanvas::Kind;

template <class P>
std::unique_ptr<P> Make(const std::string& text) {
  std::istringstream in(text);
  return std::make_unique<P>(in);
}

struct ProblemRecordingTest : ::testing::Test {
  OperatorRegister operators{100};
  std::unique_ptr<DoubleTypeFitnessIndividual> individual;

  // The recording of the program, after its plain evaluation, whose fitness
  // the recording must leave as it was.
  std::unique_ptr<Recording> Recorded(Problem& problem, const std::string& program, double& fitness) {
    individual =
        std::make_unique<DoubleTypeFitnessIndividual>(new GPChromosome(ParseProgram(operators, program)));
    problem.FitnessFunction(individual.get());
    fitness = individual->GetFitness();
    std::unique_ptr<Recording> recording = problem.Record(individual.get());
    EXPECT_EQ(individual->GetFitness(), fitness);
    return recording;
  }

  void TearDown() override {
    if (individual) individual->DeleteChromosome();
  }
};

TEST_F(ProblemRecordingTest, ParityTablesColourEachCaseByTheProgramsAnswer) {
  for (const char* mode : {"bool 3", "double 3"}) {
    auto parity = Make<Parity>(mode);
    double fitness = 0.0;
    auto recording = Recorded(*parity, std::string(mode) == "bool 3" ? "b0" : "x0", fitness);
    auto& table = dynamic_cast<TruthTableRecording&>(*recording);
    EXPECT_EQ(fitness, 4.0) << mode;
    EXPECT_EQ(table.Measure(), "4 of 8 cases right");
    EXPECT_EQ(table.Columns(), 4);
    EXPECT_EQ(table.Rows(), 2);
    EXPECT_TRUE(table.Labelled());
    MarkCanvas canvas = DrawnAll(table);
    EXPECT_EQ(canvas.Count(Kind::Rect, TruthTableRecording::kRight), 4);
    EXPECT_EQ(canvas.Count(Kind::Rect, TruthTableRecording::kWrong), 4);
    EXPECT_TRUE(canvas.Inside(table.Space()));
  }
}

TEST_F(ProblemRecordingTest, ASolvedMultiplexerIsAllRight) {
  auto mux = Make<Multiplexer>("bool 1");  // 1 address bit, 2 data bits
  double fitness = 0.0;
  auto recording = Recorded(*mux, "if(b0,b2,b1)", fitness);
  EXPECT_EQ(fitness, 0.0);
  EXPECT_EQ(mux->IsSolved(), 1);
  EXPECT_EQ(recording->Measure(), "8 of 8 cases right");
  EXPECT_EQ(DrawnAll(*recording).Count(Kind::Rect, TruthTableRecording::kWrong), 0);

  auto mux11 = Make<Multiplexer>("bool 3");
  auto large = Recorded(*mux11, "b3", fitness);
  auto& table = dynamic_cast<TruthTableRecording&>(*large);
  EXPECT_EQ(table.Columns() * table.Rows(), 2048);
  EXPECT_FALSE(table.Labelled());
  MarkCanvas canvas = DrawnAll(table);
  EXPECT_EQ(canvas.Count(Kind::Rect, TruthTableRecording::kWrong), static_cast<int>(fitness));
  EXPECT_EQ(table.Measure(), std::to_string(2048 - static_cast<int>(fitness)) + " of 2048 cases right");
}

TEST_F(ProblemRecordingTest, LargeTablesShowTheirFirstCasesAndCountThemAll) {
  auto parity = Make<Parity>("bool 14");
  double fitness = 0.0;
  auto recording = Recorded(*parity, "b0", fitness);
  auto& table = dynamic_cast<TruthTableRecording&>(*recording);
  EXPECT_EQ(table.Columns() * table.Rows(), TruthTableRecording::kShownCases);
  EXPECT_EQ(fitness, 8192.0);
  EXPECT_EQ(table.Measure(), "8192 of 16384 cases right");
}

TEST_F(ProblemRecordingTest, RegressionDrawsTargetProgramAndTheErrorBetween) {
  auto regression = Make<Regression>("(2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.0 10.0 101");
  double fitness = 0.0;
  auto recording = Recorded(*regression, "x0", fitness);
  auto& curves = dynamic_cast<RegressionRecording&>(*recording);
  EXPECT_EQ(curves.Measure(), "sum of errors " + DisplayNumber(fitness));
  // The program's values reach 10, beyond one more target range: the plot
  // stops short of them.
  EXPECT_LT(curves.YHigh(), 10.0);
  MarkCanvas canvas = DrawnAll(curves);
  ASSERT_EQ(canvas.Count(Kind::Polyline, RegressionRecording::kTarget, Stroke::Thick), 1);
  ASSERT_EQ(canvas.Count(Kind::Polyline, RegressionRecording::kProgram, Stroke::Thin), 1);
  EXPECT_EQ(canvas.Count(Kind::Polygon, RegressionRecording::kError), 100);
  for (const MarkCanvas::Mark& mark : canvas.marks) {
    bool curve = mark.colour == RegressionRecording::kTarget || mark.colour == RegressionRecording::kProgram;
    if (mark.kind == Kind::Polyline && curve) {
      EXPECT_EQ(mark.points.size(), 101u);
    }
  }
  EXPECT_TRUE(canvas.Inside(curves.Space()));
}

TEST(MultiVariateRecordingTest, BarsRunFromZeroToEachVariableWithTheOptimumAcross) {
  std::istringstream file("2 3 Rastrigin 1 -3 -3");
  MultiVariate problem(file);
  auto* genes = new IntArray(6);
  for (int gene : {1, 0, 0, 0, 1, 1}) genes->Add(gene);  // 4 and 3: x = (1, 0)
  DoubleTypeFitnessIndividual individual(new GAChromosome(genes));
  auto recording = problem.Record(&individual);
  EXPECT_EQ(recording->Measure(), "f(x) = " + DisplayNumber(individual.GetFitness()));
  MarkCanvas canvas = DrawnAll(*recording);
  std::vector<MarkCanvas::Mark> bars;
  std::vector<MarkCanvas::Mark> optima;
  for (const MarkCanvas::Mark& mark : canvas.marks) {
    if (mark.kind == Kind::Rect && mark.colour == MultiVariateRecording::kBar) bars.push_back(mark);
    if (mark.kind == Kind::Polyline && mark.colour == MultiVariateRecording::kOptimum) optima.push_back(mark);
  }
  ASSERT_EQ(bars.size(), 2u);
  ASSERT_EQ(optima.size(), 2u);
  double zero = bars[0].points[0].y;
  EXPECT_LT(bars[0].points[1].y, zero);  // x0 = 1 rises above zero
  EXPECT_EQ(bars[1].points[1].y, zero);  // x1 = 0 stays on it
  EXPECT_EQ(optima[0].points[0].y, zero);
  EXPECT_EQ(canvas.Count(Kind::Rect, MultiVariateRecording::kRange), 2);
  EXPECT_TRUE(canvas.Inside(recording->Space()));
}

TEST(MultiVariateRecordingTest, AFunctionWithoutAKnownOptimumIsSearchedAlongItsOneVariable) {
  std::istringstream file("1 4 (2-0.3x)Sin[2x]Cos[3x]+0.01x^2 0.5");
  MultiVariate problem(file);
  auto* genes = new IntArray(4);
  for (int gene : {0, 0, 0, 0}) genes->Add(gene);
  DoubleTypeFitnessIndividual individual(new GAChromosome(genes));
  MarkCanvas canvas = DrawnAll(*problem.Record(&individual));
  EXPECT_EQ(canvas.Count(Kind::Polyline, MultiVariateRecording::kOptimum, Stroke::Thick), 1);
}
}  // namespace
