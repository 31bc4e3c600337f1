#include "shell/ConfigurationWriter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "robots/RobotProblemSupport.h"
#include "shell/FileReplacement.h"
#include "run/GPProducer.h"
#include "variation/GenerationSplit.h"

namespace {
// Whether text holds exactly one number of the kind the input readers take.
bool IsReal(const std::string& text) {
  std::istringstream in(text);
  double value = 0.0;
  if (!(in >> value)) return false;
  std::string rest;
  return !(in >> rest);
}

bool IsWhole(const std::string& text, long long minimum, long long maximum) {
  std::istringstream in(text);
  long long value = 0;
  if (!(in >> value)) return false;
  std::string rest;
  if (in >> rest) return false;
  return value >= minimum && value <= maximum;
}

std::string Checked(const std::vector<bool>& marks, const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < marks.size(); ++i) {
    if (marks[i]) text += names[i] + " ";
  }
  return text;
}

}  // namespace

const std::vector<std::string>& FunctionNames() {
  static const std::vector<std::string> names = {"Prog2", "iflte", "Plus2", "Subtract", "Times2", "Sin",
                                                 "Cos",   "divide", "Exp",  "ln",       "log",    "pow"};
  return names;
}

const std::vector<std::string>& RobotActionNames() {
  static const std::vector<std::string> names = {
      "sensor",    "moveForward0", "moveForward1", "moveBackward0", "moveBackward1", "moveLeft0",
      "moveLeft1", "moveLeft2",    "moveRight0",   "moveRight1",    "moveRight2"};
  return names;
}

const std::vector<std::string>& ConstantNames() {
  static const std::vector<std::string> names = {"1.0", "2.0", "3.0", "4.0", "5.0",
                                                 "6.0", "7.0", "8.0", "9.0", "10.0"};
  return names;
}

WindowSettings WindowSettings::Defaults() {
  WindowSettings s;
  s.functions.assign(12, false);
  for (int i : {0, 1, 2, 4}) s.functions[static_cast<std::size_t>(i)] = true;
  s.constants.assign(10, true);
  s.robotActions.assign(11, false);
  for (int i : {0, 1, 3, 6, 9}) s.robotActions[static_cast<std::size_t>(i)] = true;
  return s;
}

