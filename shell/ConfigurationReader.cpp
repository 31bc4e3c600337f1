#include "shell/ConfigurationReader.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {
// The words of a file; false when it cannot be opened.
bool ReadWords(const std::string& path, std::vector<std::string>& words) {
  std::ifstream in(path);
  if (!in) return false;
  std::string word;
  while (in >> word) words.push_back(word);
  return true;
}

bool IsWholeWord(const std::string& word) {
  std::istringstream in(word);
  long long value = 0;
  std::string rest;
  return static_cast<bool>(in >> value) && !(in >> rest) && in.eof();
}

bool IsRealWord(const std::string& word) {
  std::istringstream in(word);
  double value = 0.0;
  std::string rest;
  return static_cast<bool>(in >> value) && !(in >> rest);
}

// Key/value pairs up to the word "-----" (or the end); the first occurrence
// of a key wins. pos moves past the pairs and the closing "-----".
std::map<std::string, std::string> ReadSection(const std::vector<std::string>& words, std::size_t& pos) {
  std::map<std::string, std::string> values;
  while (pos < words.size() && words[pos] != "-----") {
    if (pos + 1 < words.size() && words[pos + 1] != "-----") values.emplace(words[pos], words[pos + 1]);
    pos += 2;
  }
  if (pos < words.size()) ++pos;
  return values;
}

// One line of the table: its weight, and check marks for the names it lists,
// which must all be names of the list, in the list's order, each once.
bool ReadTableLine(const std::string& line, const std::vector<std::string>& names, std::string& weight,
                   std::vector<bool>& marks) {
  std::istringstream words(line);
  if (!(words >> weight) || !IsRealWord(weight)) return false;
  marks.assign(names.size(), false);
  std::size_t next = 0;
  std::string name;
  while (words >> name) {
    auto found = std::find(names.begin() + static_cast<std::ptrdiff_t>(next), names.end(), name);
    if (found == names.end()) return false;
    next = static_cast<std::size_t>(found - names.begin());
    marks[next++] = true;
  }
  return true;
}

std::string ReadTable(const std::string& path, WindowSettings& s) {
  std::ifstream in(path);
  if (!in) return path + " cannot be read";
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back(line);
  }
  if (lines.size() != 3 || !ReadTableLine(lines[0], ConstantNames(), s.constantWeight, s.constants) ||
      !ReadTableLine(lines[1], FunctionNames(), s.functionWeight, s.functions) ||
      !ReadTableLine(lines[2], RobotActionNames(), s.robotWeight, s.robotActions)) {
    return path + " is not a table of the page's constants, functions and robot actions";
  }
  return "";
}

std::string ReadParameterFile(const std::string& path, WindowSettings& s) {
  std::vector<std::string> words;
  if (!ReadWords(path, words)) return path + " cannot be read";
  const std::string unlike = path + " is not a parameter file of the form Update writes";
  if (words.size() < 2 || words[0] != "-----" || words[1] != "int_parameter") return unlike;
  std::size_t pos = 2;
  std::map<std::string, std::string> ints = ReadSection(words, pos);
  ++pos;  // the section's name
  std::map<std::string, std::string> reals = ReadSection(words, pos);
  struct Field {
    const std::map<std::string, std::string>& section;
    const char* key;
    std::string& text;
    bool whole;
  };
  const Field fields[] = {
      {ints, "initial_depth", s.initialDepth, true},        {ints, "max_depth", s.maxDepth, true},
      {ints, "max_generation", s.maxGeneration, true},      {ints, "population_size", s.populationSize, true},
      {ints, "elite_size", s.eliteSize, true},              {ints, "tournament_size", s.tournamentSize, true},
      {reals, "crossover_ratio", s.crossoverRatio, false}, {reals, "mutation_ratio", s.mutationRatio, false},
  };
  for (const Field& field : fields) {
    auto found = field.section.find(field.key);
    if (found == field.section.end()) return path + " has no " + field.key;
    if (field.whole ? !IsWholeWord(found->second) : !IsRealWord(found->second)) {
      return path + " gives " + field.key + " as \"" + found->second + "\"";
    }
    field.text = found->second;
  }
  return "";
}

std::string ReadProblem(const std::string& path, WindowSettings& s, std::string& otherProblem) {
  std::vector<std::string> words;
  if (!ReadWords(path, words)) return path + " cannot be read";
  if (words.empty()) return path + " is empty";
  if (words[0] != "BoxMoving") {
    otherProblem = words[0];
    return path + " holds the problem " + words[0] + ", not box moving";
  }
  // The room, cell size, step and heading are fixed; positions and energy
  // are the page's.
  const char* fixed[] = {"100", "100", "10", "1"};
  bool same = words.size() >= 11 && words[7] == "1.57";
  for (int i = 0; same && i < 4; ++i) same = words[static_cast<std::size_t>(i) + 1] == fixed[i];
  for (std::size_t i : {5, 6, 8, 9, 10}) same = same && i < words.size() && IsRealWord(words[i]);
  if (!same) return path + " holds a box-moving room other than the page's";
  s.robotX = words[5];
  s.robotY = words[6];
  s.energy = words[8];
  s.boxX = words[9];
  s.boxY = words[10];
  return "";
}
}  // namespace

SettingsReading ReadSettings(const std::string& folder) {
  std::string base = folder.empty() ? std::string() : folder + "/";
  SettingsReading reading;
  reading.settings = WindowSettings::Defaults();
  WindowSettings s = WindowSettings::Defaults();

  std::vector<std::string> list;
  if (!ReadWords(base + "input/files.txt", list)) {
    reading.reason = "input/files.txt cannot be read";
    return reading;
  }
  std::map<std::string, std::string> paths;
  for (std::size_t i = 0; i + 1 < list.size(); i += 2) paths.emplace(list[i], list[i + 1]);
  // The problem the list names is looked at first: another problem is the
  // reason that matters most.
  auto named = paths.find("problem");
  std::string problemPath = named != paths.end() ? named->second : "input/problem.txt";
  std::string reason = ReadProblem(base + problemPath, s, reading.otherProblem);
  if (!reading.otherProblem.empty()) {
    auto parameter = paths.find("parameter");
    reading.parameterPath = parameter != paths.end() ? parameter->second : "input/parameter.txt";
    auto table = paths.find("table");
    reading.tablePath = table != paths.end() ? table->second : "input/table.txt";
    WindowSettings withParameters = WindowSettings::Defaults();
    reading.parametersReason = ReadParameterFile(base + reading.parameterPath, withParameters);
    if (reading.parametersReason.empty()) {
      reading.parametersShown = true;
      reading.settings = withParameters;
    } else if (!base.empty() && reading.parametersReason.rfind(base, 0) == 0) {
      reading.parametersReason.erase(0, base.size());
    }
  }
  if (reason.empty()) {
    for (const char* key : {"table", "parameter", "problem"}) {
      if (paths[key] != std::string("input/") + key + ".txt") {
        reason = "input/files.txt names other files than the ones Update writes";
        break;
      }
    }
  }
  if (reason.empty()) reason = ReadTable(base + "input/table.txt", s);
  if (reason.empty()) reason = ReadParameterFile(base + "input/parameter.txt", s);
  if (!reason.empty()) {
    // Paths are named as the page knows them, relative to the working folder.
    if (!base.empty() && reason.rfind(base, 0) == 0) reason.erase(0, base.size());
    reading.reason = reason;
    return reading;
  }
  reading.shown = true;
  reading.settings = s;
  return reading;
}
