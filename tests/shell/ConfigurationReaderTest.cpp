// Reading the input files back into the page's settings, and replacing files
// all or nothing.
#include "shell/ConfigurationReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "shell/FileReplacement.h"

namespace {
// A folder with the files Update writes for settings, and a file list.
void WriteSettings(const ScratchDir& dir, const WindowSettings& s) {
  dir.Write("input/walls.txt", "2 8\n3 8\n");
  ASSERT_EQ(WriteConfiguration(s, dir.Path()), "");
}

TEST(ConfigurationReaderTest, WhatUpdateWritesReadsBackAsTyped) {
  ScratchDir dir;
  WindowSettings s = WindowSettings::Defaults();
  s.populationSize = "100";
  s.crossoverRatio = "0.85";
  s.mutationRatio = "1e-2";
  s.energy = "250.5";
  s.robotX = "-12";
  s.boxY = "3";
  s.robotWeight = "0";
  s.robotActions.assign(11, false);
  s.functions[11] = true;
  s.constants[3] = false;
  WriteSettings(dir, s);
  SettingsReading reading = ReadSettings(dir.Path());
  ASSERT_TRUE(reading.shown) << reading.reason;
  EXPECT_EQ(reading.reason, "");
  EXPECT_EQ(TableText(reading.settings), TableText(s));
  EXPECT_EQ(ParameterText(reading.settings), ParameterText(s));
  EXPECT_EQ(ProblemText(reading.settings, ""), ProblemText(s, ""));
  EXPECT_EQ(reading.otherProblem, "");
}

// The engine reads words: the same settings written by hand on one line
// each, with other blanks, are still of Update's form.
TEST(ConfigurationReaderTest, LayoutOfTheWordsDoesNotMatter) {
  ScratchDir dir;
  dir.Write("input/files.txt", FileListText());
  dir.Write("input/table.txt", "2 1.0 5.0\n\n6 Prog2 pow\n2   sensor\n");
  dir.Write("input/parameter.txt",
            "----- int_parameter initial_depth 4 max_depth 8 max_generation 9 population_size 30 elite_size 2 "
            "tournament_size 3 seed 1 threads 2 ----- double_parameter crossover_ratio 0.5 mutation_ratio 0.25\n");
  dir.Write("input/problem.txt", "BoxMoving 100 100 10 1 1 2 1.57 300 4 5 3 4\n");
  SettingsReading reading = ReadSettings(dir.Path());
  ASSERT_TRUE(reading.shown) << reading.reason;
  const WindowSettings& s = reading.settings;
  EXPECT_EQ(s.initialDepth, "4");
  EXPECT_EQ(s.tournamentSize, "3");
  EXPECT_EQ(s.mutationRatio, "0.25");
  EXPECT_EQ(s.energy, "300");
  EXPECT_EQ(s.robotY, "2");
  EXPECT_EQ(s.boxX, "4");
  EXPECT_EQ(s.constants, std::vector<bool>({true, false, false, false, true, false, false, false, false, false}));
  EXPECT_TRUE(s.functions[0] && s.functions[11]);
  EXPECT_EQ(s.robotActions[0], true);
}

TEST(ConfigurationReaderTest, FilesOfAnotherFormAreNamedWithTheReason) {
  struct Case {
    const char* file;
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"input/table.txt", "1\tmoveForward0\n1\tProg2\n",
       "input/table.txt is not a table of the page's constants, functions and robot actions"},
      {"input/table.txt", "2\t2.0 1.0\n6\tProg2\n2\tsensor\n",
       "input/table.txt is not a table of the page's constants, functions and robot actions"},
      {"input/parameter.txt", "----- int_parameter\nmax_depth 10\n",
       "input/parameter.txt has no initial_depth"},
      {"input/parameter.txt", "population_size 5\n",
       "input/parameter.txt is not a parameter file of the form Update writes"},
      {"input/problem.txt", "BoxMoving 200 200 10 1 0 0 1.57 400 0 0\n",
       "input/problem.txt holds a box-moving room other than the page's"},
      {"input/problem.txt", "Parity 3\n", "input/problem.txt holds the problem Parity, not box moving"},
      {"input/files.txt", "log_setting input/log_setting.txt parameter p.txt problem input/problem.txt table input/table.txt",
       "input/files.txt names other files than the ones Update writes"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    WriteSettings(dir, WindowSettings::Defaults());
    dir.Write(c.file, c.text);
    SettingsReading reading = ReadSettings(dir.Path());
    EXPECT_FALSE(reading.shown) << c.text;
    EXPECT_EQ(reading.reason, c.reason);
    EXPECT_EQ(TableText(reading.settings), TableText(WindowSettings::Defaults())) << "defaults kept";
    EXPECT_EQ(reading.otherProblem, std::string(c.text) == "Parity 3\n" ? "Parity" : "");
  }
}

TEST(ConfigurationReaderTest, MissingFilesAreNamed) {
  ScratchDir dir;
  EXPECT_EQ(ReadSettings(dir.Path()).reason, "input/files.txt cannot be read");
  WriteSettings(dir, WindowSettings::Defaults());
  std::filesystem::remove(dir.File("input/parameter.txt"));
  EXPECT_EQ(ReadSettings(dir.Path()).reason, "input/parameter.txt cannot be read");
}

// Update into a folder without input files makes a complete set.
TEST(ConfigurationReaderTest, UpdateMakesTheFolderTheFileListAndTheLogSetting) {
  ScratchDir dir;
  ASSERT_EQ(WriteConfiguration(WindowSettings::Defaults(), dir.Path()), "");
  EXPECT_EQ(ReadWholeFile(dir.File("input/files.txt")), FileListText());
  EXPECT_EQ(ReadWholeFile(dir.File("input/log_setting.txt")), LogSettingText());
  EXPECT_TRUE(ReadSettings(dir.Path()).shown);
  // Those two are never replaced.
  dir.Write("input/log_setting.txt", "log_setting ./ streams\nlog cout\n");
  ASSERT_EQ(WriteConfiguration(WindowSettings::Defaults(), dir.Path()), "");
  EXPECT_EQ(ReadWholeFile(dir.File("input/log_setting.txt")), "log_setting ./ streams\nlog cout\n");
}

TEST(FileReplacementTest, AllOrNothing) {
  ScratchDir dir;
  dir.Write("a.txt", "old a");
  dir.Write("b.txt", "old b");
  ::chmod(dir.File("a.txt").c_str(), 0640);
  EXPECT_EQ(ReplaceFiles({{dir.File("a.txt"), "new a"}, {dir.File("b.txt"), "new b"}, {dir.File("c.txt"), "c"}}), "");
  EXPECT_EQ(ReadWholeFile(dir.File("a.txt")), "new a");
  EXPECT_EQ(ReadWholeFile(dir.File("c.txt")), "c");
  struct stat status {};
  ASSERT_EQ(::stat(dir.File("a.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u) << "the mode is kept";

  // A read-only target stops the lot before anything is written.
  ::chmod(dir.File("b.txt").c_str(), 0444);
  EXPECT_EQ(ReplaceFiles({{dir.File("a.txt"), "newer a"}, {dir.File("b.txt"), "newer b"}}),
            dir.File("b.txt") + ": Permission denied");
  EXPECT_EQ(ReadWholeFile(dir.File("a.txt")), "new a");
  ::chmod(dir.File("b.txt").c_str(), 0644);

  // So does a temporary file that cannot be written; the ones already
  // written go again.
  std::filesystem::create_directory(dir.File("b.txt") + TemporarySuffix());
  EXPECT_EQ(ReplaceFiles({{dir.File("a.txt"), "newer a"}, {dir.File("b.txt"), "newer b"}}),
            dir.File("b.txt") + ": Is a directory");
  EXPECT_EQ(ReadWholeFile(dir.File("a.txt")), "new a");
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.txt") + TemporarySuffix()));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("b.txt") + TemporarySuffix()));

  EXPECT_EQ(ReplaceFiles({{dir.File("missing/d.txt"), "d"}}), dir.File("missing/d.txt") + ": No such file or directory");
}
}  // namespace

// For another problem the page shows the GP parameters of the parameter file
// its list names, and keeps its defaults for the rest.
TEST(ConfigurationReaderTest, AnotherProblemShowsItsGPParameters) {
  ScratchDir dir;
  WindowSettings s = WindowSettings::Defaults();
  s.populationSize = "321";
  s.mutationRatio = "0.25";
  WriteSettings(dir, s);
  dir.Write("input/files.txt",
            "log_setting input/log_setting.txt parameter input/gp.txt problem input/ant.txt table input/ops.txt\n");
  dir.Write("input/gp.txt", ParameterText(s));
  dir.Write("input/ant.txt", "Ant\n32 32\n");
  SettingsReading reading = ReadSettings(dir.Path());
  EXPECT_FALSE(reading.shown);
  EXPECT_EQ(reading.otherProblem, "Ant");
  EXPECT_EQ(reading.parameterPath, "input/gp.txt");
  EXPECT_EQ(reading.tablePath, "input/ops.txt");
  ASSERT_TRUE(reading.parametersShown) << reading.parametersReason;
  EXPECT_EQ(ParameterText(reading.settings), ParameterText(s));
  EXPECT_EQ(TableText(reading.settings), TableText(WindowSettings::Defaults()));

  dir.Write("input/gp.txt", "----- int_parameter\nmax_generation 5\n");
  reading = ReadSettings(dir.Path());
  EXPECT_FALSE(reading.parametersShown);
  EXPECT_EQ(reading.parametersReason, "input/gp.txt has no initial_depth");
  EXPECT_EQ(ParameterText(reading.settings), ParameterText(WindowSettings::Defaults()));
}