namespace {
// Read as the checks above read them (never throwing); each edit is a number
// of its kind by then.
long long Whole(const std::string& text) {
  long long value = 0;
  std::istringstream(text) >> value;
  return value;
}

double Real(const std::string& text) {
  double value = 0.0;
  std::istringstream(text) >> value;
  return value;
}

// The window's room is 100 by 100 around (0, 0), with a ring of wall cells
// around the inner area, which spans -50 up to (not including) 50 on both
// axes. The box (half side 5) must lie wholly inside it, or no push can ever
// move it.
constexpr double kInnerHalf = 50.0;
constexpr double kBoxHalf = 5.0;

std::string CheckPosition(const std::string& text, const char* name, double margin, const char* what) {
  double value = Real(text);
  double low = -kInnerHalf + margin;
  double high = kInnerHalf - margin;
  if (value >= low && value < high) return "";
  return std::string(name) + " must be at least " + NumberText(low) + " and below " + NumberText(high) + ", so that " +
         what + " inside the room, not \"" + text + "\"";
}

std::string CheckRobotSetting(const WindowSettings& s) {
  double energy = Real(s.energy);
  if (!(energy >= 1.0 && energy <= kMaxRobotEnergy)) {
    return "Energy must be a number from 1 to " + NumberText(kMaxRobotEnergy) + ", not \"" + s.energy + "\"";
  }
  for (std::string problem :
       {CheckPosition(s.robotX, "Robot position x", 0.0, "the robot starts"),
        CheckPosition(s.robotY, "Robot position y", 0.0, "the robot starts"),
        CheckPosition(s.boxX, "Box position x", kBoxHalf, "the whole box lies"),
        CheckPosition(s.boxY, "Box position y", kBoxHalf, "the whole box lies")}) {
    if (!problem.empty()) return problem;
  }
  return "";
}

std::string CheckNodeSet(const WindowSettings& s) {
  struct Weight {
    const std::string& text;
    const char* name;
  };
  const Weight weights[] = {{s.functionWeight, "Function weight"},
                            {s.robotWeight, "Robot weight"},
                            {s.constantWeight, "Const weight"}};
  double sum = 0.0;
  for (const Weight& weight : weights) {
    double value = Real(weight.text);
    if (!(value >= 0.0 && std::isfinite(value))) {
      return std::string(weight.name) + " must be a number of at least 0, not \"" + weight.text + "\"";
    }
    sum += value;
  }
  // Classes are drawn by a roulette over the weights' sum.
  if (!std::isfinite(sum)) {
    return "The function, robot and const weights " + s.functionWeight + ", " + s.robotWeight + " and " +
           s.constantWeight + " add up to more than a number can hold";
  }
  if (!(sum > 0.0)) return "At least one weight must be greater than 0";
  auto none = [](const std::vector<bool>& marks) { return std::find(marks.begin(), marks.end(), true) == marks.end(); };
  // The constants are the terminals, drawn wherever a program reaches its
  // depth limit, whatever their weight; another class only when its weight
  // is above 0.
  if (none(s.constants)) return "At least one constant must be checked: the constants end every program";
  if (Real(s.functionWeight) > 0.0 && none(s.functions)) {
    return "At least one function must be checked while the function weight is above 0";
  }
  if (Real(s.robotWeight) > 0.0 && none(s.robotActions)) {
    return "At least one robot action must be checked while the robot weight is above 0";
  }
  return "";
}

std::string CheckGeneration(const WindowSettings& s) {
  // Together the edits must leave room in every generation and give mutation
  // a depth to grow into; otherwise the run would end at its first breeding.
  long long population = Whole(s.populationSize);
  long long elite = Whole(s.eliteSize);
  double crossover = Real(s.crossoverRatio);
  double mutation = Real(s.mutationRatio);
  if (elite > population) {
    return "Elite size must be no greater than the population size " + s.populationSize + ", not \"" + s.eliteSize +
           "\"";
  }
  if (!(crossover >= 0.0)) return "Crossover ratio must be at least 0, not \"" + s.crossoverRatio + "\"";
  if (!(mutation >= 0.0)) return "Mutation ratio must be at least 0, not \"" + s.mutationRatio + "\"";
  // The offspring counts as the generation scheme takes them, worked out in
  // doubles: a count beyond an int must not wrap into one that fits.
  double places = static_cast<double>(population - elite);
  double offspring = std::trunc(places * crossover) + std::trunc(places * mutation);
  if (!(offspring <= places)) {
    return "Crossover ratio " + s.crossoverRatio + " and mutation ratio " + s.mutationRatio +
           " together give more offspring than the " + std::to_string(population - elite) +
           " places after the elite";
  }
  if (std::trunc(places * mutation) > 0.0 && Whole(s.maxDepth) < Whole(s.initialDepth)) {
    return "Max depth must be at least the initial depth " + s.initialDepth + " when programs are mutated, not \"" +
           s.maxDepth + "\"";
  }
  return "";
}
}  // namespace

std::string CheckSettings(const WindowSettings& s) {
  struct RealField {
    const std::string& text;
    const char* name;
  };
  const RealField reals[] = {
      {s.functionWeight, "Function weight"}, {s.robotWeight, "Robot weight"},
      {s.constantWeight, "Const weight"},    {s.energy, "Energy"},
      {s.robotX, "Robot position x"},        {s.robotY, "Robot position y"},
      {s.boxX, "Box position x"},            {s.boxY, "Box position y"},
      {s.crossoverRatio, "Crossover ratio"}, {s.mutationRatio, "Mutation ratio"},
  };
  for (const auto& field : reals) {
    if (!IsReal(field.text)) return std::string(field.name) + " must be a number, not \"" + field.text + "\"";
  }
  struct WholeField {
    const std::string& text;
    const char* name;
    long long minimum;
    long long maximum;
  };
  const WholeField wholes[] = {
      {s.maxGeneration, "Max generation", 0, Producer::kMaxGeneration},
      {s.populationSize, "Population size", 1, Producer::kMaxPopulationSize},
      {s.eliteSize, "Elite size", 0, INT_MAX},
      {s.tournamentSize, "Tournament size", 1, Producer::kMaxTournamentSize},
      {s.initialDepth, "Initial depth", 1, GPProducer::kMaxDepthLimit},
      {s.maxDepth, "Max depth", 0, GPProducer::kMaxDepthLimit},
  };
  for (const auto& field : wholes) {
    if (!IsWhole(field.text, field.minimum, field.maximum)) {
      std::string range = field.maximum == INT_MAX ? "of at least " + std::to_string(field.minimum)
                                                   : "from " + std::to_string(field.minimum) + " to " +
                                                         std::to_string(field.maximum);
      return std::string(field.name) + " must be a whole number " + range + ", not \"" + field.text + "\"";
    }
  }
  for (std::string problem : {CheckNodeSet(s), CheckRobotSetting(s), CheckGeneration(s)}) {
    if (!problem.empty()) return problem;
  }
  return "";
}


