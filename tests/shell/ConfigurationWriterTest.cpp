#include "shell/ConfigurationWriter.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {
const char* kDefaultTable =
    "2\t1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0 \n"
    "6\tProg2 iflte Plus2 Times2 \n"
    "2\tsensor moveForward0 moveBackward0 moveLeft1 moveRight1 \n";

const char* kDefaultParameters =
    "----- int_parameter\n\ninitial_depth\t6\nmax_depth\t10\nseed\t10\niteration_num\t1\n\n"
    "max_generation\t50\npopulation_size\t50\nelite_size\t5\ntournament_size\t2\n\n"
    "----- double_parameter\n\ncrossover_ratio\t0.9\nmutation_ratio\t0.0\n";

const char* kProblemHead = "BoxMoving\n\n100 100 10\n\n1\n\n-30 -30 1.57 400\n\n0 0\n\n";

TEST(ConfigurationWriterTest, InitialSettingsWithAnEmptyWallsFile) {
  ScratchDir dir;
  dir.Write("input/walls.txt", "");
  WriteConfiguration(WindowSettings::Defaults(), dir.Path());
  EXPECT_EQ(ReadWholeFile(dir.File("input/table.txt")), kDefaultTable);
  EXPECT_EQ(ReadWholeFile(dir.File("input/parameter.txt")), kDefaultParameters);
  EXPECT_EQ(ReadWholeFile(dir.File("input/problem.txt")), kProblemHead);
}

TEST(ConfigurationWriterTest, WallPairsAreCopiedOnceEachAndAnOddLastValueIsDropped) {
  ScratchDir dir;
  dir.Write("input/walls.txt", "3 4\n5 6\n");
  WriteConfiguration(WindowSettings::Defaults(), dir.Path());
  EXPECT_EQ(ReadWholeFile(dir.File("input/problem.txt")), std::string(kProblemHead) + "3 4\n5 6\n");
  dir.Write("input/walls.txt", "  3\t4 5\n6 7");
  WriteConfiguration(WindowSettings::Defaults(), dir.Path());
  EXPECT_EQ(ReadWholeFile(dir.File("input/problem.txt")), std::string(kProblemHead) + "3 4\n5 6\n");
  dir.Write("input/walls.txt", "1 2 x 4 5 6");  // copying stops at the first non-integer
  WriteConfiguration(WindowSettings::Defaults(), dir.Path());
  EXPECT_EQ(ReadWholeFile(dir.File("input/problem.txt")), std::string(kProblemHead) + "1 2\n");
}

TEST(ConfigurationWriterTest, MissingWallsFileGivesNoWalls) {
  ScratchDir dir;
  dir.Write("input/placeholder", "");
  WriteConfiguration(WindowSettings::Defaults(), dir.Path());
  EXPECT_EQ(ReadWholeFile(dir.File("input/problem.txt")), kProblemHead);
}

TEST(ConfigurationWriterTest, UncheckedListsGiveAWeightAndATabOnly) {
  WindowSettings s = WindowSettings::Defaults();
  s.constants.assign(10, false);
  s.functions.assign(12, true);
  s.robotActions.assign(11, false);
  s.robotActions[10] = true;
  s.constantWeight = "0.5";
  EXPECT_EQ(TableText(s),
            "0.5\t\n6\tProg2 iflte Plus2 Subtract Times2 Sin Cos divide Exp ln log pow \n2\tmoveRight2 \n");
}

TEST(ConfigurationWriterTest, EditsAreWrittenAsTyped) {
  WindowSettings s = WindowSettings::Defaults();
  s.robotX = "-12.5";
  s.energy = "1e3";
  s.boxY = " 7";
  EXPECT_EQ(ProblemText(s, "/nonexistent/walls.txt"),
            "BoxMoving\n\n100 100 10\n\n1\n\n-12.5 -30 1.57 1e3\n\n0  7\n\n");
}

TEST(ConfigurationWriterTest, CheckNamesTheFirstBadEdit) {
  EXPECT_EQ(CheckSettings(WindowSettings::Defaults()), "");
  WindowSettings s = WindowSettings::Defaults();
  s.populationSize = "fifty";
  EXPECT_EQ(CheckSettings(s), "Population size must be a whole number from 1 to 1000000, not \"fifty\"");
  s = WindowSettings::Defaults();
  s.maxDepth = "2.5";
  EXPECT_NE(CheckSettings(s).find("Max depth"), std::string::npos);
  s = WindowSettings::Defaults();
  s.tournamentSize = "0";
  EXPECT_NE(CheckSettings(s).find("Tournament size"), std::string::npos);
  s = WindowSettings::Defaults();
  s.maxGeneration = "0";
  EXPECT_EQ(CheckSettings(s), "");
  s.maxGeneration = "-1";
  EXPECT_NE(CheckSettings(s).find("Max generation"), std::string::npos);
  s = WindowSettings::Defaults();
  s.crossoverRatio = "";
  EXPECT_EQ(CheckSettings(s), "Crossover ratio must be a number, not \"\"");
  s = WindowSettings::Defaults();
  s.energy = "4 00";
  EXPECT_NE(CheckSettings(s).find("Energy"), std::string::npos);
  s = WindowSettings::Defaults();
  s.functionWeight = "x";
  EXPECT_NE(CheckSettings(s).find("Function weight"), std::string::npos);
  s = WindowSettings::Defaults();
  s.populationSize = "99999999999";
  EXPECT_NE(CheckSettings(s).find("Population size"), std::string::npos);
}

