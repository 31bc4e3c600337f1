// Reads the input files back into the configuration page's settings, when
// they are of the form Update writes, so that the page shows what a run will
// use; otherwise says why they cannot be shown.
#pragma once

#include <string>

#include "shell/ConfigurationWriter.h"

struct SettingsReading {
  // Whether the files were of Update's form; settings hold them only then.
  bool shown = false;
  WindowSettings settings;
  // Why the files cannot be shown (empty when they are).
  std::string reason;
  // The problem's name when the problem file names one other than
  // "BoxMoving", else empty. For such a problem the page shows and Update
  // writes only the GP parameters.
  std::string otherProblem;
  // For another problem: the parameter file the list names (relative to the
  // folder), and whether its GP parameters are in settings (they are of the
  // form Update writes); otherwise why not.
  std::string parameterPath;
  std::string tablePath;
  bool parametersShown = false;
  std::string parametersReason;
};

// Reads input/files.txt, input/table.txt, input/parameter.txt and
// input/problem.txt under folder (the working directory when empty). The
// files are read as whitespace-separated words, as the engine reads them;
// every value is kept as the text found, so the edits show it as written.
SettingsReading ReadSettings(const std::string& folder = "");
