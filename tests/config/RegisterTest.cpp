#include "config/Register.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "config/ParameterFile.h"

namespace {
using ::testing::ExitedWithCode;

TEST(RegisterTest, AddKeepsTheFirstValueAndReturnsTheArgument) {
  IntRegister ints(20);
  EXPECT_EQ(ints.Add("population_size", 50), 50);
  EXPECT_EQ(ints.Add("population_size", 70), 70);
  EXPECT_EQ(*ints.Get("population_size"), 50);
  EXPECT_EQ(ints.Exists("population_size"), 1);
  EXPECT_EQ(ints.Exists("Population_size"), 0);  // case matters
  EXPECT_EQ(ints.Count(), 1);
}

TEST(RegisterTest, PushDoesNotCheckAndTheLowerIndexWins) {
  StringRegister files(5);
  files.Push("a", new std::string("first"));
  files.Push("a", new std::string("second"));
  EXPECT_EQ(*files.Get("a"), "first");
  EXPECT_EQ(files.Count(), 2);
}

TEST(RegisterDeathTest, MissingKeyWritesTheKeyThenTheReport) {
  IntRegister ints(20);
  EXPECT_EXIT(ints.Get("population_size"), ExitedWithCode(1),
              "^" + ExactLine("population_size\nFatal error: Can not find  at IntRegister::Create\n") + "$");
  DoubleRegister doubles(20);
  EXPECT_EXIT(doubles.Get("crossover_ratio"), ExitedWithCode(1),
              ExactLine("crossover_ratio\nFatal error: Can not find  at DoubleRegister::Create"));
  StringRegister files(20);
  EXPECT_EXIT(files.Get("parameter"), ExitedWithCode(1),
              ExactLine("parameter\nFatal error: Can not find  at StringRegister::Create"));
}

TEST(RegisterDeathTest, TwentyFirstKeyIsACapacityReport) {
  IntRegister ints(20);
  for (int i = 0; i < 20; ++i) ints.Add("k" + std::to_string(i), i);
  ints.Add("k3", 99);  // existing key: no change, no report
  EXPECT_EXIT(ints.Add("k20", 20), ExitedWithCode(1),
              "^" + ExactLine("Capacity 20 is full  at IntRegister::Push\n") + "$");
}

TEST(FileListTest, PairsUntilTheEndAndTheIncompleteLastPairIsIgnored) {
  StringRegister files(20);
  std::istringstream in("log_setting input/log.txt\n  parameter\tinput/parameter.txt problem "
                        "input/problem.txt\nextra_key x\ntable input/table.txt\nparameter other\nodd");
  ReadFileList(in, files);
  EXPECT_EQ(*files.Get("log_setting"), "input/log.txt");
  EXPECT_EQ(*files.Get("parameter"), "input/parameter.txt");
  EXPECT_EQ(*files.Get("table"), "input/table.txt");
  EXPECT_EQ(*files.Get("extra_key"), "x");
  EXPECT_EQ(files.Exists("odd"), 0);
  EXPECT_EQ(files.Count(), 5);
}

TEST(ParameterFileTest, BothSectionsAsTheWindowWritesThem) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in(
      "----- int_parameter\n\ninitial_depth\t6\nmax_depth\t10\nseed\t10\niteration_num\t1\n\n"
      "max_generation\t50\npopulation_size\t50\npopulation_size\t80\nelite_size\t5\ntournament_size\t-2\n"
      "\n----- double_parameter\n\ncrossover_ratio\t0.9\nmutation_ratio\t1e-2\n");
  ReadParameters(in, ints, doubles);
  EXPECT_EQ(*ints.Get("population_size"), 50);
  EXPECT_EQ(*ints.Get("tournament_size"), -2);
  EXPECT_EQ(ints.Count(), 8);
  EXPECT_EQ(*doubles.Get("crossover_ratio"), 0.9);
  EXPECT_EQ(*doubles.Get("mutation_ratio"), 0.01);
}

TEST(ParameterFileTest, UnclosedIntegerSectionLeavesTheRealSectionEmpty) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter\npopulation_size 10\nmax_generation 3\n");
  ReadParameters(in, ints, doubles);
  EXPECT_EQ(*ints.Get("max_generation"), 3);
  EXPECT_EQ(doubles.Count(), 0);
}

