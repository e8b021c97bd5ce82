// Which paths a 32-bit process on 64-bit Windows would be sent elsewhere for,
// with the Windows folder fixed, so the comparison holds at any word size;
// the refusal itself, through the window, is in ui/wow64_folders_test.cpp.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "crypt/system_folder_win32.h"

namespace {

TEST(SystemFolder, TellsTheRedirectedFoldersWhateverTheirCase) {
  const std::wstring windows = L"C:\\Windows";
  struct Case {
    const wchar_t* path;
    bool redirected;
  };
  const Case cases[] = {
      {L"C:\\Windows\\System32", true},
      {L"C:\\Windows\\System32\\", true},
      {L"c:\\WINDOWS\\system32\\drivers\\etc\\hosts", true},
      {L"\\\\?\\C:\\Windows\\System32\\notepad.exe", true},
      {L"C:\\Windows\\LastGood\\System32\\a.dll", true},
      {L"C:\\Windows\\regedit.exe", true},
      {L"C:\\Windows\\System32x\\a.txt", false},
      {L"C:\\Windows\\SysWOW64\\a.txt", false},
      {L"C:\\Windows\\Sysnative\\a.txt", false},
      {L"C:\\Windows\\notepad.exe", false},
      {L"C:\\Windows\\regedit.exe.txt", false},
      {L"D:\\Windows\\System32\\a.txt", false},
      {L"C:\\Users\\me\\System32\\a.txt", false},
      {L"\\\\?\\UNC\\server\\share\\Windows\\System32\\a.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + wcslen(c.path)));
    EXPECT_EQ(system_folder::Redirected(c.path, windows), c.redirected);
    EXPECT_EQ(system_folder::Redirected(c.path, windows + L"\\"), c.redirected);
  }
}

// Where nothing is redirected, nothing is refused: the tests' processes run
// with the system's own word size.
TEST(SystemFolder, RefusesNothingOutsideWow64) {
  wchar_t folder[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryW(folder, MAX_PATH), 0u);
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_EQ(system_folder::RedirectedHere(std::wstring(folder) + L"\\kernel32.dll"), wow64 != FALSE);
}

}  // namespace
#endif
