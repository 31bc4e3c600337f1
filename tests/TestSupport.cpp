#include "TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::string scratchRoot;
}  // namespace

void SetScratchRoot(const std::string& root) { scratchRoot = root; }

std::string SharedScratchFolder(const std::string& name) {
  std::filesystem::path folder =
      (scratchRoot.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(scratchRoot)) / name;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder.string();
}

ScratchDir::ScratchDir() {
  std::filesystem::path parent =
      scratchRoot.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(scratchRoot);
  std::error_code ignored;
  std::filesystem::create_directories(parent, ignored);
  std::string pattern = (parent / "scratch-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path = made != nullptr ? made : pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& text) const {
  std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
  std::ofstream out(File(name), std::ios::binary);
  out << text;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ExactLine(const std::string& line) {
  std::string pattern;
  for (char c : line) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
    pattern += c;
  }
  return pattern;
}
