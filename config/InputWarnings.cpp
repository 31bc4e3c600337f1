#include "config/InputWarnings.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "config/ParameterFile.h"
#include "foundation/Exception.h"

bool OpenInputFile(std::ifstream& in, const std::string& path) {
  errno = 0;
  in.open(path);
  if (!in.is_open()) return false;
  std::error_code ignored;
  if (!std::filesystem::is_directory(path, ignored)) return true;
  in.close();
  errno = EISDIR;
  return false;
}

void WarnCanNotOpen(const std::string& role, const std::string& path, const std::string& cls,
                    const std::string& method) {
  int reason = errno;
  std::string message = role + " " + path + " can not be opened";
  if (reason != 0) message += std::string(": ") + std::strerror(reason);
  GetException()->Warning(message, cls, method);
}

void WarnParameterNotes(const ParameterFileNotes& notes, const std::string& path, const std::string& cls,
                        const std::string& method) {
  for (const ParameterFileNotes::Cut& cut : notes.cuts) {
    std::string front = cut.word.substr(0, cut.word.size() - cut.rest.size());
    GetException()->Warning("Parameter file " + path + ": " + cut.key + " " + cut.word + " is read as " +
                                front + ", and " + cut.rest + " as the next key",
                            cls, method);
  }
  if (!notes.lone.empty()) {
    GetException()->Warning(
        "Parameter file " + path + " ends with " + notes.lone + " alone, which is not read", cls, method);
  }
  if (notes.stopped) {
    GetException()->Warning(
        "Parameter file " + path + ": " + notes.key + " needs " +
            (notes.realSection ? "a real number" : "an integer from -2147483648 to 2147483647") + ", not " +
            notes.word + "; the rest of the file is not read",
        cls, method);
  }
}
