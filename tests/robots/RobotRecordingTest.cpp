// Recorded episodes of the four robot problems: the episode base evaluates
// the same with and without recorders, and each picture holds what the
// episode did.
#include <gtest/gtest.h>

#include <sstream>

#include "MarkCanvas.h"
#include "ProgramText.h"
#include "RobotTestOperators.h"
#include "config/MultiStream.h"
#include "robots/Ant.h"
#include "robots/AntPicture.h"
#include "robots/BoxMoving.h"
#include "robots/BoxMovingPicture.h"
#include "robots/HPAnt.h"
#include "robots/HPAntPicture.h"
#include "robots/Wallfollowing.h"
#include "robots/WallfollowingPicture.h"

namespace {
using Kind = MarkCanvas::Kind;

struct RobotRecordingTest : ::testing::Test {
  OperatorRegister operators{100};

  std::unique_ptr<DoubleTypeFitnessIndividual> Parsed(const std::string& text) {
    std::size_t at = 0;
    return Program(ParseTree(operators, text, at));
  }

  // Records the program's episode after checking that recording changes
  // neither its fitness nor the problem's choice of threads.
  template <class P>
  std::unique_ptr<Recording> Recorded(P& problem, const std::string& program, double& fitness) {
    auto individual = Parsed(program);
    fitness = FitnessOf(problem, individual.get());
    std::unique_ptr<Recording> recording = problem.Record(individual.get());
    EXPECT_EQ(individual->GetFitness(), fitness);
    EXPECT_FALSE(problem.IsRecording());
    EXPECT_EQ(FitnessOf(problem, individual.get()), fitness);
    return recording;
  }
};

TEST_F(RobotRecordingTest, AntEatsAlongItsPathAndEndsFacingOn) {
  // Start (1, 1) facing x + 1; food at (2, 1), (3, 1) and (5, 2); the border
  // stops the ant at (5, 1).
  auto problem = Read<Ant>("5 3 1 1 0 30  2 1 3 1 5 2");
  double fitness = 0.0;
  auto recording = Recorded(*problem, "moveForward0", fitness);
  auto& ant = dynamic_cast<AntRecording&>(*recording);
  EXPECT_EQ(fitness, -2.0);
  EXPECT_EQ(ant.Eaten(), 2);
  EXPECT_EQ(ant.FoodCount(), 3);
  EXPECT_EQ(ant.Measure(), "eaten 2 of 3");
  EXPECT_EQ(ant.FrameCount(), 5);  // four cells entered, then the ant
  EXPECT_EQ(ant.Space().width, 7.0);
  EXPECT_EQ(ant.Space().height, 5.0);

  MarkCanvas canvas = DrawnAll(ant);
  EXPECT_EQ(canvas.Count(Kind::Rect, AntRecording::kFood), 3);
  EXPECT_EQ(canvas.Count(Kind::Rect, AntRecording::kEaten), 2);
  EXPECT_EQ(canvas.Count(Kind::Rect, Colour::kBlack), 7 * 5 - 5 * 3);
  EXPECT_EQ(canvas.Count(Kind::Polyline, AntRecording::kPath, Stroke::Thick), 4);
  ASSERT_EQ(canvas.Count(Kind::Polygon, AntRecording::kAnt), 1);
  // The ant's tip points to x + 1 from the centre of (5, 1).
  const MarkCanvas::Mark& antMark = canvas.marks.back();
  CanvasPoint end = ant.CellCentre(5, 1);
  EXPECT_EQ(antMark.points[0].x, end.x + 0.5);
  EXPECT_EQ(antMark.points[0].y, end.y);
  EXPECT_TRUE(canvas.Inside(ant.Space()));
}

TEST_F(RobotRecordingTest, AChainFoldedIntoASquareHasOneContact) {
  // Four H residues: forward, turn, forward, turn... lays a 2 by 2 square,
  // whose first and last residues touch.
  auto problem = Read<HPAnt>("0 0 0 0");
  double fitness = 0.0;
  auto recording = Recorded(*problem, "Prog2(moveForward0,turnLeft0)", fitness);
  auto& chain = dynamic_cast<HPAntRecording&>(*recording);
  EXPECT_EQ(fitness, -1.0);
  EXPECT_EQ(chain.FrameCount(), 4);
  ASSERT_EQ(chain.Links().size(), 1u);
  EXPECT_EQ(chain.Links()[0], std::make_pair(0, 3));
  EXPECT_EQ(chain.Measure(), "1 contact");

  MarkCanvas canvas = DrawnAll(chain);
  EXPECT_EQ(canvas.Count(Kind::Polyline, HPAntRecording::kContact, Stroke::Dotted), 1);
  EXPECT_EQ(canvas.Count(Kind::Polyline, HPAntRecording::kBond, Stroke::Thick), 3);
  EXPECT_GE(canvas.Count(Kind::Ellipse, HPAntRecording::kH), 4);
  EXPECT_EQ(canvas.Count(Kind::Ellipse, HPAntRecording::kP), 0);
  EXPECT_TRUE(canvas.Inside(chain.Space()));
}

TEST_F(RobotRecordingTest, AChainCutShortSaysHowMuchWasLaid) {
  auto problem = Read<HPAnt>("0 1 0");
  double fitness = 0.0;
  auto recording = Recorded(*problem, "turnLeft0", fitness);
  EXPECT_EQ(recording->FrameCount(), 1);
  EXPECT_EQ(recording->Measure(), "0 contacts, 1 of 3 residues laid");
}

TEST_F(RobotRecordingTest, WallFollowingCountsTheCellsItColours) {
  auto problem = Read<Wallfollowing>("100 100 10 1 0 0 0 100  2 5");
  double fitness = 0.0;
  auto recording = Recorded(*problem, "moveForward0", fitness);
  auto& room = dynamic_cast<WallfollowingRecording&>(*recording);
  EXPECT_GT(room.NearWallCells(), 0);
  EXPECT_GT(room.FreeCells(), 0);
  EXPECT_EQ(room.NearWallCells() - room.FreeCells(), -fitness);
  EXPECT_GT(room.FrameCount(), 0);

  MarkCanvas canvas = DrawnAll(room);
  EXPECT_EQ(canvas.Count(Kind::Rect, WallfollowingRecording::kNearWall), room.NearWallCells());
  EXPECT_EQ(canvas.Count(Kind::Rect, WallfollowingRecording::kFree), room.FreeCells());
  // The outer ring of 12 by 12 cells and the one inner wall.
  EXPECT_EQ(canvas.Count(Kind::Rect, Colour::kBlack), 4 * 11 + 1);
  EXPECT_EQ(canvas.Count(Kind::Polyline, WallfollowingRecording::kPath, Stroke::Thick), room.FrameCount());
  EXPECT_TRUE(canvas.Inside(room.Space()));
}

TEST_F(RobotRecordingTest, BoxMovingDrawsItsStepsAsTheWindowAlwaysHas) {
  auto problem = Read<BoxMoving>("100 100 10 1 -20 0 0 60 0 0  3 4 8 8");
  double fitness = 0.0;
  auto recording = Recorded(*problem, "moveForward0", fitness);
  EXPECT_TRUE(recording->Legend().empty());
  EXPECT_EQ(recording->Space().width, 100.0);
  EXPECT_EQ(recording->Measure(), "box " + DisplayNumber(fitness) + " from the outer walls");
  int frames = recording->FrameCount();
  EXPECT_GT(frames, 0);

  MarkCanvas canvas = DrawnAll(*recording);
  EXPECT_EQ(canvas.Count(Kind::Rect, Colour::kBlack), 2);
  EXPECT_EQ(canvas.Count(Kind::Dot, Colour::kRed), frames);
  EXPECT_EQ(canvas.Count(Kind::Polyline, Colour::kGreen), frames);
  // The last outline closes on its first corner around the box's last place.
  const MarkCanvas::Mark& last = canvas.marks.back();
  ASSERT_EQ(last.points.size(), 5u);
  EXPECT_EQ(last.points[0].x, last.points[4].x);
  // (A box state is recorded before the step that may push it.)
  EXPECT_NEAR((last.points[0].x + last.points[2].x) * 0.5, problem->GetRoom()->GetBoxX(), 1.001);
}

TEST_F(RobotRecordingTest, TheOrbitTextIsUnchangedBesideTheRecordings) {
  auto problem = Read<Ant>("5 3 1 1 0 6  2 1");
  auto individual = Parsed("moveForward0");
  problem->Record(individual.get());
  std::ostringstream text;
  MultiStream stream(1);
  stream.Add(&text);
  problem->StartRecording();
  problem->FitnessFunction(individual.get());
  problem->WriteRecording(&stream);
  EXPECT_EQ(text.str(), "{{2,1},{3,1},{4,1}}\n");
}
}  // namespace
