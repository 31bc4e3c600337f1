#include "robots/AntRobot.h"

#include <climits>
#include <iterator>
#include <typeinfo>

#include "foundation/Numeric.h"
#include "programs/ActionList.h"
#include "robots/AntRoom.h"

void AntRobot::Init(int startX, int startY, int startDirection, double startEnergy) {
  x = startX;
  y = startY;
  direction = startDirection;
  energy = startEnergy;
}

void AntRobot::Offset(int d, int& dx, int& dy) {
  dx = 0;
  dy = 0;
  switch (d) {
    case 0:
      dx = 1;
      break;
    case 1:
      dy = 1;
      break;
    case 2:
      dx = -1;
      break;
    case 3:
      dy = -1;
      break;
    default:
      break;
  }
}

int AntRobot::Shift(int value, int offset) {
  if (offset > 0 && value == INT_MAX) return value;
  if (offset < 0 && value == INT_MIN) return value;
  return value + offset;
}

void AntRobot::StepTowards(int d) { Step(d); }

inline __attribute__((always_inline)) void AntRobot::Step(int d) {
  if (!(energy > 0.0)) return;
  int dx = 0;
  int dy = 0;
  Offset(d, dx, dy);
  int targetX = Shift(x, dx);
  int targetY = Shift(y, dy);
  int allowed = room->MovesAsFoodRoom() ? room->FoodMove(targetX, targetY) : room->CanMove(targetX, targetY);
  if (allowed == 1) {
    x = targetX;
    y = targetY;
  }
  energy -= 1.0;
}

void AntRobot::MoveForward() { Step(direction); }

void AntRobot::MoveBackward() {
  // The opposite direction; directions outside 0 .. 3 stay without offset.
  int d = direction >= 0 && direction <= 3 ? (direction + 2) % 4 : direction;
  StepTowards(d);
}

void AntRobot::TurnLeft() {
  direction = Shift(direction, 1);
  if (direction == 4) direction = 0;
}

void AntRobot::TurnRight() {
  direction = Shift(direction, -1);
  if (direction == -1) direction = 3;
}

void AntRobot::MoveLeft() {
  TurnLeft();
  MoveForward();
}

void AntRobot::MoveRight() {
  TurnRight();
  MoveForward();
}

double AntRobot::Sensor(double) { return FoodAhead() ? 1.0 : -1.0; }

inline __attribute__((always_inline)) bool AntRobot::FoodAhead() const {
  int dx = 0;
  int dy = 0;
  Offset(direction, dx, dy);
  return room->IsFood(Shift(x, dx), Shift(y, dy)) == 1;
}

bool AntRobot::HasActionLoop() const { return typeid(*this) == typeid(AntRobot); }

// The loop dispatches with the GNU extension of labels as values: each
// action jumps to the next one's handler on its own, which the processor
// predicts far better than one shared jump.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
bool AntRobot::RunActions(const Action* actions) {
  if (!HasActionLoop()) return false;
  RunActionLoop(actions, false);
  return true;
}

bool AntRobot::RunActionEpisode(const Action* actions) {
  if (!HasActionLoop()) return false;
  RunActionLoop(actions, true);
  return true;
}

// Both loops: the jump to the handler of the action numbered to, and the
// start, with the table of handlers (a label for each action code in order)
// and the jump to the first action.
#define MORVANE2_NEXT(to)                       \
  do {                                          \
    at = actions + (to);                        \
    goto* handlers[static_cast<int>(at->code)]; \
  } while (false)
#define MORVANE2_START                                                                                       \
  static const void* const handlers[] = {&&MoveForward, &&MoveBackward, &&MoveLeft, &&MoveRight, &&TurnLeft, \
                                         &&TurnRight,   &&TestFood,     &&Jump,     &&End};                  \
  static_assert(std::size(handlers) == static_cast<std::size_t>(ActionCode::End) + 1,                        \
                "a handler per action");                                                                     \
  const Action* at = actions;                                                                                \
  MORVANE2_NEXT(0)

