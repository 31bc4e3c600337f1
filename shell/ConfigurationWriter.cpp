#include "shell/ConfigurationWriter.h"

#include <climits>
#include <fstream>
#include <sstream>

#include "robots/RobotProblemSupport.h"
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

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::out | std::ios::trunc | std::ios::binary);
  if (out) out << text;
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
std::string CheckGeneration(const WindowSettings& s) {
  // Each edit is a number of its kind by now. Together they must leave room
  // in every generation and give mutation a depth to grow into; otherwise
  // the run would end at its first breeding.
  // Read as the checks above read them (never throwing).
  auto whole = [](const std::string& text) {
    long long value = 0;
    std::istringstream(text) >> value;
    return static_cast<int>(value);
  };
  auto real = [](const std::string& text) {
    double value = 0.0;
    std::istringstream(text) >> value;
    return value;
  };
  int population = whole(s.populationSize);
  int elite = whole(s.eliteSize);
  double crossover = real(s.crossoverRatio);
  double mutation = real(s.mutationRatio);
  if (elite > population) {
    return "Elite size must be no greater than the population size " + s.populationSize + ", not \"" + s.eliteSize +
           "\"";
  }
  if (!(crossover >= 0.0)) return "Crossover ratio must be at least 0, not \"" + s.crossoverRatio + "\"";
  if (!(mutation >= 0.0)) return "Mutation ratio must be at least 0, not \"" + s.mutationRatio + "\"";
  GenerationSplit split = GenerationSplit::Of(population, elite, crossover, mutation);
  if (split.rest < 0) {
    return "Crossover ratio " + s.crossoverRatio + " and mutation ratio " + s.mutationRatio +
           " together give more offspring than the " + std::to_string(population - elite) +
           " places after the elite";
  }
  if (split.mutation > 0 && whole(s.maxDepth) < whole(s.initialDepth)) {
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
  // The engine refuses larger values as it reads the files; the window says
  // so before writing them.
  double energy = 0.0;
  std::istringstream(s.energy) >> energy;
  if (!(energy <= kMaxRobotEnergy)) {
    return "Energy must be a number no greater than " + NumberText(kMaxRobotEnergy) + ", not \"" + s.energy + "\"";
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
      {s.tournamentSize, "Tournament size", 1, INT_MAX},
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
  return CheckGeneration(s);
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

void WriteConfiguration(const WindowSettings& s, const std::string& folder) {
  std::string base = folder.empty() ? std::string() : folder + "/";
  WriteFile(base + "input/table.txt", TableText(s));
  WriteFile(base + "input/parameter.txt", ParameterText(s));
  WriteFile(base + "input/problem.txt", ProblemText(s, base + "input/walls.txt"));
}