TEST(ParameterFileTest, KeyInTheWrongSectionGetsTheWrongType) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter\n-----\ndouble_parameter\npopulation_size 10\n");
  ReadParameters(in, ints, doubles);
  EXPECT_EQ(ints.Exists("population_size"), 0);
  EXPECT_EQ(*doubles.Get("population_size"), 10.0);
}

TEST(ParameterFileTest, ANonNumberEndsTheReading) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter\nseed 4\npopulation_size many\nmax_generation 3\n-----\n"
                        "double_parameter crossover_ratio 0.5\n");
  ReadParameters(in, ints, doubles);
  EXPECT_EQ(*ints.Get("seed"), 4);
  EXPECT_EQ(ints.Exists("population_size"), 0);
  EXPECT_EQ(ints.Exists("max_generation"), 0);
  EXPECT_EQ(doubles.Count(), 0);
}

TEST(ParameterFileTest, NotesNameTheWordThatStoppedTheReading) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter\nseed 4\npopulation_size -many\nmax_generation 3\n");
  ParameterFileNotes notes;
  ReadParameters(in, ints, doubles, &notes);
  EXPECT_TRUE(notes.stopped);
  EXPECT_FALSE(notes.realSection);
  EXPECT_EQ(notes.key, "population_size");
  EXPECT_EQ(notes.word, "-many");
  EXPECT_TRUE(notes.cuts.empty());
  EXPECT_EQ(ints.Count(), 1);

  std::istringstream reals("- - -----\nx crossover_ratio 1e999 mutation_ratio 0.1\n");
  ParameterFileNotes realNotes;
  ReadParameters(reals, ints, doubles, &realNotes);
  EXPECT_TRUE(realNotes.stopped);
  EXPECT_TRUE(realNotes.realSection);
  EXPECT_EQ(realNotes.word, "1e999");  // out of range is no number either
  EXPECT_EQ(doubles.Count(), 0);
}

// A value read from the front of a longer word keeps the stream's reading:
// the number is registered and the rest of the word is the next key.
TEST(ParameterFileTest, AValueCutFromALongerWordIsNoted) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter\npopulation_size 1.5 7 seed 3-----\ndouble_parameter\n"
                        "crossover_ratio 0.9.5 2\n");
  ParameterFileNotes notes;
  ReadParameters(in, ints, doubles, &notes);
  EXPECT_EQ(*ints.Get("population_size"), 1);
  EXPECT_EQ(*ints.Get(".5"), 7);
  EXPECT_EQ(*ints.Get("seed"), 3);
  EXPECT_EQ(*doubles.Get("crossover_ratio"), 0.9);
  EXPECT_EQ(*doubles.Get(".5"), 2.0);
  ASSERT_EQ(notes.cuts.size(), 3u);
  EXPECT_EQ(notes.cuts[0].key, "population_size");
  EXPECT_EQ(notes.cuts[0].word, "1.5");
  EXPECT_EQ(notes.cuts[0].rest, ".5");
  EXPECT_EQ(notes.cuts[1].rest, "-----");  // which closes the integer section
  EXPECT_EQ(notes.cuts[2].word, "0.9.5");
  EXPECT_FALSE(notes.stopped);
}

TEST(ParameterFileTest, AKeyWithoutAValueAtTheEndIsNoted) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("----- int_parameter seed 4 ----- double_parameter crossover_ratio 0.5 mutation_ratio\n");
  ParameterFileNotes notes;
  ReadParameters(in, ints, doubles, &notes);
  EXPECT_EQ(notes.lone, "mutation_ratio");
  EXPECT_FALSE(notes.stopped);
  EXPECT_EQ(doubles.Count(), 1);

  StringRegister files(20);
  std::istringstream list("problem p.txt table\n");
  std::string lone;
  ReadFileList(list, files, &lone);
  EXPECT_EQ(lone, "table");
  EXPECT_EQ(files.Count(), 1);
}

TEST(ParameterFileTest, EmptyInputRegistersNothing) {
  IntRegister ints(20);
  DoubleRegister doubles(20);
  std::istringstream in("");
  ReadParameters(in, ints, doubles);
  EXPECT_EQ(ints.Count() + doubles.Count(), 0);
}
}  // namespace
