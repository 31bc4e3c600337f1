#include "run/CheckpointText.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "programs/ListingCodes.h"

namespace {
const char* kMagic = "morvane2 checkpoint";
constexpr int kWordsPerLine = 8;

const char kHexDigits[] = "0123456789abcdef";

// Exact: a hexadecimal float reads back to the same bits (nan and inf too).
std::string Exact(double value) {
  std::string text;
  AppendExact(text, value);
  return text;
}

// Hexadecimal digits of value, digits of them, zero-padded.
void AppendHex(std::string& out, std::uint64_t value, int digits) {
  char buffer[16];
  for (int k = digits - 1; k >= 0; --k) {
    buffer[k] = kHexDigits[value & 0xF];
    value >>= 4;
  }
  out.append(buffer, static_cast<std::size_t>(digits));
}

// Adds the lines to out.lines, and a kept genome as a piece of its own.
class PieceWriter {
 public:
  explicit PieceWriter(CheckpointPieces& out) : out(out) {}
  std::string& Lines() { return out.lines; }
  void Keep(std::string_view kept) {
    Close();
    if (!kept.empty()) out.pieces.push_back({nullptr, kept.data(), 0, kept.size()});
  }
  void Keep(const ListingCodes* codes) {
    Close();
    out.pieces.push_back({codes, nullptr, 0, 0});
  }
  // Ends the lines made since the last piece.
  void Close() {
    if (out.lines.size() > start) out.pieces.push_back({nullptr, nullptr, start, out.lines.size() - start});
    start = out.lines.size();
  }

 private:
  CheckpointPieces& out;
  std::size_t start = 0;
};

void AppendMember(PieceWriter& writer, const char* word, const CheckpointData::Member& member) {
  std::string& out = writer.Lines();
  std::string_view genome = member.kept.empty() ? std::string_view(member.genome) : member.kept;
  out += word;
  out += ' ';
  AppendExact(out, member.fitness);
  if (member.bits) {
    out += " bits ";
    out += genome;
    out += '\n';
    return;
  }
  std::size_t nodes = 0;
  if (member.nodes >= 0) {
    nodes = static_cast<std::size_t>(member.nodes);
  } else {
    for (char c : genome) nodes += c == '\n' ? 1 : 0;
  }
  out += " nodes ";
  out += std::to_string(nodes);
  out += '\n';
  if (member.codes != nullptr) {
    writer.Keep(member.codes);
  } else if (member.kept.empty()) {
    out += genome;
  } else {
    writer.Keep(genome);
  }
}

// Reads the text line by line, each line split into blank-separated words,
// and says what a line that does not fit was expected to be.
class Reader {
 public:
  explicit Reader(const std::string& text) : text(text) {}

  // The next line, split; false at the end of the text (a last line without
  // its line feed counts as cut short).
  bool Next(const std::string& expected) {
    this->expected = expected;
    if (at >= text.size()) {
      ++number;
      Fail("found the end of the file (the checkpoint is cut short)");
      return false;
    }
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) {
      ++number;
      Fail("found an unfinished last line (the checkpoint is cut short)");
      return false;
    }
    line = text.substr(at, end - at);
    lineStart = at;
    at = end + 1;
    ++number;
    words.clear();
    std::istringstream split(line);
    std::string word;
    while (split >> word) words.push_back(word);
    return true;
  }
  // The next line, which must start with the given word and have at least
  // count words in all.
  bool Line(const std::string& expected, const std::string& first, std::size_t count) {
    if (!Next(expected)) return false;
    if (words.size() < count || words[0] != first) return Wrong();
    return true;
  }
  bool Wrong() {
    Fail("found \"" + Shown(line) + "\"");
    return false;
  }
  bool Fail(const std::string& found) {
    if (error.empty()) error = "line " + std::to_string(number) + ": expected " + expected + ", " + found;
    return false;
  }

