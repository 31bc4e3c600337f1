#include "shell/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
std::string Reason(int error) { return std::strerror(error); }

// Empty when path may be replaced: it does not exist yet, or it is a regular
// file that may be written.
std::string CheckReplaceable(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return errno == ENOENT ? std::string() : Reason(errno);
  if (S_ISDIR(status.st_mode)) return Reason(EISDIR);
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  if (access(path.c_str(), W_OK) != 0) return Reason(errno);
  // The superuser may write anything; a file whose mode grants nobody write
  // permission is still left alone, as it is for everyone else.
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Reason(EACCES);
  return "";
}

// Writes text to path, created afresh; the reason on failure. opened tells
// whether path was opened at all (what was not opened is not ours to remove).
std::string WriteWhole(const std::string& path, const std::string& text, bool& opened) {
  opened = false;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Reason(errno);
  opened = true;
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd);
      return Reason(error);
    }
    done += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
    int error = errno;
    close(fd);
    return Reason(error);
  }
  if (close(fd) != 0) return Reason(errno);
  return "";
}

// Takes the mode of the file being replaced, so that replacing keeps it.
void KeepMode(const std::string& target, const std::string& temporary) {
  struct stat status {};
  if (stat(target.c_str(), &status) == 0) chmod(temporary.c_str(), status.st_mode & 07777);
}
}  // namespace

std::string ReplaceFiles(const std::vector<FileText>& files) {
  for (const FileText& file : files) {
    std::string problem = CheckReplaceable(file.path);
    if (!problem.empty()) return file.path + ": " + problem;
  }
  std::vector<std::string> written;
  auto removeWritten = [&written] {
    for (const std::string& temporary : written) std::remove(temporary.c_str());
  };
  for (const FileText& file : files) {
    std::string temporary = file.path + TemporarySuffix();
    bool opened = false;
    std::string problem = WriteWhole(temporary, file.text, opened);
    if (!problem.empty()) {
      if (opened) std::remove(temporary.c_str());
      removeWritten();
      return file.path + ": " + problem;
    }
    written.push_back(temporary);
    KeepMode(file.path, temporary);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(written[i].c_str(), files[i].path.c_str()) != 0) {
      // Renaming within one folder fails only in odd cases (a target made a
      // folder since the check above); the targets renamed before it stay.
      std::string reason = Reason(errno);
      for (std::size_t j = i; j < written.size(); ++j) std::remove(written[j].c_str());
      return files[i].path + ": " + reason;
    }
  }
  return "";
}
