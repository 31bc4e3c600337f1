#include "run/CheckpointText.h"

#include "programs/ListingCodes.h"
#include "programs/TestOperators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

CheckpointData::Member Program(double fitness, const std::string& listing) {
  CheckpointData::Member member;
  member.fitness = fitness;
  member.genome = listing;
  return member;
}

// A checkpoint with something of every kind, awkward numbers included.
CheckpointData Sample() {
  CheckpointData data;
  data.fileList = "input/my files.txt";
  data.inputs = {{"input/my files.txt", 0x0123456789abcdefULL, 0}, {"input/parameter.txt", 42, 0}};
  data.run = 2;
  data.generation = 7;
  data.solvedGeneration = -1;
  data.solved = false;
  data.runSeconds = 0.1;
  data.batchSeconds = 12.5;
  data.evaluations = 90;
  data.remembered = 10;
  for (std::size_t i = 0; i < data.randomWords.size(); ++i) data.randomWords[i] = 0x9E3779B9U * (i + 1);
  data.randomIndex = 17;
  data.logs = {{"./log.txt", 1234, 0}, {"./dir with blank/best.txt", 0, 0}};
  data.statistics = {{"online", {{1.5, -0.0, std::numeric_limits<double>::denorm_min()}, {2.0}}, 0},
                     {"offline", {{std::numeric_limits<double>::infinity(), 1e300}, {}}, 0}};
  data.tables = {{"generations", true, true, -0.5, 0, 0, "", 0},
                 {"runs", true, true, 2.25, 12, 4, "Plus[x0,Sin[x0]]", 0}};
  data.hasBest = true;
  data.best = Program(0.1 + 0.2, "Plus\t2\nx0\t0\n1.0\t0\n");
  data.sorted = true;
  data.population = {Program(std::nan(""), "x0\t0\n"), Program(-1e-310, "Sin\t1\nx0\t0\n")};
  return data;
}

std::string ErrorOf(const std::string& text) {
  CheckpointData data;
  std::string error;
  EXPECT_FALSE(ParseCheckpoint(text, data, error));
  return error;
}

TEST(CheckpointTextTest, EverythingReadsBackExactly) {
  CheckpointData data = Sample();
  std::string text = FormatCheckpoint(data);
  EXPECT_EQ(text.rfind("morvane2 checkpoint 2\nfile_list input/my files.txt\n", 0), 0U);
  CheckpointData back;
  std::string error;
  ASSERT_TRUE(ParseCheckpoint(text, back, error)) << error;
  EXPECT_EQ(back.fileList, data.fileList);
  ASSERT_EQ(back.inputs.size(), 2U);
  EXPECT_EQ(back.inputs[0].path, "input/my files.txt");
  EXPECT_EQ(back.inputs[0].checksum, 0x0123456789abcdefULL);
  EXPECT_EQ(back.run, 2);
  EXPECT_EQ(back.generation, 7);
  EXPECT_EQ(back.solvedGeneration, -1);
  EXPECT_TRUE(SameBits(back.runSeconds, 0.1));
  EXPECT_EQ(back.evaluations, 90);
  EXPECT_EQ(back.remembered, 10);
  EXPECT_EQ(back.randomWords, data.randomWords);
  EXPECT_EQ(back.randomIndex, 17);
  ASSERT_EQ(back.logs.size(), 2U);
  EXPECT_EQ(back.logs[1].path, "./dir with blank/best.txt");
  EXPECT_EQ(back.logs[0].length, 1234U);
  ASSERT_EQ(back.statistics.size(), 2U);
  for (std::size_t s = 0; s < 2; ++s) {
    EXPECT_EQ(back.statistics[s].name, data.statistics[s].name);
    ASSERT_EQ(back.statistics[s].runs.size(), data.statistics[s].runs.size());
    for (std::size_t r = 0; r < data.statistics[s].runs.size(); ++r) {
      ASSERT_EQ(back.statistics[s].runs[r].size(), data.statistics[s].runs[r].size());
      for (std::size_t v = 0; v < data.statistics[s].runs[r].size(); ++v) {
        EXPECT_TRUE(SameBits(back.statistics[s].runs[r][v], data.statistics[s].runs[r][v]));
      }
    }
  }
  ASSERT_EQ(back.tables.size(), 2U);
  EXPECT_EQ(back.tables[0].name, "generations");
  EXPECT_EQ(back.tables[0].program, "");
  EXPECT_TRUE(SameBits(back.tables[0].fitness, -0.5));
  EXPECT_EQ(back.tables[1].name, "runs");
  EXPECT_EQ(back.tables[1].size, 12);
  EXPECT_EQ(back.tables[1].depth, 4);
  EXPECT_EQ(back.tables[1].program, "Plus[x0,Sin[x0]]");
  ASSERT_TRUE(back.hasBest);
  EXPECT_TRUE(SameBits(back.best.fitness, 0.1 + 0.2));
  EXPECT_EQ(back.best.genome, data.best.genome);
  EXPECT_TRUE(back.sorted);
  ASSERT_EQ(back.population.size(), 2U);
  EXPECT_TRUE(std::isnan(back.population[0].fitness));
  EXPECT_TRUE(SameBits(back.population[1].fitness, -1e-310));
  EXPECT_EQ(back.population[1].genome, "Sin\t1\nx0\t0\n");
  // The same data gives the same text: a resumed batch writes what the
  // first would have.
  EXPECT_EQ(FormatCheckpoint(back), text);
}

