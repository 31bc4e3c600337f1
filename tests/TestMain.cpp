// Test entry point: death tests fork and re-run the test binary, which stays
// correct when a test has started threads. Scratch folders live in one folder
// per test process (a death test's child uses its parent's), removed at the
// end, since a child that ends by a fatal report cleans nothing up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "TestSupport.h"

int main(int argc, char** argv) {
  bool deathTestChild = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "internal_run_death_test") != nullptr) deathTestChild = true;
  }
  std::string root = (std::filesystem::temp_directory_path() /
                      ("morvane2-test-" + std::to_string(deathTestChild ? getppid() : getpid())))
                         .string();
  SetScratchRoot(root);
  testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int result = RUN_ALL_TESTS();
  if (!deathTestChild) {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  return result;
}
