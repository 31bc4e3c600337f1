#include "shell/plot/Labels.h"

#include <algorithm>
#include <cstddef>
#include <set>

namespace {
// The KEY-VALUE parts of a label; a key may hold "_" itself, so a part ends
// at the first "_" after its "-".
std::vector<std::string> Split(const std::string& label) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t dash = label.find('-', start);
    std::size_t end = dash == std::string::npos ? std::string::npos : label.find('_', dash);
    if (end == std::string::npos) break;
    parts.push_back(label.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(label.substr(start));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
  std::string joined;
  for (std::size_t i = from; i < to; ++i) joined += (i > from ? "_" : "") + parts[i];
  return joined;
}
}  // namespace

std::vector<std::string> DistinctParts(const std::vector<std::string>& labels) {
  if (labels.size() < 2) return labels;
  std::vector<std::vector<std::string>> split;
  std::size_t fewest = SIZE_MAX;
  for (const std::string& label : labels) {
    split.push_back(Split(label));
    fewest = std::min(fewest, split.back().size());
  }
  auto sharedAt = [&](auto partOf) {
    for (const auto& parts : split) {
      if (partOf(parts) != partOf(split[0])) return false;
    }
    return true;
  };
  std::size_t lead = 0;
  while (lead + 1 < fewest && sharedAt([&](const auto& parts) { return parts[lead]; })) ++lead;
  std::size_t trail = 0;
  while (lead + trail + 1 < fewest &&
         sharedAt([&](const auto& parts) { return parts[parts.size() - 1 - trail]; })) {
    ++trail;
  }
  std::vector<std::string> shortened;
  for (const auto& parts : split) shortened.push_back(Join(parts, lead, parts.size() - trail));
  if (std::set<std::string>(shortened.begin(), shortened.end()).size() < labels.size()) return labels;
  return shortened;
}
