#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "crypt/file_system.h"
#include "crypt/group_flush_win32.h"
#include "tests/support/scratch_dir.h"

namespace {

// The calls a group's flush made, in order: "D2" a data-only flush of file
// 2, "F2" a full flush of it. The stand-ins refuse what the case says.
std::string g_calls;
std::intptr_t g_refusedDataOnly = 0;
std::intptr_t g_failedFull = 0;

std::intptr_t Number(HANDLE file) { return reinterpret_cast<std::intptr_t>(file); }

LONG WINAPI RecordedDataOnly(HANDLE file, ULONG flags, PVOID, ULONG, PVOID) {
  g_calls += (flags == 1 ? "D" : "?") + std::to_string(Number(file)) + " ";  // FILE_DATA_ONLY
  return Number(file) == g_refusedDataOnly ? static_cast<LONG>(0xC0000002) : 0;
}

BOOL WINAPI RecordedFull(HANDLE file) {
  g_calls += "F" + std::to_string(Number(file)) + " ";
  return Number(file) != g_failedFull;
}

// Each file's data is written out by a data-only flush and the last file is
// then flushed in full, which flushes the drive's cache for all; a file
// whose data-only flush is refused is flushed in full on its own, and where
// the data-only call is missing (as under Wine) every file is. The first
// flush that fails ends the group as failed.
TEST(GroupFlush, DataOnlyPerFileThenOneFullFlushOrEachInFull) {
  struct Case {
    const char* what;
    bool dataOnly;
    std::intptr_t refusedDataOnly, failedFull;
    const char* calls;
    bool succeeds;
  } cases[] = {
      {"data-only accepted", true, 0, 0, "D1 D2 D3 F3 ", true},
      {"data-only refused for one", true, 2, 0, "D1 D2 F2 D3 F3 ", true},
      {"no data-only call", false, 0, 0, "F1 F2 F3 ", true},
      {"the last full flush fails", true, 0, 3, "D1 D2 D3 F3 ", false},
      {"a refused file's full flush fails", true, 2, 2, "D1 D2 F2 ", false},
      {"one of each in full fails", false, 0, 2, "F1 F2 ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_calls.clear();
    g_refusedDataOnly = c.refusedDataOnly;
    g_failedFull = c.failedFull;
    std::vector<HANDLE> files;
    for (std::intptr_t i = 1; i <= 3; ++i) files.push_back(reinterpret_cast<HANDLE>(i));
    group_flush::Calls calls{c.dataOnly ? &RecordedDataOnly : nullptr, &RecordedFull};
    EXPECT_EQ(group_flush::FlushTogether(files, calls), c.succeeds);
    EXPECT_EQ(g_calls, c.calls);
  }
}

// The system's calls are the real ones: FlushFileBuffers, and ntdll's
// NtFlushBuffersFileEx where it has one.
TEST(GroupFlush, TheSystemsCallsAreTheRealOnes) {
  group_flush::Calls calls = group_flush::SystemCalls();
  EXPECT_EQ(calls.full, &FlushFileBuffers);
  FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtFlushBuffersFileEx");
  EXPECT_EQ(reinterpret_cast<void*>(calls.dataOnly), reinterpret_cast<void*>(found));
}

// The file layer's group flush, on real files of one folder, with the
// system's calls.
TEST(GroupFlush, TheFileLayerFlushesAFolderOfNewFiles) {
  FileSystem& fs = NativeFileSystem();
  ScratchDir dir;
  FileHandle like = 0;
  WriteBytes(dir / "like", "x");
  ASSERT_TRUE(fs.OpenExisting(dir / "like", like));
  std::vector<FileHandle> files;
  for (int i = 0; i < 3; ++i) {
    FileHandle file = 0;
    ASSERT_EQ(fs.CreateNew(dir / ("f" + std::to_string(i)), like, file), CreateResult::Created);
    ASSERT_TRUE(fs.Write(file, "data", 4));
    files.push_back(file);
  }
  EXPECT_TRUE(fs.FlushTogether(files));
  for (FileHandle file : files) fs.Close(file);
  fs.Close(like);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(dir / ("f" + std::to_string(i))), "data");
}

}  // namespace
