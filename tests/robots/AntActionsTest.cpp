#include <gtest/gtest.h>

#include <memory>
#include <ostream>
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

}  // namespace
