#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <fstream>
#include <sstream>
#include <vector>

#include "TestSupport.h"
#include "config/Log.h"
#include "config/MultiStream.h"

namespace {
using ::testing::ExitedWithCode;

TEST(LogTest, PrefixConsoleAndFileDestinationsInOrder) {
  ScratchDir dir;
  DeleteLog();
  std::istringstream setting("prefix " + dir.Path() +
                             "/ streams\nlog cout log.txt \r\nsave save.txt\n\n"
                             "silent\nlog other.txt\n");
  GetLog()->ReadSetting(setting);
  testing::internal::CaptureStdout();
  *GetLog()->Get("log") << 3 << " : " << 0.25 << std::string("!") << std::endl;
  *GetLog()->Get("save") << "saved" << std::endl;
  *GetLog()->Get("silent") << "nowhere" << std::endl;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "3 : 0.25!\n");
  EXPECT_EQ(GetLog()->Get("log")->Size(), 2);  // no destination from "\r" or blanks
  EXPECT_EQ(GetLog()->Count(), 4);             // the second "log" line is registered, never used
  DeleteLog();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "3 : 0.25!\n");
  EXPECT_EQ(ReadWholeFile(dir.File("save.txt")), "saved\n");
  EXPECT_EQ(ReadWholeFile(dir.File("other.txt")), "");  // opened, truncated, never written
}

TEST(LogTest, RebuildingTruncatesTheFilesAndStartsEmpty) {
  ScratchDir dir;
  dir.Write("log.txt", "old contents");
  DeleteLog();
  std::istringstream first("a " + dir.Path() + "/ b\nlog log.txt\n");
  GetLog()->ReadSetting(first);
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "");
  *GetLog()->Get("log") << "one" << std::endl;
  DeleteLog();
  EXPECT_EQ(GetLog()->Count(), 0);
  std::istringstream second("a " + dir.Path() + "/ b\nlog log.txt\n");
  GetLog()->ReadSetting(second);
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "");
  DeleteLog();
}

TEST(LogTest, DeferredFilesKeepEarlierLogsUntilOpened) {
  ScratchDir dir;
  dir.Write("log.txt", "an earlier run's log");
  DeleteLog();
  DeferLogFiles(true);
  std::istringstream setting("a " + dir.Path() + "/ b\nlog log.txt new.txt\n");
  GetLog()->ReadSetting(setting);
  DeferLogFiles(false);
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "an earlier run's log");
  EXPECT_TRUE(std::filesystem::exists(dir.File("new.txt")));  // checked writable, so made
  GetLog()->OpenDeferredFiles();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "");
  *GetLog()->Get("log") << "run" << std::endl;
  GetLog()->OpenDeferredFiles();  // open files go on as they are
  *GetLog()->Get("log") << "more" << std::endl;
  DeleteLog();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "run\nmore\n");
  EXPECT_EQ(ReadWholeFile(dir.File("new.txt")), "run\nmore\n");
}

// Emptied on another thread, the files still hold exactly what was written
// after the setting was read: a flush, a write longer than a buffer holds,
// a file named twice and a file made new all come out whole, and no old
// byte stays.
TEST(LogTest, FilesEmptiedLaterHoldOnlyWhatIsWrittenAfterwards) {
  ScratchDir dir;
  std::string old(200000, 'o');
  dir.Write("log.txt", old);
  dir.Write("big.txt", old);
  dir.Write("twice.txt", old);
  DeleteLog();
  EmptyLogFilesLater(true);
  std::istringstream setting("a " + dir.Path() +
                             "/ b\nlog log.txt\nbig big.txt\none twice.txt\nother twice.txt\nnew new.txt\n");
  GetLog()->ReadSetting(setting);
  EmptyLogFilesLater(false);
  std::string big(3000, 'b');
  *GetLog()->Get("big") << big;         // longer than a buffer holds
  *GetLog()->Get("log") << "header\n";  // stays buffered
  *GetLog()->Get("log") << 7 << std::endl;
  *GetLog()->Get("one") << "one";
  *GetLog()->Get("new") << 2.5;
  GetLog()->FlushAll();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "header\n7\n");
  EXPECT_EQ(ReadWholeFile(dir.File("big.txt")), big);
  EXPECT_EQ(ReadWholeFile(dir.File("twice.txt")), "one");
  EXPECT_EQ(ReadWholeFile(dir.File("new.txt")), "2.5");
  DeleteLog();
}

// While a file's old contents wait to be emptied, a line's end and a flush
// leave the line in the buffer (the run does not wait for the file system),
// and it reaches the file once the files are flushed together; a stream that
// also writes to the console waits instead, so that its line goes out now.
TEST(LogTest, ALineEndWhileTheFilesAreEmptiedWaitsForThemOnlyWithTheConsole) {
  ScratchDir dir;
  dir.Write("log.txt", "old");
  dir.Write("echo.txt", "old");
  OfstreamArray files(2);
  MultiStream log(1);
  log.Add(files.CreateAndAdd(dir.File("log.txt"), false, false, true));
  log.WaitFor(&files);
  log << "line" << std::endl;
  log.Flush();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "old");
  files.FlushAll();
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "line\n");

  OfstreamArray more(1);
  MultiStream echo(2);
  echo.Add(more.CreateAndAdd(dir.File("echo.txt"), false, false, true));
  echo.Add(&std::cout);
  echo.WaitFor(&more);
  testing::internal::CaptureStdout();
  echo << "seen" << std::endl;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "seen\n");
  EXPECT_EQ(ReadWholeFile(dir.File("echo.txt")), "seen\n");
}