std::string TableText(const WindowSettings& s) {
  return s.constantWeight + "\t" + Checked(s.constants, ConstantNames()) + "\n" + s.functionWeight + "\t" +
         Checked(s.functions, FunctionNames()) + "\n" + s.robotWeight + "\t" +
         Checked(s.robotActions, RobotActionNames()) + "\n";
}

std::string ParameterText(const WindowSettings& s) {
  return "----- int_parameter\n\n"
         "initial_depth\t" + s.initialDepth + "\n"
         "max_depth\t" + s.maxDepth + "\n"
         "seed\t10\niteration_num\t1\n\n"
         "max_generation\t" + s.maxGeneration + "\n"
         "population_size\t" + s.populationSize + "\n"
         "elite_size\t" + s.eliteSize + "\n"
         "tournament_size\t" + s.tournamentSize + "\n"
         "\n----- double_parameter\n\n"
         "crossover_ratio\t" + s.crossoverRatio + "\n"
         "mutation_ratio\t" + s.mutationRatio + "\n";
}

std::string ProblemText(const WindowSettings& s, const std::string& wallsPath) {
  std::string text = "BoxMoving\n\n100 100 10\n\n1\n\n";
  text += s.robotX + " " + s.robotY + " 1.57 " + s.energy + "\n\n";
  text += s.boxX + " " + s.boxY + "\n\n";
  std::ifstream walls(wallsPath);
  int a = 0;
  int b = 0;
  while (walls >> a >> b) text += std::to_string(a) + " " + std::to_string(b) + "\n";
  return text;
}

const std::string& FileListText() {
  static const std::string text =
      "log_setting input/log_setting.txt\nparameter input/parameter.txt\nproblem input/problem.txt\n"
      "table input/table.txt\n";
  return text;
}

const std::string& LogSettingText() {
  static const std::string text =
      "log_setting ./ streams\nlog log.txt\nsave save.txt\norbit orbit.txt\ntimer timer.txt\n"
      "online-mean online-mean.txt\nonline-sd online-sd.txt\noffline-mean offline-mean.txt\n"
      "offline-sd offline-sd.txt\nbest best.txt\n";
  return text;
}

std::string WriteConfiguration(const WindowSettings& s, const std::string& folder) {
  std::string base = folder.empty() ? std::string() : folder + "/";
  std::error_code error;
  std::filesystem::create_directories(base + "input", error);
  if (error) return "Update could not make the folder " + base + "input: " + error.message() + ".";
  std::vector<FileText> files = {
      {base + "input/table.txt", TableText(s)},
      {base + "input/parameter.txt", ParameterText(s)},
      {base + "input/problem.txt", ProblemText(s, base + "input/walls.txt")},
  };
  // A file list or log setting is never replaced, only made where missing.
  for (const auto& [name, text] : {std::pair{"input/files.txt", &FileListText()},
                                   std::pair{"input/log_setting.txt", &LogSettingText()}}) {
    if (!std::filesystem::exists(base + name, error)) files.push_back({base + name, *text});
  }
  std::string problem = ReplaceFiles(files);
  if (problem.empty()) return "";
  if (!base.empty() && problem.rfind(base, 0) == 0) problem.erase(0, base.size());
  return "Update could not write " + problem + ". No input file was changed.";
}
