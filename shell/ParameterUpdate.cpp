#include "shell/ParameterUpdate.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/FileReplacement.h"

namespace {
struct Word {
  std::size_t begin = 0;
  std::size_t end = 0;
};

std::vector<Word> Words(const std::string& text) {
  std::vector<Word> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at == text.size()) break;
    Word word{at, at};
    while (word.end < text.size() && !std::isspace(static_cast<unsigned char>(text[word.end]))) ++word.end;
    words.push_back(word);
    at = word.end;
  }
  return words;
}

struct Key {
  const char* name;
  const std::string& value;
  bool real;
};

// Where a missing key goes: after the last word of its section (or after the
// section's heading words when it has none), on a line of its own.
std::string AddLine(const std::string& text, std::size_t after, const std::string& line) {
  std::size_t lineEnd = text.find('\n', after);
  if (lineEnd == std::string::npos) {
    std::string end = text.size() > 0 && text.back() == '\r' ? "\r\n" : "\n";
    return text + (text.empty() || text.back() == '\n' ? "" : end) + line + "\n";
  }
  bool crlf = lineEnd > 0 && text[lineEnd - 1] == '\r';
  return text.substr(0, lineEnd + 1) + line + (crlf ? "\r\n" : "\n") + text.substr(lineEnd + 1);
}
}  // namespace

std::string UpdatedParameterText(const std::string& existing, const WindowSettings& s) {
  std::vector<Word> words = Words(existing);
  auto wordText = [&](std::size_t i) { return existing.substr(words[i].begin, words[i].end - words[i].begin); };
  if (words.size() < 2 || wordText(0) != "-----" || wordText(1) != "int_parameter") return ParameterText(s);
  const Key keys[] = {
      {"initial_depth", s.initialDepth, false},     {"max_depth", s.maxDepth, false},
      {"max_generation", s.maxGeneration, false},   {"population_size", s.populationSize, false},
      {"elite_size", s.eliteSize, false},           {"tournament_size", s.tournamentSize, false},
      {"crossover_ratio", s.crossoverRatio, true}, {"mutation_ratio", s.mutationRatio, true},
  };
  constexpr std::size_t kKeys = std::size(keys);
  // The value word found for each key, as the reader pairs the words.
  std::vector<std::size_t> found(kKeys, 0);
  // The last word of each section, where a missing key is added.
  std::size_t sectionEnd[2] = {1, 0};
  bool realSection = false;
  bool anyRealSection = false;
  std::size_t i = 2;
  while (i < words.size()) {
    if (wordText(i) == "-----") {
      if (realSection) break;
      // The closing "-----" and the real section's name.
      realSection = anyRealSection = true;
      sectionEnd[1] = i + 1 < words.size() ? i + 1 : i;
      i += 2;
      continue;
    }
    if (i + 1 >= words.size() || wordText(i + 1) == "-----") break;
    for (std::size_t k = 0; k < kKeys; ++k) {
      if (found[k] == 0 && keys[k].real == realSection && wordText(i) == keys[k].name) found[k] = i + 1;
    }
    sectionEnd[realSection ? 1 : 0] = i + 1;
    i += 2;
  }
  // Values are replaced from the back, so that earlier positions hold.
  std::vector<std::pair<std::size_t, std::size_t>> order;
  for (std::size_t k = 0; k < kKeys; ++k) {
    if (found[k] != 0) order.emplace_back(found[k], k);
  }
  std::sort(order.rbegin(), order.rend());
  std::string text = existing;
  for (const auto& [word, k] : order) {
    text.replace(words[word].begin, words[word].end - words[word].begin, keys[k].value);
  }
  // Missing keys: the real ones first (they come later in the text), each
  // section's in the page's order.
  for (int section : {1, 0}) {
    std::string lines;
    for (std::size_t k = 0; k < kKeys; ++k) {
      if (found[k] != 0 || keys[k].real != (section == 1)) continue;
      lines += (lines.empty() ? "" : "\n") + std::string(keys[k].name) + "\t" + keys[k].value;
    }
    if (lines.empty()) continue;
    if (section == 1 && !anyRealSection) {
      text = AddLine(text, text.size(), "\n----- double_parameter\n\n" + lines);
      continue;
    }
    // The section's end, shifted by the replacements made before it.
    std::size_t at = words[sectionEnd[section]].end;
    for (const auto& [word, k] : order) {
      if (word <= sectionEnd[section]) {
        at += keys[k].value.size();
        at -= words[word].end - words[word].begin;
      }
    }
    text = AddLine(text, at, lines);
  }
  return text;
}

std::string WriteParameters(const WindowSettings& settings, const std::string& path, const std::string& folder) {
  std::string target = folder.empty() ? path : folder + "/" + path;
  std::ifstream in(target, std::ios::binary);
  if (!in) return "Update could not read " + path + ". No input file was changed.";
  std::string existing((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::string problem = ReplaceFiles({{target, UpdatedParameterText(existing, settings)}});
  if (problem.empty()) return "";
  if (!folder.empty() && problem.rfind(folder + "/", 0) == 0) problem.erase(0, folder.size() + 1);
  return "Update could not write " + problem + ". No input file was changed.";
}
