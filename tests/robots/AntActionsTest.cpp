#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "problems/EvaluationPaths.h"
#include "programs/CompiledProgram.h"
#include "programs/HeadLispCode.h"
#include "programs/ProgramFixture.h"
#include "robots/AntRobot.h"
#include "robots/AntRoom.h"
#include "robots/RobotProblemSupport.h"

namespace {

// An ant that leaves its actions to the interpreter's loop, one call each.
class CalledAnt : public AntRobot {
 public:
  using AntRobot::AntRobot;
};

struct AntActionsTest : ProgramFixture {};

struct Ant {
  int x, y, direction, eaten;
  double energy;
  std::string path;
  bool operator==(const Ant&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Ant& ant) {
    return out << "at " << ant.x << "," << ant.y << " facing " << ant.direction << ", " << ant.eaten << " eaten, energy "
               << ant.energy << ", path " << ant.path;
  }
};

// An episode run in the ant's own loop, or by calling the actions one by
// one, leaves the ant and the food where walking the tree does, on a trail
// with turns, gaps and a wall.
TEST_F(AntActionsTest, AntsOwnLoopDoesWhatTheCallsDo) {
  std::vector<Head*> roots = {
      N("ifFoodAhead", {N("moveForward0"),
                        N("Prog2", {N("turnLeft0"), N("ifFoodAhead", {N("moveForward0"),
                                                                      N("Prog2", {N("turnRight0"),
                                                                                  N("Prog2", {N("turnRight0"),
                                                                                              N("moveForward0")})})})})}),
      N("Prog2", {N("ifFoodAhead", {N("moveForward0"), N("moveRight0")}),
                  N("Prog2", {N("moveLeft0"), N("ifFoodAhead", {N("1"), N("moveBackward0")})})}),
  };
  // An episode by the compiled form, or by walking the tree.
  auto episode = [&](AntRobot& ant, AntRoom& room, const CompiledProgram& program, Head* tree) {
    IntPointArray foods(8);
    for (int k = 2; k <= 6; ++k) foods.Add(k, 3);
    foods.Add(6, 4);
    foods.Add(6, 6);
    foods.Add(5, 7);
    room.PlaceFood(foods);
    room.PutWall(4, 5);
    IntPointArray* path = new IntPointArray(500);
    room.SetRecorder(path);
    ant.Init(1, 3, 0, 60.0);
    if (tree != nullptr) {
      HeadLispCode code(tree);
      RunEpisode(&interpreter, &ant, TreeRun{&code});
      code.SetRoot(nullptr);
    } else {
      RunEpisode(&interpreter, &ant, CompiledRun{&program});
    }
    std::unique_ptr<IntPointArray> visited(room.TakeRecorder());
    return Ant{ant.GetX(), ant.GetY(), ant.GetDirection(), room.CountEaten(), ant.GetEnergy(),
               PointListText(visited.get(), false)};
  };
  for (Head* root : roots) {
    CompiledProgram program;
    program.Compile(root);
    ASSERT_NE(program.GetActions(), nullptr);
    AntRoom ownRoom(8, 8);
    AntRobot own(&ownRoom);
    AntRoom calledRoom(8, 8);
    CalledAnt called(&calledRoom);
    AntRoom walkedRoom(8, 8);
    AntRobot walked(&walkedRoom);
    Ant byOwnLoop = episode(own, ownRoom, program, nullptr);
    Ant byCalls = episode(called, calledRoom, program, nullptr);
    Ant byTree = episode(walked, walkedRoom, program, root);
    EXPECT_EQ(byOwnLoop, byTree);
    EXPECT_EQ(byCalls, byTree);
    EXPECT_GT(byTree.eaten, 0);
    EXPECT_GT(byTree.path.size(), 60u) << "the ant keeps moving";
    DeleteTree(root);
  }
}

// Without a recorder the ant's loop reads and writes the room's cells itself
// (place, direction and energy in registers): random action programs on
// rooms with random walls and food, from random starts, energies (whole and
// not) and directions (one that is not among the four, run by the other
// loop), leave the ant and every cell as calling the actions one by one does.
TEST_F(AntActionsTest, TheCellLoopDoesWhatTheCallsDo) {
  std::mt19937 draw(20261210);
  auto pick = [&](int n) { return static_cast<int>(draw() % static_cast<unsigned>(n)); };
  const char* leaves[] = {"moveForward0", "moveBackward0", "moveLeft0", "moveRight0", "turnLeft0", "turnRight0"};
  auto grow = [&](auto& self, int depth) -> Head* {
    if (depth == 0 || pick(3) == 0) return N(leaves[pick(6)]);
    return N(pick(2) == 0 ? "ifFoodAhead" : "Prog2", {self(self, depth - 1), self(self, depth - 1)});
  };
  const double energies[] = {1.0, 7.0, 40.0, 125.5, 300.0};
  int cellLoops = 0;
  for (int trial = 0; trial < 300; ++trial) {
    Head* root = grow(grow, 2 + pick(5));
    CompiledProgram program;
    program.Compile(root);
    ASSERT_NE(program.GetActions(), nullptr);
    IntPointArray foods(40);
    IntPointArray walls(10);
    for (int k = 0; k < 30; ++k) foods.Add(1 + pick(8), 1 + pick(8));
    for (int k = 0; k < 6; ++k) walls.Add(1 + pick(8), 1 + pick(8));
    int x = 1 + pick(8);
    int y = 1 + pick(8);
    int direction = trial % 50 == 0 ? 5 : pick(4);
    double energy = energies[pick(5)];
    auto episode = [&](AntRobot& ant, AntRoom& room) {
      room.PlaceFood(foods);
      for (int k = 0; k < walls.Size(); ++k) room.PutWall(walls.Get(k)->x, walls.Get(k)->y);
      ant.Init(x, y, direction, energy);
      RunEpisode(&interpreter, &ant, CompiledRun{&program});
      std::string cells;
      for (int cx = 0; cx < room.GetWidth(); ++cx) {
        for (int cy = 0; cy < room.GetHeight(); ++cy) cells += std::to_string(room.GetFood(cx, cy)) + " ";
      }
      return Ant{ant.GetX(), ant.GetY(), ant.GetDirection(), room.CountEaten(), ant.GetEnergy(), cells};
    };
    AntRoom ownRoom(8, 8);
    AntRobot own(&ownRoom);
    AntRoom calledRoom(8, 8);
    CalledAnt called(&calledRoom);
    AntRoom::Cells cells;
    if (ownRoom.GetCells(cells) && direction <= 3) ++cellLoops;
    EXPECT_EQ(episode(own, ownRoom), episode(called, calledRoom)) << "trial " << trial;
    DeleteTree(root);
  }
  EXPECT_GT(cellLoops, 250);
}

// The cell loop reports a step or a look out of the grid as the room does.
TEST_F(AntActionsTest, TheCellLoopReportsCellsOutOfTheGridAsTheRoomDoes) {
  auto outward = [&](Head* root) {
    CompiledProgram program;
    program.Compile(root);
    AntRoom room(3, 3);
    AntRobot ant(&room);
    ant.Init(4, 2, 0, 10.0);  // on the border, facing out
    RunEpisode(&interpreter, &ant, CompiledRun{&program});
  };
  EXPECT_EXIT(outward(N("Prog2", {N("turnLeft0"), N("moveRight0")})), ::testing::ExitedWithCode(1),
              "^Fatal error: Invaiid Tail at AntRoom::CanMove\n$");
  EXPECT_EXIT(outward(N("ifFoodAhead", {N("turnLeft0"), N("turnRight0")})), ::testing::ExitedWithCode(1),
              "^Fatal error: Invaiid Tail at AntRoom::IsFood\n$");
}

}  // namespace
