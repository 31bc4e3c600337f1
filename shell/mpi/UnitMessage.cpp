#include "shell/mpi/UnitMessage.h"

#include <cstdint>
#include <cstring>

namespace {
class Writer {
 public:
  void Int(std::int64_t value) { Raw(&value, sizeof value); }
  void Double(double value) { Raw(&value, sizeof value); }
  void Text(const std::string& text) {
    Int(static_cast<std::int64_t>(text.size()));
    bytes += text;
  }
  void Texts(const std::vector<std::string>& texts) {
    Int(static_cast<std::int64_t>(texts.size()));
    for (const std::string& text : texts) Text(text);
  }
  void Doubles(const std::vector<double>& values) {
    Int(static_cast<std::int64_t>(values.size()));
    for (double value : values) Double(value);
  }
  std::string bytes;

 private:
  void Raw(const void* data, std::size_t size) { bytes.append(static_cast<const char*>(data), size); }
};

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes(bytes) {}
  bool Int(std::int64_t* value) { return Raw(value, sizeof *value); }
  bool Int(int* value) {
    std::int64_t wide = 0;
    if (!Int(&wide)) return false;
    *value = static_cast<int>(wide);
    return true;
  }
  bool Double(double* value) { return Raw(value, sizeof *value); }
  bool Text(std::string* text) {
    std::int64_t size = 0;
    if (!Int(&size) || size < 0 || static_cast<std::uint64_t>(size) > bytes.size() - at) return false;
    text->assign(bytes, at, static_cast<std::size_t>(size));
    at += static_cast<std::size_t>(size);
    return true;
  }
  bool Texts(std::vector<std::string>* texts) {
    std::int64_t count = 0;
    // Each text takes at least its length's bytes.
    if (!Int(&count) || count < 0 || static_cast<std::uint64_t>(count) > (bytes.size() - at) / 8)
      return false;
    texts->resize(static_cast<std::size_t>(count));
    for (std::string& text : *texts) {
      if (!Text(&text)) return false;
    }
    return true;
  }
  bool Doubles(std::vector<double>* values) {
    std::int64_t count = 0;
    if (!Int(&count) || count < 0 || static_cast<std::uint64_t>(count) > (bytes.size() - at) / 8)
      return false;
    values->resize(static_cast<std::size_t>(count));
    for (double& value : *values) {
      if (!Double(&value)) return false;
    }
    return true;
  }
  bool AtEnd() const { return at == bytes.size(); }

 private:
  bool Raw(void* data, std::size_t size) {
    if (bytes.size() - at < size) return false;
    std::memcpy(data, bytes.data() + at, size);
    at += size;
    return true;
  }
  const std::string& bytes;
  std::size_t at = 0;
};
}  // namespace

std::string EncodeResult(const UnitResult& result) {
  Writer out;
  out.Int(result.folder);
  out.Int(result.run);
  out.Int(result.failed ? 1 : 0);
  out.Text(result.report);
  out.Text(result.diagnostics);
  out.Texts(result.destinations);
  out.Texts(result.text);
  out.Doubles(result.online);
  out.Doubles(result.runBest);
  out.Texts(result.bestText);
  return out.bytes;
}

bool DecodeResult(const std::string& bytes, UnitResult* result) {
  Reader in(bytes);
  int failed = 0;
  return in.Int(&result->folder) && in.Int(&result->run) && in.Int(&failed) && in.Text(&result->report) &&
         in.Text(&result->diagnostics) && in.Texts(&result->destinations) && in.Texts(&result->text) &&
         in.Doubles(&result->online) && in.Doubles(&result->runBest) && in.Texts(&result->bestText) &&
         (result->failed = failed != 0, in.AtEnd());
}
