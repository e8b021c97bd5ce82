#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "crypt/group_flush_win32.h"
#include "tests/support/scratch_dir.h"

namespace {

// What a stand-in for NtFlushBuffersFileEx was asked.
std::vector<std::pair<HANDLE, ULONG>> g_asked;

LONG WINAPI AcceptingFlush(HANDLE file, ULONG flags, PVOID, ULONG, PVOID) {
  g_asked.emplace_back(file, flags);
  return 0;  // STATUS_SUCCESS
}

LONG WINAPI RefusingFlush(HANDLE file, ULONG flags, PVOID, ULONG, PVOID) {
  g_asked.emplace_back(file, flags);
  return static_cast<LONG>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
}

HANDLE OpenNew(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Each file is written out with the data-only flag and the group then made
// durable; where the call is missing (as under Wine) or refused, each file
// is flushed in full instead. A file that cannot be flushed fails the group.
TEST(GroupFlush, DataOnlyPerFileThenOneFullFlushOrEachInFull) {
  struct Case {
    const char* what;
    group_flush::FlushBuffersFileEx call;
    DWORD access;
    bool asksDataOnly;
    bool succeeds;
  } cases[] = {
      {"data-only accepted", &AcceptingFlush, GENERIC_READ | GENERIC_WRITE, true, true},
      {"data-only refused", &RefusingFlush, GENERIC_READ | GENERIC_WRITE, true, true},
      {"no such call", nullptr, GENERIC_READ | GENERIC_WRITE, false, true},
      {"the system's", group_flush::SystemFlushBuffersFileEx(), GENERIC_READ | GENERIC_WRITE,
       false, true},
      {"not writable", nullptr, GENERIC_READ, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    std::vector<HANDLE> files;
    for (int i = 0; i < 3; ++i) {
      HANDLE file = OpenNew(dir / ("f" + std::to_string(i)), c.access);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      DWORD put = 0;
      if (c.access & GENERIC_WRITE) WriteFile(file, "data", 4, &put, nullptr);
      files.push_back(file);
    }
    g_asked.clear();
    EXPECT_EQ(group_flush::FlushTogether(files, c.call), c.succeeds);
    if (c.asksDataOnly) {
      ASSERT_EQ(g_asked.size(), files.size());
      for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(g_asked[i].first, files[i]);
        EXPECT_EQ(g_asked[i].second, 1u);  // FLUSH_FLAGS_FILE_DATA_ONLY
      }
    }
    for (HANDLE file : files) CloseHandle(file);
    if (c.succeeds) {
      for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(dir / ("f" + std::to_string(i))), "data");
    }
  }
}

}  // namespace