bool AntRobot::RunCellLoop(const Action* actions, bool wholeEpisode) {
  AntRoom::Cells cells;
  if (!room->GetCells(cells)) return false;
  if (x < 0 || x >= cells.width || y < 0 || y >= cells.height || direction < 0 || direction > 3) return false;
  static constexpr int kDx[4] = {1, 0, -1, 0};
  static constexpr int kDy[4] = {0, 1, 0, -1};
  // Inside the grid, each step goes to a neighbour inside it or reports: the
  // coordinates stay far from the int range.
  int cx = x;
  int cy = y;
  int d = direction;
  double e = energy;
  const std::size_t rows = static_cast<std::size_t>(cells.height);
  auto save = [&] {
    x = cx;
    y = cy;
    direction = d;
    energy = e;
  };
  // Saved first, then reported as the room reports it (method: "CanMove"
  // for a step, "IsFood" for a look).
  auto checkCell = [&](int tx, int ty, const char* method) {
    if (static_cast<unsigned>(tx) >= static_cast<unsigned>(cells.width) ||
        static_cast<unsigned>(ty) >= static_cast<unsigned>(cells.height)) {
      save();
      room->ReportOutside(method);
    }
  };
  // A step towards s as Step and the food room's FoodMove take it.
#define MORVANE2_STEP(s)                                                                  \
  do {                                                                                    \
    if (e > 0.0) {                                                                        \
      int tx = cx + kDx[s];                                                               \
      int ty = cy + kDy[s];                                                               \
      checkCell(tx, ty, "CanMove");                                                       \
      std::size_t k = static_cast<std::size_t>(tx) * rows + static_cast<std::size_t>(ty); \
      if (cells.walls[k] != 2) {                                                          \
        if (cells.food[k] == 1) cells.food[k] = -1;                                       \
        cx = tx;                                                                          \
        cy = ty;                                                                          \
      }                                                                                   \
      e -= 1.0;                                                                           \
    }                                                                                     \
  } while (false)
  MORVANE2_START;
MoveForward:
  MORVANE2_STEP(d);
  MORVANE2_NEXT(at->next);
MoveBackward:
  MORVANE2_STEP((d + 2) & 3);
  MORVANE2_NEXT(at->next);
MoveLeft:
  d = (d + 1) & 3;
  MORVANE2_STEP(d);
  MORVANE2_NEXT(at->next);
MoveRight:
  d = (d + 3) & 3;
  MORVANE2_STEP(d);
  MORVANE2_NEXT(at->next);
TurnLeft:
  d = (d + 1) & 3;
  MORVANE2_NEXT(at->next);
TurnRight:
  d = (d + 3) & 3;
  MORVANE2_NEXT(at->next);
TestFood : {
  int tx = cx + kDx[d];
  int ty = cy + kDy[d];
  checkCell(tx, ty, "IsFood");
  bool food = cells.food[static_cast<std::size_t>(tx) * rows + static_cast<std::size_t>(ty)] == 1;
  MORVANE2_NEXT(food ? at->next : at->otherwise);
}
Jump:
  MORVANE2_NEXT(at->next);
End:
  if (wholeEpisode) {
    e -= 1.0;
    if (e > 0.0) MORVANE2_NEXT(0);
  }
#undef MORVANE2_STEP
  save();
  return true;
}

void AntRobot::RunActionLoop(const Action* actions, bool wholeEpisode) {
  if (RunCellLoop(actions, wholeEpisode)) return;
  MORVANE2_START;
MoveForward:
  Step(direction);
  MORVANE2_NEXT(at->next);
MoveBackward:
  AntRobot::MoveBackward();
  MORVANE2_NEXT(at->next);
MoveLeft:
  AntRobot::TurnLeft();
  Step(direction);
  MORVANE2_NEXT(at->next);
MoveRight:
  AntRobot::TurnRight();
  Step(direction);
  MORVANE2_NEXT(at->next);
TurnLeft:
  AntRobot::TurnLeft();
  MORVANE2_NEXT(at->next);
TurnRight:
  AntRobot::TurnRight();
  MORVANE2_NEXT(at->next);
TestFood:
  // The sensor reads 1.0 with food ahead, else -1.0.
  MORVANE2_NEXT(FoodAhead() ? at->next : at->otherwise);
Jump:
  MORVANE2_NEXT(at->next);
End:
  if (wholeEpisode) {
    ConsumeEnergy(1.0);
    if (energy > 0.0) MORVANE2_NEXT(0);
  }
}
#undef MORVANE2_START
#undef MORVANE2_NEXT
#pragma GCC diagnostic pop

int AntRobot::TurnBy(int d, int k) {
  long long r = static_cast<long long>(d) + k;
  if (r < 0) {
    r += 4;
  } else if (r > 3) {
    r -= 4;
  }
  return r < INT_MIN ? INT_MIN : (r > INT_MAX ? INT_MAX : static_cast<int>(r));
}

HPAntRobot::HPAntRobot(HPAntRoom* room) : AntRobot(room), hpRoom(room) {}

double HPAntRobot::Sensor(double v) {
  int k = TruncToInt(v) % 11;
  int cellX = x;
  int cellY = y;
  if (k <= 3) {
    int dx = 0;
    int dy = 0;
    Offset(TurnBy(direction, k), dx, dy);
    cellX = Shift(x, dx);
    cellY = Shift(y, dy);
  } else if (k <= 7) {
    switch (TurnBy(direction, k - 4)) {
      case 0:
        cellX = Shift(x, 1);
        cellY = Shift(y, 1);
        break;
      case 1:
        cellX = Shift(x, -1);
        cellY = Shift(y, 1);
        break;
      case 2:
        cellX = Shift(x, -1);
        cellY = Shift(y, -1);
        break;
      case 3:
        cellX = Shift(x, 1);
        cellY = Shift(y, -1);
        break;
      default:
        break;
    }
  } else if (k == 8) {
    // The robot's own cell.
  } else {
    return static_cast<double>(hpRoom->NextMolecule(k - 9));
  }
  return static_cast<double>(hpRoom->Molecule(cellX, cellY));
}