  bool Int(std::size_t i, long long low, long long high, long long& value) {
    const std::string& word = words[i];
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || end == word.c_str() || *end != '\0' || v < low || v > high) return Wrong();
    value = v;
    return true;
  }
  template <class T>
  bool Int(std::size_t i, long long low, long long high, T& value) {
    long long v = 0;
    if (!Int(i, low, high, v)) return false;
    value = static_cast<T>(v);
    return true;
  }
  bool Unsigned(std::size_t i, std::uint64_t& value) {
    const std::string& word = words[i];
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(word.c_str(), &end, 16);
    if (errno != 0 || word.empty() || word[0] == '-' || *end != '\0') return Wrong();
    value = v;
    return true;
  }
  bool Double(std::size_t i, double& value) {
    const std::string& word = words[i];
    char* end = nullptr;
    double v = std::strtod(word.c_str(), &end);
    if (end == word.c_str() || *end != '\0') return Wrong();
    value = v;
    return true;
  }
  // The rest of the line after n words and their blanks (a path may hold
  // blanks).
  std::string RestAfter(std::size_t n) const {
    std::size_t p = 0;
    for (std::size_t k = 0; k < n; ++k) {
      p = line.find_first_not_of(" \t", p);
      p = line.find_first_of(" \t", p);
      if (p == std::string::npos) return std::string();
    }
    ++p;
    return p <= line.size() ? line.substr(p) : std::string();
  }
  // A program of count node lines, "name<TAB>arity", kept as they are.
  bool Program(long long count, std::string& genome) {
    genome.clear();
    for (long long k = 0; k < count; ++k) {
      if (!Next("a program node \"name<TAB>arity\"")) return false;
      std::size_t tab = line.find('\t');
      if (tab == 0 || tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) return Wrong();
      std::string arity = line.substr(tab + 1);
      if (arity.empty() || arity.size() > 6 || arity.find_first_not_of("0123456789") != std::string::npos) {
        return Wrong();
      }
      genome += line;
      genome += '\n';
    }
    return true;
  }
  bool Member(const std::string& word, CheckpointData::Member& member) {
    if (!Line("\"" + word + " <fitness> nodes <count>\" or \"" + word + " <fitness> bits <0|1...>\"", word, 4)) {
      return false;
    }
    member.line = number;
    if (!Double(1, member.fitness)) return false;
    if (words[2] == "bits") {
      if (words.size() != 4 || words[3].find_first_not_of("01") != std::string::npos) return Wrong();
      member.bits = true;
      member.genome = words[3];
      return true;
    }
    long long nodes = 0;
    if (words[2] != "nodes" || words.size() != 4 || !Int(3, 1, 100000000, nodes)) return Wrong();
    member.bits = false;
    return Program(nodes, member.genome);
  }

  const std::string& text;
  std::size_t at = 0;
  std::size_t lineStart = 0;
  int number = 0;
  std::string line;
  std::vector<std::string> words;
  std::string expected;
  std::string error;

 private:
  static std::string Shown(const std::string& s) { return s.size() > 60 ? s.substr(0, 60) + "..." : s; }
};
}  // namespace

std::uint64_t Fnv1a64(const std::string& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001B3ULL;
  }
  return hash;
}

std::uint64_t WordFnv1a64(const std::string& text, std::size_t length) {
  WordFnv sum;
  sum.Add(text.data(), length);
  return sum.Value();
}

void WordFnv::Add(const char* data, std::size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  std::size_t at = 0;
  // A word begun by the part before.
  while (held > 0 && held < 8 && at < size) partial[held++] = bytes[at++];
  if (held == 8) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 8; ++k) word |= static_cast<std::uint64_t>(partial[k]) << (8 * k);
    Step(word);
    held = 0;
  }
  for (; at + 8 <= size; at += 8) {
    std::uint64_t word;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&word, bytes + at, 8);
    } else {
      word = 0;
      for (std::size_t k = 0; k < 8; ++k) word |= static_cast<std::uint64_t>(bytes[at + k]) << (8 * k);
    }
    Step(word);
  }
  while (at < size) partial[held++] = bytes[at++];
}

std::uint64_t WordFnv::Value() const {
  if (held == 0) return hash;
  std::uint64_t word = 0;
  for (std::size_t k = 0; k < held; ++k) word |= static_cast<std::uint64_t>(partial[k]) << (8 * k);
  WordFnv last = *this;
  last.held = 0;
  last.Step(word);
  return last.hash;
}

std::string Hex64(std::uint64_t value) {
  std::string text;
  AppendHex(text, value, 16);
  return text;
}