// Settings the engine takes are taken; edits that together would end the
// run at its first breeding are named instead.
TEST(ConfigurationWriterTest, CheckRefusesGenerationsThatCannotBeBred) {
  WindowSettings s = WindowSettings::Defaults();
  s.eliteSize = "0";
  s.mutationRatio = "0";
  s.maxDepth = "0";
  EXPECT_EQ(CheckSettings(s), "");

  s = WindowSettings::Defaults();
  s.populationSize = "50";
  s.eliteSize = "60";
  EXPECT_EQ(CheckSettings(s), "Elite size must be no greater than the population size 50, not \"60\"");
  s.eliteSize = "50";
  EXPECT_EQ(CheckSettings(s), "");

  s = WindowSettings::Defaults();
  s.mutationRatio = "-0.1";
  EXPECT_EQ(CheckSettings(s), "Mutation ratio must be at least 0, not \"-0.1\"");
  s = WindowSettings::Defaults();
  s.populationSize = "50";
  s.eliteSize = "5";
  s.crossoverRatio = "0.9";
  s.mutationRatio = "0.2";
  EXPECT_EQ(CheckSettings(s),
            "Crossover ratio 0.9 and mutation ratio 0.2 together give more offspring than the 45 places after the "
            "elite");
  s.mutationRatio = "0.1";
  EXPECT_EQ(CheckSettings(s), "") << "40 crossover offspring and 4 mutants fit in 45 places";

  s = WindowSettings::Defaults();
  s.mutationRatio = "0.1";
  s.initialDepth = "6";
  s.maxDepth = "5";
  EXPECT_EQ(CheckSettings(s), "Max depth must be at least the initial depth 6 when programs are mutated, not \"5\"");
  s.mutationRatio = "0";
  EXPECT_EQ(CheckSettings(s), "");
}

// What the engine would refuse on reading the files, the window refuses first.
TEST(ConfigurationWriterTest, CheckKeepsToTheEnginesLimits) {
  WindowSettings s = WindowSettings::Defaults();
  s.populationSize = "1000000";
  s.maxGeneration = "1000000";
  s.initialDepth = "1000";
  s.energy = "1e7";
  EXPECT_EQ(CheckSettings(s), "");
  s.populationSize = "1000001";
  EXPECT_EQ(CheckSettings(s), "Population size must be a whole number from 1 to 1000000, not \"1000001\"");
  s = WindowSettings::Defaults();
  s.maxGeneration = "2000000";
  EXPECT_EQ(CheckSettings(s), "Max generation must be a whole number from 0 to 1000000, not \"2000000\"");
  s = WindowSettings::Defaults();
  s.maxDepth = "1001";
  EXPECT_EQ(CheckSettings(s), "Max depth must be a whole number from 0 to 1000, not \"1001\"");
  s = WindowSettings::Defaults();
  s.energy = "1e300";
  EXPECT_EQ(CheckSettings(s), "Energy must be a number from 1 to 10000000, not \"1e300\"");
  // Less than one step's energy runs no episode at all.
  s.energy = "-5";
  EXPECT_EQ(CheckSettings(s), "Energy must be a number from 1 to 10000000, not \"-5\"");
  s.energy = "1e-310";
  EXPECT_EQ(CheckSettings(s), "Energy must be a number from 1 to 10000000, not \"1e-310\"");
  s.energy = "1";
  EXPECT_EQ(CheckSettings(s), "");
  // One huge weight still makes a roulette; two overflow its sum.
  s = WindowSettings::Defaults();
  s.functionWeight = "1e308";
  EXPECT_EQ(CheckSettings(s), "");
  s.constantWeight = "1e308";
  EXPECT_EQ(CheckSettings(s), "The function, robot and const weights 1e308, 2 and 1e308 add up to more than a number can hold");
  s = WindowSettings::Defaults();
  s.tournamentSize = "1000000";
  EXPECT_EQ(CheckSettings(s), "");
  s.tournamentSize = "1000001";
  EXPECT_EQ(CheckSettings(s), "Tournament size must be a whole number from 1 to 1000000, not \"1000001\"");
}

// Positions are checked against the room's inner area (-50 up to 50), the
// box with its half side 5 inside.
TEST(ConfigurationWriterTest, CheckKeepsRobotAndBoxInsideTheRoom) {
  WindowSettings s = WindowSettings::Defaults();
  for (const char* inside : {"-50", "49.999", "0"}) {
    s.robotX = inside;
    EXPECT_EQ(CheckSettings(s), "") << inside;
  }
  s.robotX = "50";
  EXPECT_EQ(CheckSettings(s),
            "Robot position x must be at least -50 and below 50, so that the robot starts inside the room, not \"50\"");
  s = WindowSettings::Defaults();
  s.boxY = "-45";
  EXPECT_EQ(CheckSettings(s), "");
  s.boxY = "45";
  EXPECT_EQ(CheckSettings(s),
            "Box position y must be at least -45 and below 45, so that the whole box lies inside the room, not \"45\"");
}

// Ratios whose offspring counts pass an int are refused however the
// truncation of the huge product would wrap.
TEST(ConfigurationWriterTest, CheckCountsOffspringWithoutOverflow) {
  WindowSettings s = WindowSettings::Defaults();
  for (const char* ratio : {"1e9", "3e7", "1e300", "4.8e7"}) {
    s.crossoverRatio = ratio;
    EXPECT_NE(CheckSettings(s).find("together give more offspring than the 45 places"), std::string::npos) << ratio;
  }
  s.crossoverRatio = "0.9";
  s.mutationRatio = "1e9";
  EXPECT_NE(CheckSettings(s).find("together give more offspring"), std::string::npos);
  s.crossoverRatio = "0";
  s.mutationRatio = "1";
  s.maxDepth = "10";
  EXPECT_EQ(CheckSettings(s), "") << "45 mutants fill the 45 places";
}
}  // namespace
