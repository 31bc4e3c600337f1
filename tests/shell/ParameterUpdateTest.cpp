// Update for a problem other than box moving: only the page's GP parameters
// change in the problem's own parameter file, as the engine reads it.
#include "shell/ParameterUpdate.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "config/ParameterFile.h"

namespace {
WindowSettings Page() {
  WindowSettings s = WindowSettings::Defaults();
  s.initialDepth = "5";
  s.maxDepth = "12";
  s.maxGeneration = "3";
  s.populationSize = "40";
  s.eliteSize = "2";
  s.tournamentSize = "4";
  s.crossoverRatio = "0.7";
  s.mutationRatio = "0.2";
  return s;
}

// The values the engine's reader takes from text.
struct Read {
  int initialDepth, maxDepth, maxGeneration, population, elite, tournament, seed, runs;
  double crossover, mutation;
};

Read ReadBack(const std::string& text) {
  IntRegister ints(64);
  DoubleRegister doubles(64);
  std::istringstream in(text);
  ReadParameters(in, ints, doubles);
  auto optional = [&ints](const char* key) { return ints.Exists(key) ? *ints.Get(key) : -1; };
  return {*ints.Get("initial_depth"),   *ints.Get("max_depth"),   *ints.Get("max_generation"),
          *ints.Get("population_size"), *ints.Get("elite_size"),  *ints.Get("tournament_size"),
          optional("seed"),             optional("iteration_num"), *doubles.Get("crossover_ratio"),
          *doubles.Get("mutation_ratio")};
}

void ExpectPage(const Read& read) {
  EXPECT_EQ(read.initialDepth, 5);
  EXPECT_EQ(read.maxDepth, 12);
  EXPECT_EQ(read.maxGeneration, 3);
  EXPECT_EQ(read.population, 40);
  EXPECT_EQ(read.elite, 2);
  EXPECT_EQ(read.tournament, 4);
  EXPECT_DOUBLE_EQ(read.crossover, 0.7);
  EXPECT_DOUBLE_EQ(read.mutation, 0.2);
}
}  // namespace

TEST(ParameterUpdateTest, ValuesChangeInPlaceAndEveryOtherByteStays) {
  const std::string before =
      "----- int_parameter\r\n\r\ninitial_depth\t6\r\nmax_depth   17\r\nseed\t99\r\niteration_num\t5\r\n"
      "max_generation\t50\r\npopulation_size\t500\r\nelite_size\t1\r\ntournament_size\t7\r\n\r\n"
      "----- double_parameter\r\n\r\ncrossover_ratio\t0.9\r\nmutation_ratio\t0.05\r\nextra_ratio 0.5\r\n";
  std::string after = UpdatedParameterText(before, Page());
  EXPECT_EQ(after,
            "----- int_parameter\r\n\r\ninitial_depth\t5\r\nmax_depth   12\r\nseed\t99\r\niteration_num\t5\r\n"
            "max_generation\t3\r\npopulation_size\t40\r\nelite_size\t2\r\ntournament_size\t4\r\n\r\n"
            "----- double_parameter\r\n\r\ncrossover_ratio\t0.7\r\nmutation_ratio\t0.2\r\nextra_ratio 0.5\r\n");
  Read read = ReadBack(after);
  ExpectPage(read);
  EXPECT_EQ(read.seed, 99);
  EXPECT_EQ(read.runs, 5);
  // Writing the same page again changes nothing.
  EXPECT_EQ(UpdatedParameterText(after, Page()), after);
}

// The reader takes the first occurrence of a key in its own section: that is
// the one replaced, whatever the layout of the words.
TEST(ParameterUpdateTest, TheOccurrenceTheReaderTakesIsReplaced) {
  const std::string before =
      "----- int_parameter initial_depth 6 max_depth 17 seed 10 iteration_num 1 max_generation 50 "
      "population_size 500 elite_size 1 tournament_size 7 max_generation 9 mutation_ratio 1\n"
      "----- double_parameter crossover_ratio 0.9 mutation_ratio 0.05 mutation_ratio 0.5";
  std::string after = UpdatedParameterText(before, Page());
  ExpectPage(ReadBack(after));
  EXPECT_NE(after.find("max_generation 9 mutation_ratio 1\n"), std::string::npos) << after;
  EXPECT_NE(after.find("mutation_ratio 0.2 mutation_ratio 0.5"), std::string::npos) << after;
}

TEST(ParameterUpdateTest, MissingKeysAreAddedToTheirSections) {
  const std::string withoutSome =
      "----- int_parameter\nseed 10\niteration_num 1\nmax_generation 50\npopulation_size 500\n"
      "----- double_parameter\ncrossover_ratio 0.9\n";
  std::string after = UpdatedParameterText(withoutSome, Page());
  ExpectPage(ReadBack(after));
  EXPECT_NE(after.find("seed 10\n"), std::string::npos) << after;

  // No real section at all, and no line end at the close.
  after = UpdatedParameterText("----- int_parameter seed 10 iteration_num 1", Page());
  Read read = ReadBack(after);
  ExpectPage(read);
  EXPECT_EQ(read.seed, 10);
}

TEST(ParameterUpdateTest, AFileOfAnotherFormIsReplacedByThePagesFile) {
  EXPECT_EQ(UpdatedParameterText("", Page()), ParameterText(Page()));
  EXPECT_EQ(UpdatedParameterText("max_generation 50\n", Page()), ParameterText(Page()));
}

TEST(ParameterUpdateTest, WriteParametersTouchesOnlyTheParameterFile) {
  ScratchDir dir;
  dir.Write("input/parameter.txt", "----- int_parameter\nseed 3\n----- double_parameter\n");
  dir.Write("input/table.txt", "table\n");
  ASSERT_EQ(WriteParameters(Page(), "input/parameter.txt", dir.Path()), "");
  ExpectPage(ReadBack(ReadWholeFile(dir.File("input/parameter.txt"))));
  EXPECT_EQ(ReadWholeFile(dir.File("input/table.txt")), "table\n");
  EXPECT_EQ(WriteParameters(Page(), "input/missing.txt", dir.Path()),
            "Update could not read input/missing.txt. No input file was changed.");
}