void AppendExact(std::string& out, double value) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  // Subnormal numbers, infinities and nan are rare enough for the library.
  if ((exponent == 0 && fraction != 0) || exponent == 0x7FF) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%a", value);
    out += buffer;
    return;
  }
  char buffer[32];
  char* p = buffer;
  if ((bits >> 63) != 0) *p++ = '-';
  *p++ = '0';
  *p++ = 'x';
  *p++ = exponent == 0 ? '0' : '1';
  if (fraction != 0) {
    *p++ = '.';
    // The 13 digits of the fraction, less its trailing zeros.
    int digits = 13;
    while ((fraction & 0xF) == 0) {
      fraction >>= 4;
      --digits;
    }
    for (int k = digits - 1; k >= 0; --k) {
      p[k] = kHexDigits[fraction & 0xF];
      fraction >>= 4;
    }
    p += digits;
  }
  int power = exponent == 0 ? 0 : exponent - 1023;
  *p++ = 'p';
  *p++ = power < 0 ? '-' : '+';
  unsigned magnitude = static_cast<unsigned>(power < 0 ? -power : power);
  char digits[8];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) *p++ = digits[--count];
  out.append(buffer, static_cast<std::size_t>(p - buffer));
}

std::string FormatCheckpoint(const CheckpointData& data) {
  std::string out;
  FormatCheckpoint(data, out);
  return out;
}

void FormatCheckpoint(const CheckpointData& data, CheckpointPieces& pieces) {
  pieces.pieces.clear();
  PieceWriter writer(pieces);
  std::string& out = pieces.lines;
  out.clear();
  // The programs are nearly all of it, unless kept elsewhere.
  std::size_t programs = data.best.genome.size();
  for (const auto& member : data.population) programs += member.genome.size() + 48;
  out.reserve(programs + 16384);
  out += std::string(kMagic) + " " + std::to_string(CheckpointData::kVersion) + "\n";
  out += "file_list " + data.fileList + "\n";
  out += "inputs " + std::to_string(data.inputs.size()) + "\n";
  for (const auto& input : data.inputs) out += "input " + Hex64(input.checksum) + " " + input.path + "\n";
  out += "position " + std::to_string(data.run) + " " + std::to_string(data.generation) + " " +
         std::to_string(data.solvedGeneration) + " " + (data.solved ? "1" : "0") + "\n";
  out += "seconds " + Exact(data.runSeconds) + " " + Exact(data.batchSeconds) + "\n";
  out += "scoring " + std::to_string(data.evaluations) + " " + std::to_string(data.remembered) + "\n";
  out += "random " + std::to_string(data.randomIndex) + "\n";
  for (std::size_t i = 0; i < data.randomWords.size(); ++i) {
    out += i % kWordsPerLine == 0 ? "words " : " ";
    AppendHex(out, data.randomWords[i], 8);
    if (i % kWordsPerLine == kWordsPerLine - 1) out += "\n";
  }
  out += "logs " + std::to_string(data.logs.size()) + "\n";
  for (const auto& log : data.logs) out += "log " + std::to_string(log.length) + " " + log.path + "\n";
  out += "statistics " + std::to_string(data.statistics.size()) + "\n";
  for (const auto& collectors : data.statistics) {
    out += "collector " + collectors.name + " " + std::to_string(collectors.runs.size()) + "\n";
    for (const auto& values : collectors.runs) {
      out += "values " + std::to_string(values.size());
      for (double v : values) {
        out += ' ';
        AppendExact(out, v);
      }
      out += "\n";
    }
  }
  out += "tables " + std::to_string(data.tables.size()) + "\n";
  for (const auto& table : data.tables) {
    out += "table " + table.name + " " + (table.headerWritten ? "1" : "0") + " " + (table.any ? "1" : "0") + " " +
           Exact(table.fitness) + " " + std::to_string(table.size) + " " + std::to_string(table.depth) + " " +
           table.program + "\n";
  }
  if (data.hasBest) {
    AppendMember(writer, "best", data.best);
  } else {
    out += "best none\n";
  }
  out += "population " + std::to_string(data.population.size()) + " " + (data.sorted ? "1" : "0") + "\n";
  for (const auto& member : data.population) AppendMember(writer, "member", member);
  writer.Close();
}

