#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

// The test command builds every tree and sets SORVAN_REQUIRE_WINDOWS_TREES=1:
// there a Windows tree that is missing is a fault of the build, not a machine
// without it, and its tests fail instead of skipping.
inline bool WindowsTreesRequired() {
  const char* required = std::getenv("SORVAN_REQUIRE_WINDOWS_TREES");
  return required && std::strcmp(required, "1") == 0;
}

// Skips the test, or fails it where every tree is required, when a Windows
// build it needs is missing; the reason names what is missing.
#define SKIP_WITHOUT_WINDOWS_TREE(present, what)                      \
  if (!(present)) {                                                   \
    if (WindowsTreesRequired()) FAIL() << what << " (every tree is required)"; \
    GTEST_SKIP() << what;                                             \
  }
