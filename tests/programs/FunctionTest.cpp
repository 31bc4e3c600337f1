#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "CountingRobot.h"
#include "TestSupport.h"
#include "programs/FunctionRegister.h"

namespace {
using ::testing::ExitedWithCode;

// Calls f on an array holding exactly the given values.
template <class F>
double OnDoubles(F& f, std::initializer_list<double> values) {
  DoubleArray a(static_cast<int>(values.size()));
  for (double v : values) a.Add(v);
  return f.Calculate(a);
}

double OnDoublesWith(RobotFunction& f, std::initializer_list<double> values, Robot* robot) {
  DoubleArray a(static_cast<int>(values.size()));
  for (double v : values) a.Add(v);
  return f.Calculate(a, robot);
}

template <class F>
int OnInts(F& f, std::initializer_list<int> values) {
  IntArray a(static_cast<int>(values.size()));
  for (int v : values) a.Add(v);
  return f.Calculate(a);
}

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

TEST(FunctionTest, ArithmeticIntAndDoubleForms) {
  FunctionPlus plus;
  FunctionSubtract subtract;
  FunctionTimes times;
  EXPECT_EQ(OnInts(plus, {}), 0);
  EXPECT_EQ(OnInts(plus, {2, 3, -7}), -2);
  EXPECT_EQ(OnDoubles(plus, {}), 0.0);
  EXPECT_EQ(OnDoubles(plus, {2.5, 0.25}), 2.75);
  EXPECT_EQ(OnInts(times, {}), 1);
  EXPECT_EQ(OnInts(times, {2, 3, -7}), -42);
  EXPECT_EQ(OnDoubles(times, {}), 1.0);
  EXPECT_EQ(OnDoubles(times, {2.5, -4.0}), -10.0);
  // Subtract reads only the first two entries.
  EXPECT_EQ(OnInts(subtract, {5, 3, 100}), 2);
  EXPECT_EQ(OnDoubles(subtract, {5.0, 0.5, 100.0}), 4.5);
  // The int forms wrap around instead of overflowing.
  EXPECT_EQ(OnInts(plus, {INT_MAX, 1}), INT_MIN);
  EXPECT_EQ(OnInts(times, {65536, 65536}), 0);
  EXPECT_EQ(OnInts(times, {INT_MIN, -1}), INT_MIN);
  EXPECT_EQ(OnInts(subtract, {INT_MIN, 1}), INT_MAX);
  // The base classes answer their defaults.
  BasicFunction basic;
  EXPECT_EQ(OnInts(basic, {4}), 0);
  EXPECT_EQ(OnDoubles(basic, {4.0}), 0.0);
}

TEST(FunctionTest, ProtectedDivisionAndLogarithms) {
  FunctionDivide divide;
  EXPECT_EQ(OnDoubles(divide, {5.0, 0.0}), 1.0);
  EXPECT_EQ(OnDoubles(divide, {5.0, 1e-11}), 1.0);
  EXPECT_EQ(OnDoubles(divide, {5.0, -1e-11}), 1.0);
  EXPECT_EQ(OnDoubles(divide, {5.0, 2.0}), 2.5);
  EXPECT_EQ(OnDoubles(divide, {5.0, 1e-10}), 5e10);  // the threshold itself divides

  FunctionLn ln;
  EXPECT_EQ(OnDoubles(ln, {0.0}), 0.0);
  EXPECT_EQ(OnDoubles(ln, {5e-11}), 0.0);
  EXPECT_NEAR(OnDoubles(ln, {-std::exp(1.0)}), 1.0, 1e-15);
  EXPECT_EQ(OnDoubles(ln, {1.0}), 0.0);

  FunctionLog log;
  EXPECT_EQ(OnDoubles(log, {1.0, 8.0}), 1.0);  // base 1
  EXPECT_DOUBLE_EQ(OnDoubles(log, {2.0, 8.0}), 3.0);
  EXPECT_DOUBLE_EQ(OnDoubles(log, {-2.0, -8.0}), 3.0);
  EXPECT_EQ(OnDoubles(log, {0.0, 8.0}), 0.0);
  EXPECT_EQ(OnDoubles(log, {2.0, 0.0}), 0.0);
  EXPECT_EQ(OnDoubles(log, {0.0, 0.0}), 0.0);
}

TEST(FunctionTest, ExponentialAndPowerAreClamped) {
  FunctionExp exp;
  EXPECT_EQ(OnDoubles(exp, {100.0}), std::pow(2.71828, 50.0));
  EXPECT_EQ(OnDoubles(exp, {-100.0}), std::pow(2.71828, -50.0));
  EXPECT_EQ(OnDoubles(exp, {NaN}), std::pow(2.71828, -50.0));
  EXPECT_EQ(OnDoubles(exp, {Inf}), std::pow(2.71828, 50.0));
  // The literal base, not the exact e.
  EXPECT_EQ(OnDoubles(exp, {1.0}), 2.71828);

  FunctionPow pow;
  EXPECT_EQ(OnDoubles(pow, {0.0, 0.0}), 0.0);
  EXPECT_EQ(OnDoubles(pow, {0.0, -3.0}), 0.0);
  EXPECT_EQ(OnDoubles(pow, {0.0, 2.0}), 0.0);
  EXPECT_EQ(OnDoubles(pow, {-2.0, 2.7}), 4.0);    // exponent truncated to 2
  EXPECT_EQ(OnDoubles(pow, {-2.0, -1.5}), -0.5);  // ... and to -1
  EXPECT_EQ(OnDoubles(pow, {-2.0, 0.9}), 1.0);    // ... and to 0
  EXPECT_EQ(OnDoubles(pow, {60.0, 2.0}), 2500.0);
  EXPECT_EQ(OnDoubles(pow, {2.0, 60.0}), std::pow(2.0, 50.0));
  EXPECT_EQ(OnDoubles(pow, {-60.0, 3.0}), -125000.0);
  EXPECT_EQ(OnDoubles(pow, {2.0, NaN}), std::pow(2.0, -50.0));
  EXPECT_EQ(OnDoubles(pow, {NaN, 2.0}), 2500.0);  // the base becomes -50
  EXPECT_EQ(OnDoubles(pow, {-2.0, -Inf}), std::pow(-2.0, -50.0));
  EXPECT_EQ(OnDoubles(pow, {2.0, 0.5}), std::sqrt(2.0));
}

TEST(FunctionTest, TrigonometryInRadians) {
  FunctionSin sin;
  FunctionCos cos;
  EXPECT_EQ(OnDoubles(sin, {0.0}), 0.0);
  EXPECT_NEAR(OnDoubles(sin, {std::numbers::pi / 2}), 1.0, 1e-15);
  EXPECT_NEAR(OnDoubles(cos, {std::numbers::pi}), -1.0, 1e-15);
}

TEST(FunctionTest, Logic) {
  FunctionAnd andF;
  FunctionOr orF;
  FunctionNand nand;
  FunctionNor nor;
  EXPECT_EQ(OnInts(andF, {1, 1}), 1);
  EXPECT_EQ(OnInts(andF, {1, 0}), 0);
  EXPECT_EQ(OnInts(andF, {}), 1);
  EXPECT_EQ(OnInts(orF, {0, 0}), 0);
  EXPECT_EQ(OnInts(orF, {0, 1}), 1);
  EXPECT_EQ(OnInts(nand, {1, 1}), 0);
  EXPECT_EQ(OnInts(nand, {1, 0}), 1);
  EXPECT_EQ(OnInts(nor, {0, 0}), 1);
  EXPECT_EQ(OnInts(nor, {1, 0}), 0);
  // "not" is nor over one argument.
  EXPECT_EQ(OnInts(nor, {0}), 1);
  EXPECT_EQ(OnInts(nor, {1}), 0);
}

TEST(FunctionTest, RobotActionsDispatchOnTheArgumentCount) {
  CountingRobot robot;
  FunctionMoveLeft left;
  FunctionMoveRight right;
  FunctionMoveForward forward;
  FunctionTurnRight turn;
  FunctionSensor sensor;
  robot.reading = 0.75;
  EXPECT_EQ(OnDoublesWith(left, {}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(left, {1.5}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(left, {1.5, 2.5}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(right, {3.0, 4.0}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(forward, {}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(turn, {0.5}, &robot), 0.0);
  EXPECT_EQ(OnDoublesWith(sensor, {0.25}, &robot), 0.75);
  EXPECT_EQ(robot.calls,
            (std::vector<std::string>{"MoveLeft()", "MoveLeft(1.5)", "MoveLeft(1.5,2.5)", "MoveRight(3,4)",
                                      "MoveForward()", "TurnRight(0.5)", "Sensor(0.25)"}));
}

TEST(FunctionDeathTest, RobotActionWithoutAnOperationForTheCount) {
  CountingRobot robot;
  FunctionMoveForward forward;
  FunctionTurnLeft turn;
  FunctionMoveLeft left;
  EXPECT_EXIT(OnDoublesWith(forward, {1.0, 2.0}, &robot), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid arity at FunctionMoveForward::f\n") + "$");
  EXPECT_EXIT(OnDoublesWith(turn, {1.0, 2.0}, &robot), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid arity at FunctionTurnLeft::f\n") + "$");
  EXPECT_EXIT(OnDoublesWith(left, {1.0, 2.0, 3.0}, &robot), ExitedWithCode(1),
              "^" + ExactLine("Fatal error: Invalid arity at FunctionMoveLeft::f\n") + "$");
}

TEST(FunctionDeathTest, MissingEntryIsAnIndexReport) {
  FunctionDivide divide;
  FunctionSubtract subtract;
  EXPECT_EXIT(OnDoubles(divide, {1.0}), ExitedWithCode(1),
              "^" + ExactLine("Array index 1 is over size 1 at DoubleArray::Get\n") + "$");
  EXPECT_EXIT(OnInts(subtract, {}), ExitedWithCode(1),
              "^" + ExactLine("Array index 0 is over size 0 at IntArray::Get\n") + "$");
}

TEST(FunctionRegisterTest, OneSharedObjectPerKey) {
  BasicFunctionRegister basic(100);
  BasicFunction* plus = basic.Get("Plus");
  EXPECT_EQ(basic.Get("Plus"), plus);
  EXPECT_NE(dynamic_cast<FunctionPlus*>(plus), nullptr);
  // "Prog" is the product under a key of its own.
  EXPECT_NE(dynamic_cast<FunctionTimes*>(basic.Get("Prog")), nullptr);
  EXPECT_NE(basic.Get("Prog"), basic.Get("Times"));
  EXPECT_EQ(basic.Count(), 3);

  // "not" is nor under a key of its own.
  BoolFunctionRegister logic(100);
  EXPECT_NE(dynamic_cast<FunctionNor*>(logic.Get("not")), nullptr);
  EXPECT_NE(logic.Get("not"), logic.Get("nor"));

  IntConstRegister ints(100);
  IntConst* three = ints.Get(3);
  EXPECT_EQ(ints.Get(3), three);
  EXPECT_EQ(three->GetValue(), 3);
  EXPECT_NE(ints.Get(-3), three);

  DoubleConstRegister doubles(100);
  DoubleConst* one = doubles.Get(1.0);
  EXPECT_EQ(doubles.Get(1.0), one);
  EXPECT_NE(doubles.Get(1.0000000001), one);
  EXPECT_EQ(doubles.Get(1.0000000001)->GetValue(), 1.0000000001);
}

TEST(FunctionRegisterDeathTest, UnknownKeysAndCapacity) {
  BasicFunctionRegister basic(100);
  EXPECT_EXIT(
      basic.Get("plus"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: Function can not be created at BasicFunctionRegister::Create\n") + "$");
  RobotFunctionRegister robot(100);
  EXPECT_EXIT(
      robot.Get("moveForward0"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: Function can not be created at RobotFunctionRegister::Create\n") + "$");
  IntNonArgFunctionRegister intNonArg(100);
  EXPECT_EXIT(
      intNonArg.Get("1"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: Function can not be created at IntNonArgFunctionRegister::Create\n") +
          "$");
  DoubleNonArgFunctionRegister doubleNonArg(100);
  EXPECT_EXIT(
      doubleNonArg.Get(""), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: Function can not be created at DoubleNonArgFunctionRegister::Create\n") +
          "$");
  IntConstRegister ints(2);
  ints.Get(1);
  ints.Get(2);
  ints.Get(1);
  EXPECT_EXIT(ints.Get(3), ExitedWithCode(1),
              "^" + ExactLine("Capacity 2 is full  at IntConstRegister::Push\n") + "$");
}

}  // namespace