bool StreamCheckpoint(CheckpointPieces& pieces, const std::function<bool(const char*, std::size_t)>& put) {
  WordFnv sum;
  std::string& chunk = pieces.chunk;
  chunk.clear();
  auto pass = [&]() {
    sum.Add(chunk.data(), chunk.size());
    bool taken = put(chunk.data(), chunk.size());
    chunk.clear();
    return taken;
  };
  for (const auto& piece : pieces.pieces) {
    if (piece.codes != nullptr) {
      piece.codes->AppendText(chunk);
    } else {
      const char* bytes = piece.kept != nullptr ? piece.kept : pieces.lines.data() + piece.at;
      // A large piece is taken a chunk at a time.
      for (std::size_t at = 0; at < piece.size;) {
        std::size_t take = std::min(piece.size - at, kStreamChunk - std::min(chunk.size(), kStreamChunk));
        if (take == 0 && !pass()) return false;
        chunk.append(bytes + at, take);
        at += take;
      }
    }
    if (chunk.size() >= kStreamChunk && !pass()) return false;
  }
  sum.Add(chunk.data(), chunk.size());
  chunk += "end " + Hex64(sum.Value()) + "\n";
  return put(chunk.data(), chunk.size());
}

void FormatCheckpoint(const CheckpointData& data, std::string& out) {
  CheckpointPieces pieces;
  FormatCheckpoint(data, pieces);
  out.clear();
  StreamCheckpoint(pieces, [&out](const char* bytes, std::size_t size) {
    out.append(bytes, size);
    return true;
  });
}

