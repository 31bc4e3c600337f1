// Fuzz target: the file list (key/path pairs) read into the run's text register.
#include <sstream>

#include "FuzzSupport.h"
#include "config/ParameterFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(InputText(data, size));
  StringRegister files(20);
  try {
    ReadFileList(in, files);
    for (const char* key : {"log_setting", "parameter", "problem", "table"}) {
      if (files.Exists(key) == 1) files.Get(key);
    }
    // Keys are kept once each, the first occurrence winning.
    for (int i = 0; i < files.Count(); ++i) {
      for (int j = 0; j < i; ++j) {
        if (files.KeyAt(i) == files.KeyAt(j)) std::abort();
      }
    }
  } catch (const FatalReport&) {
  }
  return 0;
}
