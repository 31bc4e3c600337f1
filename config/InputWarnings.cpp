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
  // A value word cut after its number and a last key without a value are
  // read as a text stream reads them, silently: only a reading that stops
  // early is named, since the keys after it then go missing.
  if (notes.stopped) {
    GetException()->Warning(
        "Parameter file " + path + ": " + notes.key + " needs " +
            (notes.realSection ? "a real number" : "an integer from -2147483648 to 2147483647") + ", not " +
            notes.word + "; the rest of the file is not read",
        cls, method);
  }
}
