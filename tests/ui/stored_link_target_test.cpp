// A shortcut gives the target it stores, whatever our word size. A 32-bit
// process on 64-bit Windows sees %ProgramFiles% as the "(x86)" folder; the
// expansion reads the native folders for it. Here the swap is shown with a
// fixed environment, so it holds at any word size, and a real shortcut
// through the drop list's own resolution; a shortcut that stores the
// variable, under WOW64 as well, is in wow64_folders_test.cpp.
#include <gtest/gtest.h>

#include <map>

#include "tests/support/scratch_dir.h"
#include "tests/support/shortcut.h"
#include "tests/ui/window_driver.h"
#include "ui/file_drop_list.h"
#include "ui/stored_link_target.h"

namespace {

// Variables' names are compared without regard to case, as Windows does.
struct CaseBlind {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
  }
};

// The environment of a 32-bit process on 64-bit Windows.
std::wstring Wow64Variable(const std::wstring& name) {
  static const std::map<std::wstring, std::wstring, CaseBlind> kVariables = {
      {L"ProgramFiles", L"C:\\Program Files (x86)"},
      {L"ProgramW6432", L"C:\\Program Files"},
      {L"CommonProgramFiles", L"C:\\Program Files (x86)\\Common Files"},
      {L"CommonProgramW6432", L"C:\\Program Files\\Common Files"},
      {L"SystemDrive", L"C:"},
  };
  auto found = kVariables.find(name);
  return found == kVariables.end() ? std::wstring() : found->second;
}

TEST(StoredLinkTarget, ExpandsTheProgramFilesFoldersAsTheNativeSystemReadsThem) {
  struct Case {
    const wchar_t* raw;
    const wchar_t* asWow64;
    const wchar_t* asNative;
  };
  const Case cases[] = {
      {L"%ProgramFiles%\\App\\a.txt", L"C:\\Program Files\\App\\a.txt",
       L"C:\\Program Files (x86)\\App\\a.txt"},
      {L"%programfiles%\\App\\a.txt", L"C:\\Program Files\\App\\a.txt",
       L"C:\\Program Files (x86)\\App\\a.txt"},
      {L"%CommonProgramFiles%\\x.dll", L"C:\\Program Files\\Common Files\\x.dll",
       L"C:\\Program Files (x86)\\Common Files\\x.dll"},
      {L"%SystemDrive%\\Data\\b.txt", L"C:\\Data\\b.txt", L"C:\\Data\\b.txt"},
      {L"C:\\Data\\100%\\c.txt", L"C:\\Data\\100%\\c.txt", L"C:\\Data\\100%\\c.txt"},
      {L"C:\\50%off\\%SystemDrive%x", L"C:\\50%off\\C:x", L"C:\\50%off\\C:x"},
      {L"%Unset%\\d.txt", L"%Unset%\\d.txt", L"%Unset%\\d.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.raw, c.raw + wcslen(c.raw)));
    EXPECT_EQ(ExpandStoredTarget(c.raw, &Wow64Variable, true), c.asWow64);
    EXPECT_EQ(ExpandStoredTarget(c.raw, &Wow64Variable, false), c.asNative);
  }
}

// A shortcut into the Program Files folder gives that folder, through the
// drop list's own resolution.
TEST(StoredLinkTarget, AShortcutIntoProgramFilesGivesThatFolder) {
  ScratchDir dir;
  const std::wstring folder = L"C:\\Program Files\\SorvanLinkTarget";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring target = folder + L"\\a.txt";
  ASSERT_TRUE(WriteWideNamed(target, "a"));
  WindowDriver ui;  // its list starts the component services the links need
  ASSERT_TRUE(MakeShortcut(WideText(dir / "a.lnk"), target));

  EXPECT_EQ(WideText(CFileDropList::ResolveShortcut(dir / "a.lnk")), target);
  DeleteFileW(target.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
