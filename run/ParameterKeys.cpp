#include "run/ParameterKeys.h"

#include <algorithm>
#include <vector>

#include "config/Register.h"
#include "foundation/Exception.h"

namespace {
// Every key a run looks up; the optional ones included.
const char* const kIntKeys[] = {"initial_depth",   "max_depth",       "seed",        "iteration_num",
                                "max_generation",  "population_size", "elite_size",  "tournament_size",
                                "threads",         "checkpoint_every", "run_seeding"};
const char* const kDoubleKeys[] = {"crossover_ratio", "mutation_ratio"};

template <std::size_t N>
bool Contains(const char* const (&keys)[N], const std::string& key) {
  return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

// Optimal string alignment distance.
int EditDistance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size();
  const std::size_t m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      int cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

template <class Value>
void WarnSection(const Register<std::string, Value>& registry, bool realSection, const std::string& path,
                 const std::string& cls, const std::string& method) {
  for (int i = 0; i < registry.Count(); ++i) {
    const std::string& key = registry.KeyAt(i);
    if (realSection ? IsKnownDoubleKey(key) : IsKnownIntKey(key)) continue;
    std::string message = "Parameter file " + path + ": ";
    if (realSection ? IsKnownIntKey(key) : IsKnownDoubleKey(key)) {
      message += key + " belongs in the " + (realSection ? "int_parameter" : "double_parameter") +
                 " section; here it is not read";
    } else {
      message += "unknown key " + key;
      std::string nearest = NearestKnownKey(key);
      if (!nearest.empty()) message += "; did you mean " + nearest + "?";
    }
    GetException()->Warning(message, cls, method);
  }
}
}  // namespace

bool IsKnownIntKey(const std::string& key) { return Contains(kIntKeys, key); }

bool IsKnownDoubleKey(const std::string& key) { return Contains(kDoubleKeys, key); }

std::string NearestKnownKey(const std::string& key) {
  std::string nearest;
  int best = 0;
  auto consider = [&](const char* known) {
    int distance = EditDistance(key, known);
    if (nearest.empty() || distance < best) {
      nearest = known;
      best = distance;
    }
  };
  for (const char* known : kIntKeys) consider(known);
  for (const char* known : kDoubleKeys) consider(known);
  // A few slips of the keyboard, not a different word.
  int allowed = std::max(2, static_cast<int>(key.size()) / 4);
  return best <= allowed ? nearest : std::string();
}

void WarnUnknownKeys(const IntRegister& ints, const DoubleRegister& doubles, const std::string& path,
                     const std::string& cls, const std::string& method) {
  WarnSection(ints, false, path, cls, method);
  WarnSection(doubles, true, path, cls, method);
}
