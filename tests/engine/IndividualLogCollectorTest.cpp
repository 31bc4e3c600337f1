#include "engine/IndividualLogCollector.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "TestSupport.h"
#include "config/Log.h"
#include "engine/FakeLispCode.h"

namespace {
using ::testing::ExitedWithCode;

// Adds one run's values to the last collector of the named array.
void Record(IndividualLogCollectorsRegister& collectors, const std::string& name,
            std::initializer_list<double> values) {
  for (double value : values) {
    std::unique_ptr<Individual> individual(MakeIndividual("x", value));
    individual->Accept(collectors.Get(name)->Top());
  }
}

// Statistics streams written to strings instead of files.
class StatisticsTest : public ::testing::Test {
 protected:
  StatisticsTest() {
    DeleteLog();
    for (const char* name : {"online-mean", "online-sd", "offline-mean", "offline-sd", "best"}) {
      auto* stream = new MultiStream(1);
      stream->Add(&texts[name]);
      GetLog()->Push(name, stream);
    }
  }
  ~StatisticsTest() override { DeleteLog(); }
  std::string Text(const std::string& name) { return texts[name].str(); }
  std::map<std::string, std::ostringstream> texts;
};

TEST(IndividualLogCollectorTest, CollectsFitnessInVisitingOrderUpToItsCapacity) {
  IndividualLogCollector collector(2);
  std::unique_ptr<Individual> a(MakeIndividual("a", 1.5));
  std::unique_ptr<Individual> b(MakeIndividual("b", -2));
  a->Accept(&collector);
  b->Accept(&collector);
  EXPECT_EQ(collector.GetValues()->Size(), 2);
  EXPECT_EQ(collector.GetValues()->Get(1), -2);
  EXPECT_EXIT(a->Accept(&collector), ExitedWithCode(1),
              "^" + ExactLine("Capacity 2 is full  at DoubleArray::Add\n") + "$");
}

TEST(IndividualLogCollectorTest, RegisterCreatesAnArrayWithOneCollectorPerRun) {
  IndividualLogCollectorsRegister collectors(20, 2, 3);
  IndividualLogCollectorArray* online = collectors.Get("online");
  EXPECT_EQ(online->Size(), 1);
  EXPECT_EQ(online->Capacity(), 3);                   // iteration count + 1
  EXPECT_EQ(online->Top()->GetValues()->Capacity(), 4);  // generation count + 1
  EXPECT_EQ(collectors.Get("online"), online);
  collectors.Get("offline");
  collectors.NextIteration();
  EXPECT_EQ(online->Size(), 2);
  EXPECT_EQ(collectors.Get("offline")->Size(), 2);
  collectors.NextIteration();
  EXPECT_EXIT(collectors.NextIteration(), ExitedWithCode(1),
              "^" + ExactLine("Capacity 3 is full  at IndividualLogCollectorArray::Add\n") + "$");
}

TEST(IndividualLogCollectorTest, GenerationIteratorCarriesAnEarlyStopForward) {
  IndividualLogCollectorsRegister collectors(20, 2, 10);
  Record(collectors, "online", {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1});
  collectors.NextIteration();
  Record(collectors, "online", {7, 6, 5, 4});  // solved at generation 3
  GenerationFixedIterator iterator(2);
  for (int g : {3, 4, 10}) {
    iterator.SetGeneration(g);
    collectors.Get("online")->Accept(&iterator);
    ASSERT_EQ(iterator.GetValues()->Size(), 2);
    EXPECT_EQ(iterator.GetValues()->Get(0), 9 - g);
    EXPECT_EQ(iterator.GetValues()->Get(1), 4);
  }
  EXPECT_EQ(iterator.Mean(), 1.5);
  EXPECT_EQ(iterator.StdDev(), 2.5);
}

TEST_F(StatisticsTest, TwoEqualRunsGiveTheirValueAndZeroDeviation) {
  IndividualLogCollectorsRegister collectors(20, 2, 2);
  Record(collectors, "online", {0.75, 0.5, 1.0 / 3});
  Record(collectors, "offline", {0.75, 0.5, 0.25});
  collectors.NextIteration();
  Record(collectors, "online", {0.75, 0.5, 1.0 / 3});
  Record(collectors, "offline", {0.75, 0.5, 0.25});
  WriteStatistics(&collectors, 2, 2, GetLog());
  EXPECT_EQ(Text("online-mean"), "0.75,0.5,0.333333");
  EXPECT_EQ(Text("online-sd"), "0,0,0");
  EXPECT_EQ(Text("offline-mean"), "0.75,0.5,0.25");
  EXPECT_EQ(Text("offline-sd"), "0,0,0");
  EXPECT_EQ(Text("best"), "0.25,0.25");
}

TEST_F(StatisticsTest, EarlyStopAndDifferentRuns) {
  IndividualLogCollectorsRegister collectors(20, 3, 3);
  Record(collectors, "online", {4, 3, 2, 1});
  Record(collectors, "offline", {4, 3, 2, 1});
  collectors.NextIteration();
  Record(collectors, "online", {6, 2});  // solved at generation 1
  Record(collectors, "offline", {6, 2});
  collectors.NextIteration();
  Record(collectors, "online", {2, 1, 1, 1e6});
  Record(collectors, "offline", {2, 1, 1, 1});
  WriteStatistics(&collectors, 3, 3, GetLog());
  EXPECT_EQ(Text("online-mean"), "4,2,1.66667,333334");
  EXPECT_EQ(Text("offline-mean"), "4,2,1.66667,1.33333");
  EXPECT_EQ(Text("best"), "1,2,1");
}

TEST_F(StatisticsTest, NoGenerationsGiveOneNumberAndNoComma) {
  IndividualLogCollectorsRegister collectors(20, 2, 0);
  Record(collectors, "online", {3});
  Record(collectors, "offline", {3});
  collectors.NextIteration();
  Record(collectors, "online", {5});
  Record(collectors, "offline", {1});
  WriteStatistics(&collectors, 2, 0, GetLog());
  EXPECT_EQ(Text("online-mean"), "4");
  EXPECT_EQ(Text("online-sd"), "1");
  EXPECT_EQ(Text("offline-mean"), "2");
  EXPECT_EQ(Text("offline-sd"), "1");
  EXPECT_EQ(Text("best"), "3,1");
}

TEST(StatisticsDeathTest, AStatisticStreamMissingFromTheLogSettingIsReported) {
  DeleteLog();
  IndividualLogCollectorsRegister collectors(20, 1, 0);
  Record(collectors, "online", {3});
  Record(collectors, "offline", {3});
  EXPECT_EXIT(WriteStatistics(&collectors, 1, 0, GetLog()), ExitedWithCode(1),
              "^" + ExactLine("online-mean\nFatal error: Can not find  at Log::Create\n") + "$");
}
}  // namespace
