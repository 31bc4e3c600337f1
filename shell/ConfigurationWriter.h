// Turns the window's settings into the three input files that Update writes
// (node-set table, parameter file, box-moving problem file), and checks the
// settings first so that a bad edit, or a setting the run cannot use, never
// reaches a file.
#pragma once

#include <string>
#include <vector>

// The texts and check marks of the configuration page, exactly as typed.
struct WindowSettings {
  std::string functionWeight = "6";  // Edit1
  std::string constantWeight = "2";  // Edit2
  std::string robotWeight = "2";     // Edit3
  std::vector<bool> functions;       // CheckListBox1, 12 items
  std::vector<bool> constants;       // CheckListBox2, 10 items
  std::vector<bool> robotActions;    // CheckListBox3, 11 items
  std::string energy = "400";
  std::string robotX = "-30";
  std::string robotY = "-30";
  std::string boxX = "0";
  std::string boxY = "0";
  std::string maxGeneration = "50";
  std::string populationSize = "50";
  std::string eliteSize = "5";
  std::string tournamentSize = "2";
  std::string initialDepth = "6";
  std::string maxDepth = "10";
  std::string crossoverRatio = "0.9";
  std::string mutationRatio = "0.0";

  // The window's initial settings, check marks included.
  static WindowSettings Defaults();
};

// The operator names written for the items of the three check lists.
const std::vector<std::string>& FunctionNames();
const std::vector<std::string>& RobotActionNames();
const std::vector<std::string>& ConstantNames();

// Empty when every edit holds what its file needs; otherwise a message naming
// the first bad edit and what it must hold.
std::string CheckSettings(const WindowSettings& settings);

// File texts, byte for byte as Update writes them.
std::string TableText(const WindowSettings& settings);
std::string ParameterText(const WindowSettings& settings);
// The problem file: the fixed head, robot and box lines, then every complete
// integer pair of the walls file (none when it cannot be read).
std::string ProblemText(const WindowSettings& settings, const std::string& wallsPath);

// The file list and the log setting that Update makes where they are missing,
// so that a folder without input files gets a complete set.
const std::string& FileListText();
const std::string& LogSettingText();

// Writes input/table.txt, input/parameter.txt and input/problem.txt under
// folder (the working directory when empty), reading input/walls.txt there;
// makes the input folder, input/files.txt and input/log_setting.txt where
// missing. All or nothing: empty on success, otherwise a message naming the
// file that could not be written and why, with no input file changed.
std::string WriteConfiguration(const WindowSettings& settings, const std::string& folder = "");
