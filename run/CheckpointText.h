// What a checkpoint holds and its text form: the batch's position, random
// generator, population, best so far, statistics, log lengths and input
// checksums, written line by line (docs/checkpoint.md describes the format)
// and read back exactly, or refused with the line at fault.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ListingCodes;

struct CheckpointData {
  // The version written; version 1 (the same but for the end line's
  // checksum, FNV-1a byte by byte) is read too.
  static constexpr int kVersion = 2;

  // An individual: its fitness and its genome, either a program in listing
  // form (one "name<TAB>arity" line per node, preorder) or a bit string.
  struct Member {
    double fitness = 0.0;
    bool bits = false;
    std::string genome;
    int line = 0;  // where it starts in the file (0 when not read)
    // The program's node count when known (else counted in the genome).
    int nodes = -1;
    // When not empty, the genome itself, kept elsewhere (genome is then not
    // used): for writing only.
    std::string_view kept = {};
    // When not null, the program as listing codes (genome and kept are then
    // not used): for writing only.
    const ListingCodes* codes = nullptr;
  };
  struct Input {
    std::string path;
    std::uint64_t checksum = 0;
    int line = 0;
  };
  struct LogFile {
    std::string path;
    std::uint64_t length = 0;
    int line = 0;
  };
  // A register entry of statistics collectors: one value list per run.
  struct Collectors {
    std::string name;
    std::vector<std::vector<double>> runs;
    int line = 0;
  };

  // What a CSV table keeps of the run under way.
  struct Table {
    std::string name;
    bool headerWritten = false;
    bool any = false;
    double fitness = 0.0;
    int size = 0;
    int depth = 0;
    std::string program;  // one line
    int line = 0;
  };

  std::string fileList;
  std::vector<Input> inputs;
  int run = 0;
  int generation = -1;
  int solvedGeneration = -1;
  bool solved = false;
  double runSeconds = 0.0;
  double batchSeconds = 0.0;
  long long evaluations = 0;
  long long remembered = 0;
  std::array<std::uint32_t, 624> randomWords{};
  int randomIndex = 0;
  std::vector<LogFile> logs;
  std::vector<Collectors> statistics;
  std::vector<Table> tables;
  bool hasBest = false;
  Member best;
  bool sorted = false;
  std::vector<Member> population;
  int positionLine = 0;
  int populationLine = 0;
};

// FNV-1a, 64 bits: the checksum of input files (and of a version-1
// checkpoint's text).
std::uint64_t Fnv1a64(const std::string& bytes);
// The checksum of a checkpoint's text from version 2 on: FNV-1a's steps taken
// on 64-bit little-endian words rather than bytes (the last word padded with
// zero bytes), eight times fewer steps over the largest files the program
// writes. The first length bytes of text.
std::uint64_t WordFnv1a64(const std::string& text, std::size_t length);
// The same checksum taken over bytes given in parts.
class WordFnv {
 public:
  void Add(const char* data, std::size_t size);
  // Of everything added so far.
  std::uint64_t Value() const;

 private:
  void Step(std::uint64_t word) {
    hash ^= word;
    hash *= 0x100000001B3ULL;
  }

  std::uint64_t hash = 0xCBF29CE484222325ULL;
  // The bytes of a word not complete yet.
  unsigned char partial[8] = {};
  std::size_t held = 0;
};
std::string Hex64(std::uint64_t value);
// The text printf's "%a" makes of value (a hexadecimal float, which reads
// back to the same bits), appended to out.
void AppendExact(std::string& out, double value);

// The text of a checkpoint but its end line, in pieces, in order: the lines
// made for it, and the genomes of members kept elsewhere (Member::kept) or
// held as codes (Member::codes), which are not copied.
struct CheckpointPieces {
  struct Piece {
    // codes, or kept, or else the bytes from at in lines.
    const ListingCodes* codes = nullptr;
    const char* kept = nullptr;
    std::size_t at = 0;
    std::size_t size = 0;
  };
  std::string lines;
  std::vector<Piece> pieces;
  // Where StreamCheckpoint makes its chunks.
  std::string chunk;
};
// The pieces into out (emptied first; its room is used again).
void FormatCheckpoint(const CheckpointData& data, CheckpointPieces& out);
// Hands the text of pieces, then the end line with the checksum of all
// before it, to put in chunks of about kStreamChunk bytes (made in
// pieces.chunk, whose room serves again): programs held as codes become text
// a chunk at a time. Stops at the first chunk put refuses, and returns false
// then.
constexpr std::size_t kStreamChunk = 64 * 1024;
bool StreamCheckpoint(CheckpointPieces& pieces, const std::function<bool(const char*, std::size_t)>& put);

// The whole text of a checkpoint, its last line "end" with the checksum of
// everything before it.
std::string FormatCheckpoint(const CheckpointData& data);
// The same into out (emptied first; its room is used again).
void FormatCheckpoint(const CheckpointData& data, std::string& out);

// Reads text (a checkpoint's whole file) into data. On a fault, false, with
// error naming the line and what was expected there ("line 12: expected
// ..."); data is then partly filled and means nothing.
bool ParseCheckpoint(const std::string& text, CheckpointData& data, std::string& error);