// Fitness and statistics are written as printf's "%a" writes them, so that
// files of earlier builds and of this one agree: every class of double, and
// a spread of bit patterns.
TEST(CheckpointTextTest, ExactNumbersAreWrittenAsPrintfWritesThem) {
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 0.1, -85.0, 1e300, -1e-300,
                                std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min(), -1e-310,
                                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                std::nan(""), -std::nan("")};
  std::uint64_t state = 0x9E3779B97F4A7C15ULL;
  for (int k = 0; k < 20000; ++k) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    std::uint64_t bits = state ^ (state >> 29);
    // Short fractions (trailing zero digits) as often as long ones.
    if (k % 2 == 0) bits &= ~((std::uint64_t{1} << (4 * (k / 2 % 14))) - 1);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
  }
  for (double value : values) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%a", value);
    std::string text = "x";
    AppendExact(text, value);
    ASSERT_EQ(text, std::string("x") + expected);
  }
}

TEST(CheckpointTextTest, BitStringsAndNoBest) {
  CheckpointData data = Sample();
  data.hasBest = false;
  data.population = {{0.5, true, "0110", 0}, {1.5, true, "1", 0}};
  std::string text = FormatCheckpoint(data);
  EXPECT_NE(text.find("\nbest none\n"), std::string::npos);
  EXPECT_NE(text.find("\nmember 0x1p-1 bits 0110\n"), std::string::npos);
  CheckpointData back;
  std::string error;
  ASSERT_TRUE(ParseCheckpoint(text, back, error)) << error;
  EXPECT_FALSE(back.hasBest);
  ASSERT_EQ(back.population.size(), 2U);
  EXPECT_TRUE(back.population[0].bits);
  EXPECT_EQ(back.population[0].genome, "0110");
  EXPECT_EQ(back.population[1].genome, "1");
}

TEST(CheckpointTextTest, MissingWrongVersionAndForeignFilesAreRefusedAtLineOne) {
  EXPECT_EQ(ErrorOf(""),
            "line 1: expected \"morvane2 checkpoint 2\", found the end of the file (the checkpoint is cut short)");
  std::string text = FormatCheckpoint(Sample());
  std::string newer = "morvane2 checkpoint 3" + text.substr(text.find('\n'));
  EXPECT_EQ(ErrorOf(newer), "line 1: expected \"morvane2 checkpoint 2\", found version 3, which this program does not read");
  EXPECT_EQ(ErrorOf("log setting\n"), "line 1: expected \"morvane2 checkpoint 2\", found \"log setting\"");
}

// Version 1 differs only in its end line's checksum, taken byte by byte:
// such a file is still read, and checked with its own checksum.
TEST(CheckpointTextTest, VersionOneIsReadWithItsByteChecksum) {
  std::string text = FormatCheckpoint(Sample());
  std::size_t end = text.rfind("end ");
  std::string older = "morvane2 checkpoint 1" + text.substr(text.find('\n'), end - text.find('\n'));
  older += "end " + Hex64(Fnv1a64(older)) + "\n";
  CheckpointData back;
  std::string error;
  ASSERT_TRUE(ParseCheckpoint(older, back, error)) << error;
  EXPECT_EQ(FormatCheckpoint(back), text);
  std::string wrongSum = "morvane2 checkpoint 1" + text.substr(text.find('\n'));
  EXPECT_NE(ErrorOf(wrongSum).find("(the checkpoint is corrupt)"), std::string::npos);
  // A word's every byte counts, the last word's too.
  EXPECT_NE(WordFnv1a64("abcdefghi", 9), WordFnv1a64("abcdefghj", 9));
  EXPECT_NE(WordFnv1a64("abcdefghi", 9), WordFnv1a64("abcdefghi", 8));
  EXPECT_NE(WordFnv1a64("abcdefgh", 8), WordFnv1a64("bbcdefgh", 8));
}

