// Shared parts of the fuzz targets: fatal reports turned into a C++ exception
// that a target catches (so one process can try many inputs), silenced
// standard streams, and a scratch folder for the files a target writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A fatal report seen by a fuzz target: the line the user would see.
struct FatalReport {
  std::string line;
};

// Installs the fatal handler that throws FatalReport (after checking that the
// report is one non-empty line) and sends std::cout, std::cerr and std::clog
// to nowhere, so that reports, warnings and "cout"/"cerr" log streams do not
// flood the fuzzer's own output. Call once, from LLVMFuzzerInitialize.
void InitializeFuzzTarget();

// The fuzz input as text.
inline std::string InputText(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// A fresh folder under the temporary folder (on /dev/shm when there is one),
// made once per process and removed at exit; Clear empties it between inputs.
class FuzzScratch {
 public:
  static FuzzScratch& Get();
  const std::string& Path() const { return path; }
  std::string File(const std::string& name) const { return path + "/" + name; }
  void Write(const std::string& name, const std::string& text) const;
  void Clear() const;
  ~FuzzScratch();

 private:
  FuzzScratch();
  std::string path;
};

// The log setting every run-level target uses: all batch streams, each to a
// file in the scratch folder.
std::string ScratchLogSetting();
