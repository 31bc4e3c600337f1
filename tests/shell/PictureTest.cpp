// The pictures on the window's PictureBox, drawn through the canvas: box
// moving pixel for pixel as the window always drew it, the ant's and
// regression's elements at known places, the legend in its strip.
#include <QTest>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "ProgramText.h"
#include "engine/Chromosome.h"
#include "engine/Individual.h"
#include "foundation/Numeric.h"
#include "foundation/Point.h"
#include "problems/PlotArea.h"
#include "problems/Regression.h"
#include "problems/RegressionPicture.h"
#include "robots/Ant.h"
#include "robots/AntPicture.h"
#include "robots/BoxMoving.h"
#include "shell/PictureBox.h"
#include "shell/PictureCanvas.h"

namespace {
QColor Q(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

// The problem read from an example's problem file, past its name.
template <class P>
std::unique_ptr<P> FromExample(const char* example) {
  std::ifstream in(std::string(MORVANE2_SOURCE_DIR) + "/examples/" + example + "/input/problem.txt");
  std::string name;
  in >> name;
  return std::make_unique<P>(in);
}

template <class P>
std::unique_ptr<P> FromText(const std::string& text) {
  std::istringstream in(text);
  return std::make_unique<P>(in);
}
}  // namespace

class PictureTest : public QObject {
  Q_OBJECT

 private:
  OperatorRegister operators{100};
  std::unique_ptr<DoubleTypeFitnessIndividual> individual;

  DoubleTypeFitnessIndividual* Program(const std::string& text) {
    if (individual) individual->DeleteChromosome();
    individual =
        std::make_unique<DoubleTypeFitnessIndividual>(new GPChromosome(ParseProgram(operators, text)));
    return individual.get();
  }

  // Draws the whole recording as the window does, on a fresh 353 by 353
  // picture.
  static void Draw(PictureBox& picture, const Recording& recording) {
    picture.resize(353, 353);
    PictureCanvas canvas(&picture, recording.Space(), !recording.Legend().empty());
    DrawStillPicture(canvas, recording);
    for (int k = 0; k < recording.FrameCount(); ++k) recording.DrawFrame(canvas, k);
  }

 private slots:
  void cleanup() {
    if (individual) individual->DeleteChromosome();
    individual.reset();
  }

  void BoxMovingIsDrawnPixelForPixelAsBefore() {
    auto problem = FromText<BoxMoving>("100 100 10 1 -30 -30 1.57 400 0 0  3 4 8 8 2 8 9 3");
    DoubleTypeFitnessIndividual* program = Program("Prog2(moveForward0,Prog2(moveLeft0,moveForward0))");
    PictureBox now;
    Draw(now, *problem->Record(program));

    // The drawing the window made before the canvas, step for step.
    problem->StartRecording();
    problem->FitnessFunction(program);
    std::unique_ptr<DoublePointArray> path(problem->GetRoom()->TakeRecorder());
    std::unique_ptr<DoublePointArray> boxes(problem->GetRoom()->TakeBoxRecorder());
    PictureBox before;
    before.resize(353, 353);
    auto pixelX = [](double x) { return TruncToInt((x / 100.0 + 0.5) * 353.0); };
    auto pixelY = [](double y) { return TruncToInt((y / 100.0 + 0.5) * 353.0); };
    before.SetPen(Qt::white);
    before.SetBrush(Qt::white);
    before.FillRect(0, 0, 353, 353);
    before.SetPen(Qt::black);
    before.SetBrush(Qt::black);
    const Double2DimensionalArray& walls = problem->GetRoom()->GetWallList();
    for (int w = 0; w < walls.Size(); ++w) {
      DoubleArray* wall = walls.Get(w);
      before.FillRect(pixelX(wall->Get(0)), pixelY(wall->Get(1)), pixelX(wall->Get(2)), pixelY(wall->Get(3)));
    }
    double s = problem->GetRoom()->GetHalfSize();
    int steps = std::min(path->Size(), boxes->Size());
    QVERIFY(steps > 100);
    for (int k = 0; k < steps; ++k) {
      before.SetPen(Qt::red);
      before.SetBrush(Qt::red);
      int rx = pixelX(path->Get(k)->x);
      int ry = pixelY(path->Get(k)->y);
      before.Ellipse(rx, ry, rx + 2, ry + 2);
      DoublePoint* box = boxes->Get(k);
      double cx[4];
      double cy[4];
      cx[0] = 1.414 * s * std::cos(box->z + 0.785398);
      cy[0] = 1.414 * s * std::sin(box->z + 0.785398);
      for (int i = 1; i < 4; ++i) {
        cx[i] = cx[i - 1] * std::cos(1.5708) - cy[i - 1] * std::sin(1.5708);
        cy[i] = cy[i - 1] * std::cos(1.5708) + cx[i - 1] * std::sin(1.5708);
      }
      QVector<QPoint> outline;
      for (int i = 0; i <= 4; ++i)
        outline.append(QPoint(pixelX(cx[i % 4] + box->x), pixelY(cy[i % 4] + box->y)));
      before.SetPen(QColor(0, 128, 0));
      before.Polyline(outline);
    }
    QCOMPARE(now.Image(), before.Image());
  }