// Genomes kept elsewhere are written as pieces of their own, not copied; the
// pieces joined are the text of the same members holding their genomes, and
// the checksum taken over parts is the one taken at once.
TEST(CheckpointTextTest, KeptGenomesMakeTheSameText) {
  CheckpointData data = Sample();
  std::string text = FormatCheckpoint(data);
  std::vector<std::string> genomes;
  for (const auto& member : data.population) genomes.push_back(member.genome);
  for (std::size_t i = 0; i < genomes.size(); ++i) {
    data.population[i].genome = "not this";
    data.population[i].kept = genomes[i];
  }
  CheckpointPieces pieces;
  FormatCheckpoint(data, pieces);
  int kept = 0;
  for (const auto& piece : pieces.pieces) kept += piece.kept != nullptr ? 1 : 0;
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(FormatCheckpoint(data), text);

  for (std::size_t split = 0; split <= text.size(); split += 7) {
    WordFnv parts;
    parts.Add(text.data(), split / 3);
    parts.Add(text.data() + split / 3, split - split / 3);
    EXPECT_EQ(parts.Value(), WordFnv1a64(text, split)) << split;
  }
}

// Programs held as listing codes are written as the text they stand for,
// in chunks: a program far longer than a chunk, with lines of two-digit
// arity and lines longer than the codes copy at once, makes the same file
// and checksum as its text.
TEST(CheckpointTextTest, CodedProgramsMakeTheSameText) {
  Adder sin{"Sin", 1};
  Adder wide{"AnOperatorWhoseNameIsLongerThanABlock", 12};
  DoubleVariable x0{"x0", 0};
  CheckpointData data = Sample();
  std::vector<ListingCodes> codes(3);
  codes[0].Add(&x0, 0);
  codes[1].Add(&sin, 1);
  codes[1].Add(&x0, 0);
  std::string longText;
  for (int i = 0; i < 40000; ++i) {
    codes[2].Add(&wide, 12);
    longText += "AnOperatorWhoseNameIsLongerThanABlock\t12\n";
    codes[2].Add(&x0, 0);
    longText += "x0\t0\n";
  }
  data.population.push_back(Program(2.5, longText));
  data.population.back().nodes = 80000;
  std::string text = FormatCheckpoint(data);
  ASSERT_GT(text.size(), 4 * kStreamChunk);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    data.population[i].genome = "not this";
    data.population[i].codes = &codes[i];
    data.population[i].nodes = codes[i].Nodes();
  }
  // Compared whole: a difference in texts this long is not printed.
  EXPECT_TRUE(FormatCheckpoint(data) == text);
  CheckpointData back;
  std::string error;
  EXPECT_TRUE(ParseCheckpoint(text, back, error)) << error;
}

// Cut anywhere before its last byte, a checkpoint is refused, at the line
// where it ends.
TEST(CheckpointTextTest, EveryTruncationIsRefused) {
  std::string text = FormatCheckpoint(Sample());
  for (std::size_t length = 0; length < text.size(); ++length) {
    std::string cut = text.substr(0, length);
    std::string error = ErrorOf(cut);
    ASSERT_FALSE(error.empty()) << length;
    // The line missing, or the one left unfinished.
    int lines = 0;
    for (char c : cut) lines += c == '\n' ? 1 : 0;
    std::string where = "line " + std::to_string(lines + 1) + ": ";
    ASSERT_EQ(error.rfind(where, 0), 0U) << length << ": " << error;
    ASSERT_NE(error.find("cut short"), std::string::npos) << length << ": " << error;
  }
}

TEST(CheckpointTextTest, CorruptionIsRefused) {
  std::string text = FormatCheckpoint(Sample());
  // A changed digit reads well but fails the checksum, which the last line
  // names.
  std::string changed = text;
  std::size_t at = changed.find("log 1234");
  changed[at + 4] = '5';
  std::string error = ErrorOf(changed);
  EXPECT_NE(error.find("expected checksum"), std::string::npos) << error;
  EXPECT_NE(error.find("(the checkpoint is corrupt)"), std::string::npos) << error;
  // A line out of form is named with what belongs there.
  std::string garbled = text;
  at = garbled.find("scoring 90 10");
  garbled.replace(at, 13, "scoring 90 x");
  EXPECT_EQ(ErrorOf(garbled), "line 8: expected \"scoring <evaluations> <remembered>\", found \"scoring 90 x\"");
  // A program node without its arity.
  std::string node = text;
  at = node.find("x0\t0\n1.0");
  node.replace(at, 4, "x0 0");
  EXPECT_NE(ErrorOf(node).find("expected a program node \"name<TAB>arity\", found \"x0 0\""), std::string::npos);
  // Anything after the end line.
  EXPECT_NE(ErrorOf(text + "more\n").find("expected the end of the file after \"end\""), std::string::npos);
  // A random index out of range.
  std::string index = text;
  at = index.find("random 17");
  index.replace(at, 9, "random 626");
  EXPECT_EQ(ErrorOf(index), "line 9: expected \"random <index>\", found \"random 626\"");
}
}  // namespace
