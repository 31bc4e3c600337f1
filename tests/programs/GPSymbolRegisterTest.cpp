#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/Utility.h"
#include "programs/GPSymbolRegister.h"

namespace {
using ::testing::ExitedWithCode;

// The table as the window writes it with its initial settings.
const char* WindowTable =
    "2\t1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0 \n"
    "6\tProg2 iflte Plus2 Times2 \n"
    "2\tsensor moveForward0 moveBackward0 moveLeft1 moveRight1 \n";

struct GPSymbolRegisterTest : ::testing::Test {
  OperatorRegister operators{100};

  std::unique_ptr<GPSymbolRegister> Read(const std::string& text) {
    std::istringstream table(text);
    return std::make_unique<GPSymbolRegister>(&operators, table);
  }
};

TEST_F(GPSymbolRegisterTest, ReadsTheWindowsTable) {
  auto symbols = Read(WindowTable);
  // The final line feed adds no class.
  ASSERT_EQ(symbols->GetClassCount(), 3);
  EXPECT_EQ(symbols->GetWeight(0), 2.0);
  EXPECT_EQ(symbols->GetWeight(1), 6.0);
  EXPECT_EQ(symbols->GetWeight(2), 2.0);
  EXPECT_EQ(symbols->GetClass(0)->Size(), 10);
  EXPECT_EQ(symbols->GetClass(1)->Size(), 4);
  EXPECT_EQ(symbols->GetClass(2)->Size(), 5);
  EXPECT_EQ(symbols->GetTerminals(), symbols->GetClass(0));
  EXPECT_EQ(symbols->GetClass(1)->Get(0), operators.Get("Prog2"));
  EXPECT_EQ(symbols->GetClass(1)->Get(3), operators.Get("Times2"));
  EXPECT_EQ(symbols->GetClass(0)->Get(9)->GetName(), "10.0");
}

TEST_F(GPSymbolRegisterTest, LinesAndSeparators) {
  // No final line feed, blank lines, CR LF line ends, runs of blanks and
  // tabs; a weight with no names is an empty class; a name may repeat.
  auto symbols = Read("0.5  x0\t\tx1\r\n\n   \n1 Plus2 Plus2\n3\n  4\tx0");
  ASSERT_EQ(symbols->GetClassCount(), 4);
  EXPECT_EQ(symbols->GetWeight(0), 0.5);
  EXPECT_EQ(symbols->GetClass(0)->Size(), 2);
  EXPECT_EQ(symbols->GetClass(0)->Get(1), operators.Get("x1"));
  EXPECT_EQ(symbols->GetClass(1)->Size(), 2);
  EXPECT_EQ(symbols->GetClass(1)->Get(0), symbols->GetClass(1)->Get(1));
  EXPECT_EQ(symbols->GetClass(2)->Size(), 0);
  EXPECT_EQ(symbols->GetWeight(3), 4.0);
  EXPECT_EQ(symbols->GetClass(3)->Get(0), symbols->GetClass(0)->Get(0));
  EXPECT_EQ(Read("")->GetClassCount(), 0);
  EXPECT_EQ(Read("\n\n")->GetClassCount(), 0);
}

TEST_F(GPSymbolRegisterTest, DrawsClassesByWeight) {
  auto symbols = Read(WindowTable);
  GetUtility()->Seed(20240611U);
  const int draws = 20000;
  int functions = 0;
  std::set<Operator*> seen;
  for (int i = 0; i < draws; ++i) {
    Operator* op = symbols->GetRandomOperator();
    seen.insert(op);
    for (int k = 0; k < symbols->GetClass(1)->Size(); ++k) {
      if (symbols->GetClass(1)->Get(k) == op) ++functions;
    }
  }
  // Expected 0.6; the standard error over 20000 draws is about 0.0035.
  double share = static_cast<double>(functions) / draws;
  EXPECT_GT(share, 0.57);
  EXPECT_LT(share, 0.63);
  // Every operator of every class turns up.
  EXPECT_EQ(seen.size(), 19U);
}

TEST_F(GPSymbolRegisterTest, TerminalsComeFromClassZeroOnly) {
  auto symbols = Read("1 x0 x1 x2\n5 Plus2\n");
  GetUtility()->Seed(7U);
  std::set<Operator*> seen;
  for (int i = 0; i < 300; ++i) seen.insert(symbols->GetRandomTerminal());
  EXPECT_EQ(seen, (std::set<Operator*>{operators.Get("x0"), operators.Get("x1"), operators.Get("x2")}));
  // With the other weights 0 only class 0 is drawn.
  auto zero = Read("1 x0\n0 Plus2\n0 Times2\n");
  for (int i = 0; i < 300; ++i) EXPECT_EQ(zero->GetRandomOperator(), operators.Get("x0"));
}

// Each draw is a roulette over the weights as read, then an operator of the
// class drawn: the same numbers from the generator give the same operators,
// also where the weights' sums round (0.1 + 0.2), some are 0, -0 or
// negative, their sum overflows, or all are 0 (the roulette then falls back
// on a uniform draw).
TEST_F(GPSymbolRegisterTest, DrawsAsARouletteOverTheWeights) {
  for (const char* table : {"0.1 x0 x1\n0.2 Plus2\n0.3 Times2 Prog2\n", "1 x0\n0 Plus2\n2.5 Times2\n",
                            "3 x0\n-1 Plus2\n1e-300 Times2\n", "0 x0\n0 Plus2\n",
                            "1e308 x0\n1e308 Plus2\n1 Times2\n", "0 x0\n-0 Plus2\n2 Times2\n0 Prog2\n"}) {
    auto symbols = Read(table);
    DoubleArray weights(GPSymbolRegister::ClassCapacity);
    for (int k = 0; k < symbols->GetClassCount(); ++k) weights.Add(symbols->GetWeight(k));
    GetUtility()->Seed(99U);
    std::vector<Operator*> drawn;
    for (int i = 0; i < 2000; ++i) drawn.push_back(symbols->GetRandomOperator());
    GetUtility()->Seed(99U);
    for (int i = 0; i < 2000; ++i) {
      OperatorArray* row = symbols->GetClass(weights.Roulette());
      ASSERT_EQ(drawn[static_cast<std::size_t>(i)], row->Get(GetUtility()->RandomInt(row->Size())))
          << table << " draw " << i;
    }
  }
}

using GPSymbolRegisterDeathTest = GPSymbolRegisterTest;

TEST_F(GPSymbolRegisterDeathTest, BadTablesAreReported) {
  EXPECT_EXIT(Read("2 Plus2 Minus2\n"), ExitedWithCode(1),
              "^" +
                  ExactLine("Fatal error: Operator can not be created at OperatorRegister::Create\n") +
                  "$");
  EXPECT_EXIT(
      Read("Plus2 Times2\n"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: table weight is not a number: Plus2 at GPSymbolRegister::ReadTable\n") +
          "$");
  EXPECT_EXIT(
      Read("2x x0\n"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: table weight is not a number: 2x at GPSymbolRegister::ReadTable\n") +
          "$");
  EXPECT_EXIT(
      Read("nan x0\n"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: table weight is not a number: nan at GPSymbolRegister::ReadTable\n") +
          "$");
  EXPECT_EXIT(
      Read("1 " + std::string(998, 'x') + "\n"), ExitedWithCode(1),
      "^" + ExactLine("Fatal error: table line longer than 999 characters at GPSymbolRegister::ReadTable\n") +
          "$");
  // 999 characters still fit (and then fail on the long name).
  EXPECT_EXIT(Read("1 " + std::string(997, 'x') + "\n"), ExitedWithCode(1),
              "^" +
                  ExactLine("Fatal error: Operator can not be created at OperatorRegister::Create\n") +
                  "$");
}

TEST_F(GPSymbolRegisterDeathTest, CapacitiesAndEmptyClasses) {
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += "1 x0\n";
  EXPECT_EXIT(Read(eleven), ExitedWithCode(1),
              "^" +
                  ExactLine("Warning: The node-set table has more than 10 lines with a weight at "
                            "GPSymbolRegister::ReadTable\nCapacity 10 is full  at DoubleArray::Add\n") +
                  "$");
  std::string fiftyOne = "1";
  for (int i = 0; i < 51; ++i) fiftyOne += " x0";
  EXPECT_EXIT(Read(fiftyOne), ExitedWithCode(1),
              "^" +
                  ExactLine("Warning: Line 1 of the node-set table lists more than 50 operator names at "
                            "GPSymbolRegister::ReadTable\nCapacity 50 is full  at OperatorArray::Add\n") +
                  "$");
  // Ten classes of fifty names fit.
  std::string full;
  for (int k = 0; k < 10; ++k) {
    full += "1";
    for (int i = 0; i < 50; ++i) full += " x0";
    full += "\n";
  }
  EXPECT_EQ(Read(full)->GetClass(9)->Size(), 50);
  // An empty class drawn from is named as it is drawn from, with its line.
  const std::string emptyClass =
      "Warning: Line 3 of the node-set table has a weight and no operator names; drawing from its class ends "
      "the run at GPSymbolRegister::";
  EXPECT_EXIT(Read("0 x0\n\n1\n")->GetRandomOperator(), ExitedWithCode(1),
              "^" + ExactLine(emptyClass + "GetRandomOperator\nArray index 0 is over size 0 at OperatorArray::Get\n") +
                  "$");
  EXPECT_EXIT(Read("1\n")->GetRandomTerminal(), ExitedWithCode(1),
              "^" +
                  ExactLine("Warning: Line 1 of the node-set table has a weight and no operator names; drawing from "
                            "its class ends the run at GPSymbolRegister::GetRandomTerminal\n"
                            "Array index 0 is over size 0 at OperatorArray::Get\n") +
                  "$");
  // No classes at all.
  EXPECT_EXIT(Read("\n\n")->GetTerminals(), ExitedWithCode(1),
              "^" +
                  ExactLine("Warning: The node-set table has no line with a weight; drawing from it ends the run "
                            "at GPSymbolRegister::ReadTable\n"
                            "Array index 0 is over size 0 at Operator2DArray::Get\n") +
                  "$");
  // Empty classes that are not drawn from say nothing: one of weight 0, and
  // one that a run only drawing terminals never reaches.
  testing::internal::CaptureStderr();
  Read("1 x0\n0\n");
  auto unused = Read("1 x0\n1\n");
  EXPECT_EQ(unused->GetRandomTerminal()->GetName(), "x0");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
