#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "TestSupport.h"
#include "foundation/NumericArrays.h"

namespace {
class SampleReporter {
 public:
  virtual ~SampleReporter() = default;
};
class DerivedReporter : public SampleReporter {};

using ::testing::ExitedWithCode;

TEST(ExceptionDeathTest, EachFatalKindWritesItsLineAndExitsWithStatusOne) {
  EXPECT_EXIT(GetException()->CastError("Individual", "DoubleTypeFitnessIndividual",
                                        "DoubleTypeFitnessIndividualLessComparator", "Compare"),
              ExitedWithCode(1),
              "^" + ExactLine("Cast from Individual to DoubleTypeFitnessIndividual failed at "
                              "DoubleTypeFitnessIndividualLessComparator::Compare\n") + "$");
  EXPECT_EXIT(GetException()->FatalError("Not initialized", "GPProducer", "GetProblem"),
              ExitedWithCode(1), "^" + ExactLine("Fatal error: Not initialized at GPProducer::GetProblem\n") + "$");
  EXPECT_EXIT(GetException()->ArrayIndexError(7, 7, "DoubleArray", "Get"), ExitedWithCode(1),
              "^" + ExactLine("Array index 7 is over size 7 at DoubleArray::Get\n") + "$");
  EXPECT_EXIT(GetException()->CapacityError(100, "IndividualArray", "Add"), ExitedWithCode(1),
              "^" + ExactLine("Capacity 100 is full  at IndividualArray::Add\n") + "$");
  EXPECT_EXIT(GetException()->TooMuchCallError(3, 3, "TimeEstimator", "Estimate"),
              ExitedWithCode(1),
              "^" + ExactLine("Too much call: counter 3 is over 3 at TimeEstimator::Estimate\n") + "$");
  EXPECT_EXIT(GetException()->LispInterpretationError("type error", "BoolOperator", "Operate"),
              ExitedWithCode(1),
              "^" + ExactLine("Lisp interpretation error: type error at BoolOperator::Operate\n") + "$");
}

TEST(ExceptionDeathTest, WarningReturnsAndLaterReportsGetTheirOwnLine) {
  EXPECT_EXIT(
      {
        GetException()->Warning("Not Sorted", "IndividualSorter", "Sort");
        GetException()->Warning("again", "IndividualSorter", "Sort");
        GetException()->FatalError("end", "X", "Y");
      },
      ExitedWithCode(1),
      "^" + ExactLine("Warning: Not Sorted at IndividualSorter::Sort\nWarning: again at "
                      "IndividualSorter::Sort\nFatal error: end at X::Y\n") + "$");
}

TEST(ExceptionDeathTest, ReportFromAnotherThreadEndsTheProcessCleanly) {
  EXPECT_EXIT(
      {
        std::thread worker([] { GetException()->FatalError("from worker", "ThreadSystem", "Execute"); });
        worker.join();
      },
      ExitedWithCode(1), ExactLine("Fatal error: from worker at ThreadSystem::Execute"));
}

TEST(ExceptionTest, ClassNamesArePlainAndDynamic) {
  DerivedReporter derived;
  const SampleReporter& base = derived;
  EXPECT_EQ(ClassNameOf(base), "DerivedReporter");
  IntArray ints(1);
  const Array<int>& asBase = ints;
  EXPECT_EQ(ClassNameOf(asBase), "IntArray");
  Array<double> plain(1);
  EXPECT_EQ(ClassNameOf(plain), "Array");
}

TEST(ExceptionDeathTest, ArrayReportsNameTheDerivedClass) {
  IntArray ints(2);
  EXPECT_EXIT(ints.Get(0), ExitedWithCode(1), ExactLine("Array index 0 is over size 0 at IntArray::Get"));
}
}  // namespace

namespace {
TEST(ExceptionDeathTest, FailedAllocationIsReportedLikeAnyError) {
  EXPECT_EXIT(
      {
        std::new_handler handler = std::get_new_handler();
        ASSERT_NE(handler, nullptr);
        handler();
      },
      ::testing::ExitedWithCode(1), "^" + ExactLine("Fatal error: Out of memory at Exception::New\n") + "$");
}

TEST(ExceptionCaptureTest, AFatalReportThrowsItsLineAndWarningsAreKept) {
  Exception::CaptureScope capture;
  EXPECT_TRUE(Exception::IsCapturing());
  GetException()->Warning("Not Sorted", "IndividualSorter", "Sort");
  GetException()->Diagnostic("missing_key\n");
  try {
    GetException()->FatalError("Can not find ", "IntRegister", "Create");
    FAIL() << "the report returned";
  } catch (const Exception::CapturedReport& report) {
    EXPECT_STREQ(report.what(), "Fatal error: Can not find  at IntRegister::Create");
  }
  EXPECT_EQ(capture.TakeText(), "Warning: Not Sorted at IndividualSorter::Sort\nmissing_key\n");
  EXPECT_EQ(capture.Text(), "");
  // Array reports go the same way.
  IntArray ints(1);
  EXPECT_THROW(ints.Get(3), Exception::CapturedReport);
}

TEST(ExceptionCaptureTest, ScopesNestAndBelongToOneThread) {
  {
    Exception::CaptureScope outer;
    {
      Exception::CaptureScope inner;
      GetException()->Diagnostic("inner\n");
      EXPECT_EQ(inner.Text(), "inner\n");
    }
    GetException()->Diagnostic("outer\n");
    EXPECT_EQ(outer.Text(), "outer\n");
    bool otherCaptures = true;
    std::thread other([&] { otherCaptures = Exception::IsCapturing(); });
    other.join();
    EXPECT_FALSE(otherCaptures);
  }
  EXPECT_FALSE(Exception::IsCapturing());
}

TEST(ExceptionCaptureDeathTest, OutsideTheScopeReportsEndTheProcessAgain) {
  EXPECT_EXIT(
      {
        { Exception::CaptureScope capture; }
        GetException()->Diagnostic("key\n");
        GetException()->FatalError("Can not find ", "IntRegister", "Create");
      },
      ExitedWithCode(1), "^" + ExactLine("key\nFatal error: Can not find  at IntRegister::Create\n") + "$");
}
}  // namespace
