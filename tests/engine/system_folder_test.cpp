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
      {L"c:\\WINDOWS\\system32\\kernel32.dll", true},
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
    EXPECT_EQ(system_folder::Redirected(c.path, windows, false), c.redirected);
    EXPECT_EQ(system_folder::Redirected(c.path, windows + L"\\", false), c.redirected);
  }
}

// The folders of System32 that the redirector leaves alone are reached as
// they are, so nothing in them is refused; their neighbours, and the same
// names elsewhere, are. DriverStore was redirected up to Windows Vista.
TEST(SystemFolder, LeavesTheFoldersTheRedirectorExempts) {
  const std::wstring windows = L"C:\\Windows";
  struct Case {
    const wchar_t* path;
    bool redirected;          // from Windows 7 on
    bool redirectedOnVista;
  };
  const Case cases[] = {
      {L"C:\\Windows\\System32\\drivers\\etc", false, false},
      {L"c:\\windows\\SYSTEM32\\Drivers\\Etc\\hosts", false, false},
      {L"\\\\?\\C:\\Windows\\System32\\drivers\\etc\\hosts", false, false},
      {L"C:\\Windows\\System32\\catroot\\a.cat", false, false},
      {L"C:\\Windows\\System32\\CatRoot2\\edb.log", false, false},
      {L"C:\\Windows\\System32\\LogFiles\\a.log", false, false},
      {L"C:\\Windows\\System32\\spool\\PRINTERS\\a.spl", false, false},
      {L"C:\\Windows\\System32\\spool\\", false, false},
      {L"C:\\Windows\\System32\\DriverStore\\FileRepository\\a.inf", false, true},
      {L"C:\\Windows\\System32\\drivers", true, true},
      {L"C:\\Windows\\System32\\drivers\\null.sys", true, true},
      {L"C:\\Windows\\System32\\drivers\\etcetera\\a.txt", true, true},
      {L"C:\\Windows\\System32\\etc\\hosts", true, true},
      {L"C:\\Windows\\System32\\catroot3\\a.cat", true, true},
      {L"C:\\Windows\\System32\\spooler.txt", true, true},
      {L"C:\\Windows\\System32\\config\\spool\\a.txt", true, true},
      {L"C:\\Windows\\LastGood\\System32\\spool\\a.spl", true, true},
      {L"C:\\Windows\\SysWOW64\\spool\\a.spl", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + wcslen(c.path)));
    EXPECT_EQ(system_folder::Redirected(c.path, windows, false), c.redirected);
    EXPECT_EQ(system_folder::Redirected(c.path, windows, true), c.redirectedOnVista);
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
