// Checkpoint files written one after another: each replaces the last whole,
// the one before is kept as the spare, and the next is written over it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "run/Checkpoint.h"

namespace fs = std::filesystem;

namespace {
ino_t FileNumber(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_ino;
}

class CheckpointFileTest : public ::testing::Test {
 protected:
  // Writes a checkpoint of generation with members programs; its text.
  std::string Write(int generation, int members) {
    CheckpointData data;
    data.fileList = "input/files.txt";
    data.run = 1;
    data.generation = generation;
    data.logs = {{dir.File("log.txt"), 10, 0}, {dir.File("empty.txt"), 0, 0}};
    for (int k = 0; k < members; ++k) {
      CheckpointData::Member member;
      member.fitness = -k;
      member.genome = "Prog2\t2\nmoveForward\t0\nturnLeft\t0\n";
      data.population.push_back(member);
    }
    std::string failure = WriteCheckpointFile(data, path, &files);
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    return FormatCheckpoint(data);
  }

  ScratchDir dir;
  std::string path = dir.File("checkpoint.txt");
  std::string spare = path + kCheckpointSpareSuffix;
  CheckpointFiles files;
};

TEST_F(CheckpointFileTest, TheSpareIsWrittenOverAndEveryCheckpointIsWhole) {
  dir.Write("log.txt", "0123456789");
  // A spare left by another batch is no checkpoint of this one's to write
  // over: whether the file system has its name on disk is not known.
  dir.Write("checkpoint.txt.old", "left behind");
  ino_t leftBehind = FileNumber(spare);
  std::string first = Write(1, 40);
  EXPECT_EQ(ReadWholeFile(path), first);
  EXPECT_NE(FileNumber(path), leftBehind);
  EXPECT_EQ(files.synced.at(dir.File("log.txt")), 10U);
  // An empty log can be no shorter than recorded: it needs no syncing.
  EXPECT_EQ(files.synced.count(dir.File("empty.txt")), 0U);
  ino_t firstFile = FileNumber(path);

  std::string second = Write(2, 30);
  EXPECT_EQ(ReadWholeFile(path), second);
  if (!files.canExchange) GTEST_SKIP() << "this file system cannot swap two names at once";
  EXPECT_TRUE(files.spareReady);
  EXPECT_EQ(ReadWholeFile(spare), first);
  EXPECT_EQ(FileNumber(spare), firstFile);

  // The third, shorter than the first, is written over the first's file and
  // cut to its own length.
  std::string third = Write(3, 10);
  EXPECT_EQ(ReadWholeFile(path), third);
  EXPECT_EQ(FileNumber(path), firstFile);
  EXPECT_EQ(ReadWholeFile(spare), second);

  // A spare the user has linked to under another name (a copy kept) is not
  // written over: the copy keeps its text.
  fs::create_hard_link(spare, dir.File("kept.txt"));
  std::string fourth = Write(4, 20);
  EXPECT_EQ(ReadWholeFile(path), fourth);
  EXPECT_EQ(ReadWholeFile(dir.File("kept.txt")), second);
  EXPECT_EQ(ReadWholeFile(spare), third);

  RemoveCheckpointSpare(path);
  EXPECT_FALSE(fs::exists(spare));
  EXPECT_EQ(ReadWholeFile(path), fourth);
}

// Where the file system cannot swap two names, each checkpoint replaces the
// last and no spare is kept, nor written over.
TEST_F(CheckpointFileTest, WithoutSwappingEachCheckpointReplacesTheLast) {
  dir.Write("log.txt", "0123456789");
  files.canExchange = false;
  Write(1, 40);
  std::string second = Write(2, 30);
  std::string third = Write(3, 10);
  EXPECT_EQ(ReadWholeFile(path), third);
  EXPECT_FALSE(files.spareReady);
  EXPECT_FALSE(fs::exists(spare));
  EXPECT_NE(second, third);
}

// Without a record of what came before, each checkpoint simply replaces the
// last and no spare is kept.
TEST_F(CheckpointFileTest, WithoutARecordNoSpareIsKept) {
  dir.Write("log.txt", "0123456789");
  CheckpointData data;
  data.fileList = "input/files.txt";
  data.logs = {{dir.File("log.txt"), 10, 0}};
  ASSERT_EQ(WriteCheckpointFile(data, path), "");
  data.generation = 4;
  ASSERT_EQ(WriteCheckpointFile(data, path), "");
  EXPECT_EQ(ReadWholeFile(path), FormatCheckpoint(data));
  EXPECT_FALSE(fs::exists(spare));
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}
}  // namespace