bool ParseCheckpoint(const std::string& text, CheckpointData& data, std::string& error) {
  Reader in(text);
  auto failed = [&]() {
    error = in.error;
    return false;
  };
  std::string magic = std::string(kMagic) + " " + std::to_string(CheckpointData::kVersion);
  std::string first = std::string(kMagic) + " 1";
  if (!in.Next("\"" + magic + "\"")) return failed();
  bool byBytes = in.line == first;
  if (in.line != magic && !byBytes) {
    std::string prefix = std::string(kMagic) + " ";
    if (in.line.rfind(prefix, 0) == 0) {
      in.Fail("found version " + in.line.substr(prefix.size()) + ", which this program does not read");
      return failed();
    }
    in.Wrong();
    return failed();
  }
  if (!in.Line("\"file_list <path>\"", "file_list", 2)) return failed();
  data.fileList = in.RestAfter(1);
  long long count = 0;
  if (!in.Line("\"inputs <count>\"", "inputs", 2) || !in.Int(1, 0, 1000, count)) return failed();
  data.inputs.clear();
  for (long long k = 0; k < count; ++k) {
    CheckpointData::Input input;
    if (!in.Line("\"input <checksum> <path>\"", "input", 3) || !in.Unsigned(1, input.checksum)) return failed();
    input.path = in.RestAfter(2);
    input.line = in.number;
    data.inputs.push_back(input);
  }
  if (!in.Line("\"position <run> <generation> <solved generation> <solved>\"", "position", 5) ||
      !in.Int(1, 1, 1000000000, data.run) || !in.Int(2, 0, 1000000000, data.generation) ||
      !in.Int(3, -1, 1000000000, data.solvedGeneration) || !in.Int(4, 0, 1, count)) {
    return failed();
  }
  data.solved = count == 1;
  data.positionLine = in.number;
  if (!in.Line("\"seconds <run> <batch>\"", "seconds", 3) || !in.Double(1, data.runSeconds) ||
      !in.Double(2, data.batchSeconds)) {
    return failed();
  }
  if (!in.Line("\"scoring <evaluations> <remembered>\"", "scoring", 3) ||
      !in.Int(1, 0, INT64_MAX, data.evaluations) || !in.Int(2, 0, INT64_MAX, data.remembered)) {
    return failed();
  }
  if (!in.Line("\"random <index>\"", "random", 2) || !in.Int(1, 0, 625, data.randomIndex)) return failed();
  for (std::size_t i = 0; i < data.randomWords.size(); i += kWordsPerLine) {
    if (!in.Line("\"words\" and 8 words of the random generator", "words", kWordsPerLine + 1)) return failed();
    if (in.words.size() != kWordsPerLine + 1) {
      in.Wrong();
      return failed();
    }
    for (int k = 0; k < kWordsPerLine; ++k) {
      std::uint64_t w = 0;
      if (!in.Unsigned(static_cast<std::size_t>(k) + 1, w) || w > 0xFFFFFFFFULL) {
        in.Wrong();
        return failed();
      }
      data.randomWords[i + static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(w);
    }
  }
  if (!in.Line("\"logs <count>\"", "logs", 2) || !in.Int(1, 0, 1000, count)) return failed();
  data.logs.clear();
  for (long long k = 0; k < count; ++k) {
    CheckpointData::LogFile log;
    if (!in.Line("\"log <length> <path>\"", "log", 3) || !in.Int(1, 0, INT64_MAX, log.length)) return failed();
    log.path = in.RestAfter(2);
    log.line = in.number;
    data.logs.push_back(log);
  }
  if (!in.Line("\"statistics <count>\"", "statistics", 2) || !in.Int(1, 0, 100, count)) return failed();
  data.statistics.clear();
  for (long long k = 0; k < count; ++k) {
    CheckpointData::Collectors collectors;
    long long runs = 0;
    if (!in.Line("\"collector <name> <runs>\"", "collector", 3) || !in.Int(2, 0, 1000000, runs)) return failed();
    collectors.name = in.words[1];
    collectors.line = in.number;
    for (long long r = 0; r < runs; ++r) {
      long long values = 0;
      if (!in.Line("\"values <count> <value>...\"", "values", 2) || !in.Int(1, 0, 100000000, values)) {
        return failed();
      }
      if (in.words.size() != static_cast<std::size_t>(values) + 2) {
        in.Wrong();
        return failed();
      }
      std::vector<double> list(static_cast<std::size_t>(values));
      for (long long v = 0; v < values; ++v) {
        if (!in.Double(static_cast<std::size_t>(v) + 2, list[static_cast<std::size_t>(v)])) return failed();
      }
      collectors.runs.push_back(std::move(list));
    }
    data.statistics.push_back(std::move(collectors));
  }
  if (!in.Line("\"tables <count>\"", "tables", 2) || !in.Int(1, 0, 100, count)) return failed();
  data.tables.clear();
  for (long long k = 0; k < count; ++k) {
    CheckpointData::Table table;
    if (!in.Line("\"table <name> <header> <any> <fitness> <size> <depth> <program>\"", "table", 7) ||
        !in.Int(2, 0, 1, table.headerWritten) || !in.Int(3, 0, 1, table.any) || !in.Double(4, table.fitness) ||
        !in.Int(5, 0, 1000000000, table.size) || !in.Int(6, 0, 1000000000, table.depth)) {
      return failed();
    }
    table.name = in.words[1];
    table.program = in.RestAfter(7);
    table.line = in.number;
    data.tables.push_back(std::move(table));
  }
  // "best none", or the best as a member.
  std::size_t before = in.at;
  int beforeNumber = in.number;
  if (!in.Next("\"best none\" or \"best <fitness> ...\"")) return failed();
  if (in.line == "best none") {
    data.hasBest = false;
  } else {
    in.at = before;
    in.number = beforeNumber;
    if (!in.Member("best", data.best)) return failed();
    data.hasBest = true;
  }
  if (!in.Line("\"population <size> <sorted>\"", "population", 3) || !in.Int(1, 0, 100000000, count) ||
      !in.Int(2, 0, 1, data.sorted)) {
    return failed();
  }
  data.populationLine = in.number;
  data.population.clear();
  for (long long k = 0; k < count; ++k) {
    CheckpointData::Member member;
    if (!in.Member("member", member)) return failed();
    data.population.push_back(std::move(member));
  }
  std::size_t contentEnd = in.at;
  if (!in.Line("\"end <checksum>\"", "end", 2)) return failed();
  std::uint64_t sum = 0;
  if (in.words.size() != 2 || !in.Unsigned(1, sum)) return failed();
  std::uint64_t actual = byBytes ? Fnv1a64(text.substr(0, contentEnd)) : WordFnv1a64(text, contentEnd);
  if (sum != actual) {
    in.expected = "checksum " + Hex64(actual) + " of the lines before";
    in.Fail("found " + in.words[1] + " (the checkpoint is corrupt)");
    return failed();
  }
  if (in.at != text.size()) {
    in.Next("the end of the file after \"end\"");
    in.Wrong();
    return failed();
  }
  return true;
}