  void TheAntsPictureHoldsFoodEatenFoodPathAndAnt() {
    // Straight on along row 1 of the Santa Fe trail: the food at (2, 1),
    // (3, 1) and (4, 1) is eaten, the ant stops at the wall after (32, 1).
    auto problem = FromExample<Ant>("santafe");
    auto recording = problem->Record(Program("moveForward0"));
    QCOMPARE(recording->Measure(), std::string("eaten 3 of 89"));
    PictureBox picture;
    Draw(picture, *recording);
    auto& ant = dynamic_cast<AntRecording&>(*recording);
    PictureCanvas canvas(&picture, ant.Space(), true);
    auto at = [&](int x, int y, double down) {
      CanvasPoint centre = ant.CellCentre(x, y);
      return picture.Image().pixelColor(canvas.PixelX(centre.x), canvas.PixelY(centre.y + down));
    };
    QCOMPARE(at(2, 1, 0.3), Q(AntRecording::kEaten));
    QCOMPARE(at(4, 1, 0.3), Q(AntRecording::kEaten));
    QCOMPARE(at(4, 2, 0.0), Q(AntRecording::kFood));
    QCOMPARE(at(10, 1, 0.0), Q(AntRecording::kPath));
    QCOMPARE(at(32, 1, 0.0), Q(AntRecording::kAnt));
    QCOMPARE(at(0, 10, 0.0), QColor(Qt::black));
    QCOMPARE(at(20, 20, 0.2), QColor(Qt::white));
    // The legend's text in its strip under the grid.
    int dark = 0;
    for (int y = 353 - PictureCanvas::kLegendHeight; y < 353; ++y) {
      for (int x = 0; x < 353; ++x) dark += picture.Image().pixelColor(x, y).lightness() < 100 ? 1 : 0;
    }
    QVERIFY(dark > 50);
  }

  void RegressionsPictureHoldsBothCurvesAndTheErrorBetween() {
    auto problem = FromExample<Regression>("regression-f2");
    auto recording = problem->Record(Program("Sin(x0)"));
    auto& curves = dynamic_cast<RegressionRecording&>(*recording);
    PictureBox picture;
    Draw(picture, curves);
    PictureCanvas canvas(&picture, curves.Space(), true);
    PlotArea plot(curves.Points().front(), curves.Points().back(), curves.YLow(), curves.YHigh());
    auto at = [&](double x, double y) {
      return picture.Image().pixelColor(canvas.PixelX(plot.X(x)), canvas.PixelY(plot.Y(y)));
    };
    // At x = 2 the program gives sin 2, about 0.91, the target about -0.98.
    const std::size_t c = 20;
    double x = curves.Points()[c];
    QCOMPARE(at(x, curves.Targets()[c]), Q(RegressionRecording::kTarget));
    QCOMPARE(at(x, curves.Values()[c]), Q(RegressionRecording::kProgram));
    QCOMPARE(at(x, 0.5 * (curves.Targets()[c] + curves.Values()[c])), Q(RegressionRecording::kError));
    QCOMPARE(at(curves.Points()[60], curves.Targets()[60]), Q(RegressionRecording::kTarget));
  }
};

QTEST_MAIN(PictureTest)
#include "PictureTest.moc"