// A capturing log opens nothing and keeps each destination's text, in the
// order the setting first names them; two streams into one file share its
// buffer, as they share the file, and each take starts the buffers afresh.
TEST(LogTest, CaptureKeepsEachDestinationsTextAndOpensNoFile) {
  ScratchDir dir;
  dir.Write("log.txt", "kept");
  DeleteLog();
  SetLogCapture(true);
  std::istringstream setting("prefix " + dir.Path() +
                             "/ streams\nlog cout log.txt\nsave log.txt cerr\n"
                             "best best.txt\n");
  GetLog()->ReadSetting(setting);
  testing::internal::CaptureStdout();
  *GetLog()->Get("log") << 3 << " : " << 0.25 << std::endl;
  *GetLog()->Get("save") << "saved" << std::endl;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  std::vector<Log::Captured> taken = GetLog()->TakeCaptured();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].destination, "cout");
  EXPECT_EQ(taken[0].text, "3 : 0.25\n");
  EXPECT_EQ(taken[1].destination, dir.Path() + "/log.txt");
  EXPECT_EQ(taken[1].text, "3 : 0.25\nsaved\n");
  EXPECT_EQ(taken[2].destination, "cerr");
  EXPECT_EQ(taken[2].text, "saved\n");
  EXPECT_EQ(taken[3].destination, dir.Path() + "/best.txt");
  EXPECT_EQ(taken[3].text, "");
  *GetLog()->Get("best") << 1.5;
  taken = GetLog()->TakeCaptured();
  EXPECT_EQ(taken[1].text, "");
  EXPECT_EQ(taken[3].text, "1.5");
  DeleteLog();
  SetLogCapture(false);
  EXPECT_EQ(ReadWholeFile(dir.File("log.txt")), "kept");
  EXPECT_FALSE(std::filesystem::exists(dir.File("best.txt")));
}

TEST(LogTest, DefaultNumberFormattingHasSixSignificantDigits) {
  std::ostringstream out;
  MultiStream stream(2);
  stream.Add(&out);
  stream << 3.14159265 << "," << 1000000.0 << "," << 0.5 << "," << -7;
  EXPECT_EQ(out.str(), "3.14159,1e+06,0.5,-7");
}

TEST(LogDeathTest, UndefinedStreamAndUnwritableFileAreReported) {
  DeleteLog();
  EXPECT_EXIT(GetLog()->Get("orbit"), ExitedWithCode(1),
              "^" + ExactLine("orbit\nFatal error: Can not find  at Log::Create\n") + "$");
  std::istringstream setting("a /nonexistent-folder/ b\nlog log.txt\n");
  EXPECT_EXIT(GetLog()->ReadSetting(setting), ExitedWithCode(1),
              ExactLine("Fatal error: Can not open file at OfstreamArray::CreateAndAdd"));
  DeferLogFiles(true);  // a deferred file is checked when read all the same
  std::istringstream deferred("a /nonexistent-folder/ b\nlog log.txt\n");
  EXPECT_EXIT(GetLog()->ReadSetting(deferred), ExitedWithCode(1),
              ExactLine("Fatal error: Can not open file at OfstreamArray::CreateAndAdd"));
  DeferLogFiles(false);
}

// A report while the setting is read, before the files left are handed to
// their thread, still leaves them emptied, as opening them emptied did.
TEST(LogDeathTest, AReportBeforeTheFilesLeftAreEmptiedEmptiesThem) {
  std::string folder = SharedScratchFolder("log-left");
  std::filesystem::create_directories(folder);
  { std::ofstream(folder + "/log.txt") << "an earlier run's log"; }
  EXPECT_EXIT(
      {
        DeleteLog();
        EmptyLogFilesLater(true);
        std::istringstream setting("a " + folder + "/ b\nlog log.txt\nsave missing/save.txt\n");
        GetLog()->ReadSetting(setting);
      },
      ExitedWithCode(1), ExactLine("Fatal error: Can not open file at OfstreamArray::CreateAndAdd"));
  EXPECT_EQ(ReadWholeFile(folder + "/log.txt"), "");
  std::filesystem::remove_all(folder);
}

TEST(LogDeathTest, FatalReportFlushesLogFilesWrittenSoFar) {
  // The death test re-runs this body in a child process: both use one folder.
  std::string folder = SharedScratchFolder("log-flush");
  EXPECT_EXIT(
      {
        DeleteLog();
        std::istringstream setting("a " + folder + "/ b\nlog log.txt\n");
        GetLog()->ReadSetting(setting);
        *GetLog()->Get("log") << "kept line\n";  // no flush requested
        GetException()->FatalError("stop", "Test", "Run");
      },
      ExitedWithCode(1), "stop");
  EXPECT_EQ(ReadWholeFile(folder + "/log.txt"), "kept line\n");
  std::filesystem::remove_all(folder);
}
}  // namespace
