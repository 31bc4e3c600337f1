// Replaces a set of text files all or nothing: every new text is written to a
// temporary file beside its target first, and only when all of them are
// written are the targets replaced, each by renaming its temporary file.
#pragma once

#include <string>
#include <vector>

struct FileText {
  std::string path;
  std::string text;
};

// Empty on success; otherwise "PATH: REASON", naming the first file that could
// not be written or replaced and the operating system's reason. A target that
// exists but is not writable (its mode grants no write permission, or the
// system refuses writing) counts as one that cannot be written. When a file
// cannot be written no target has been touched (the temporary files are
// removed again); only a rename failing after the others succeeded, which
// within one folder takes a target changed meanwhile, leaves a part replaced.
std::string ReplaceFiles(const std::vector<FileText>& files);

// The suffix of the temporary file written beside each target.
inline const char* TemporarySuffix() { return ".tmp"; }
