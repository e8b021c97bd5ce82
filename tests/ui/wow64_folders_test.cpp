// What 64-bit Windows changes for the 32-bit release, through the window as a
// user drives it. Under WOW64 (the i686 build in a 64-bit prefix) the system
// swaps the system folder for SysWOW64 and reads %ProgramFiles% as the
// "(x86)" folder: a file under the system folder is refused with its reason,
// and a shortcut that stores its target under %ProgramFiles% gives the native
// folder's file. Elsewhere (32-bit Windows, the x86_64 build) nothing is
// swapped, and the same file is taken as any other. Which answer holds is
// asked of the system as the test runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"

namespace {

bool UnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring Variable(const wchar_t* name) {
  wchar_t value[MAX_PATH] = L"";
  DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? value : L"";
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = L"";
  GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

// The test's own reads and writes of the system folder reach the folder
// itself: under WOW64 they would go to SysWOW64.
class RealSystemFolder {
 public:
  RealSystemFolder() : m_off(UnderWow64() && Wow64DisableWow64FsRedirection(&m_state)) {}
  ~RealSystemFolder() {
    if (m_off) Wow64RevertWow64FsRedirection(m_state);
  }

 private:
  void* m_state = nullptr;
  bool m_off;
};

std::wstring LoadedText(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  return std::wstring(text, length > 0 ? length : 0);
}

// A file under the system folder: under WOW64 the run would read and write
// SysWOW64 instead, so the row fails with its reason and nothing is written
// in either folder; elsewhere it is masked as any file is.
TEST(Wow64Folders, AFileUnderTheSystemFolderIsRefusedUnderWow64) {
  const std::wstring source = SystemFolder() + L"\\sorvan-wow64-test.txt";
  const std::wstring container = SystemFolder() + L"\\sorvan-wow64-test.p6k";
  {
    RealSystemFolder real;
    DeleteFileW(container.c_str());
    ASSERT_TRUE(WriteWideNamed(source, "in the system folder"));
  }
  WindowDriver ui;
  ui.Drop({source});
  ui.TypePasswords(L"pw");
  EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
  ui.WaitForRun();
  std::vector<Row> rows = ui.Rows();
  ASSERT_EQ(rows.size(), 1u);
  if (UnderWow64()) {
    EXPECT_EQ(rows[0].status, kFailed);
    EXPECT_EQ(rows[0].image, kCross);
    EXPECT_EQ(ui.RowTips(), std::vector<std::wstring>{LoadedText(IDS_REASON_SYSTEM_FOLDER)});
    ui.Screenshot("main-system-folder-under-wow64");
  } else {
    EXPECT_EQ(rows[0].status, kSuccess);
  }

  // Redirection is off only here: it would also swap the libraries the
  // window loads.
  wchar_t wow64Folder[MAX_PATH] = L"";
  const bool hasWow64Folder = GetSystemWow64DirectoryW(wow64Folder, MAX_PATH) != 0;
  RealSystemFolder real;
  if (UnderWow64()) {
    EXPECT_EQ(ReadWideNamed(source), "in the system folder");
    EXPECT_EQ(GetFileAttributesW(container.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(hasWow64Folder);
    EXPECT_EQ(GetFileAttributesW((std::wstring(wow64Folder) + L"\\sorvan-wow64-test.p6k").c_str()),
              INVALID_FILE_ATTRIBUTES);
  } else {
    EXPECT_EQ(GetFileAttributesW(source.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(container.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  DeleteFileW(source.c_str());
  DeleteFileW(container.c_str());
}

void Put32(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A shortcut that stores its target as written, variables and all, as an
// installer's shortcut does: in its environment block, which Windows reads,
// and as its local path, which Wine's link object reads (it reads no such
// block, and its own writes expand the variables). target is ASCII.
bool MakeShortcutStoring(const std::wstring& link, const std::string& target) {
  std::string bytes;
  Put32(bytes, 0x4C);  // the header's size, then the link object's class
  const unsigned char linkClass[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  bytes.append(reinterpret_cast<const char*>(linkClass), sizeof linkClass);
  Put32(bytes, 0x2 | 0x80 | 0x200);  // a link info, Unicode strings, an environment block
  Put32(bytes, FILE_ATTRIBUTE_NORMAL);
  bytes.append(3 * 8 + 4, '\0');  // times, size
  Put32(bytes, 0);                // icon index
  Put32(bytes, SW_SHOWNORMAL);
  bytes.append(2 + 2 + 4 + 4, '\0');  // hot key, reserved

  // The link info: a fixed volume, then the local path and an empty suffix.
  const std::uint32_t volumeSize = 0x11, pathAt = 0x1C + volumeSize;
  const std::uint32_t suffixAt = pathAt + static_cast<std::uint32_t>(target.size()) + 1;
  for (std::uint32_t field : {suffixAt + 1, 0x1Cu, 1u, 0x1Cu, pathAt, 0u, suffixAt}) Put32(bytes, field);
  for (std::uint32_t field : {volumeSize, static_cast<std::uint32_t>(DRIVE_FIXED), 0x5056u, 0x10u})
    Put32(bytes, field);
  bytes += '\0';  // the volume's empty label
  bytes += target + '\0' + '\0';

  // The environment block: the target in the code page, then in UTF-16.
  Put32(bytes, 0x314);
  Put32(bytes, 0xA0000001);
  std::string ansi(260, '\0'), wide(520, '\0');
  ansi.replace(0, target.size(), target);
  for (std::size_t i = 0; i < target.size(); ++i) wide[2 * i] = target[i];
  bytes += ansi + wide;
  Put32(bytes, 0);  // no block follows

  FILE* file = _wfopen(link.c_str(), L"wb");
  if (!file) return false;
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}

// A shortcut into %ProgramFiles% or %CommonProgramFiles%, dropped and
// encrypted, gives the native folder's file, as a 64-bit program and
// Explorer read it: under WOW64 the variable the 32-bit process holds names
// the "(x86)" folder, whose file of the same name stays as it was.
TEST(Wow64Folders, AShortcutIntoProgramFilesOpensTheNativeFoldersFile) {
  struct Case {
    const wchar_t* variable;
    const wchar_t* native;  // the variable that holds the native folder under WOW64
  };
  const Case cases[] = {{L"ProgramFiles", L"ProgramW6432"}, {L"CommonProgramFiles", L"CommonProgramW6432"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable, c.variable + wcslen(c.variable)));
    const std::wstring seen = Variable(c.variable);
    const std::wstring native = UnderWow64() ? Variable(c.native) : seen;
    ASSERT_FALSE(native.empty());
    ASSERT_EQ(native != seen, UnderWow64()) << "only WOW64 names another folder";
    const std::wstring folder = native + L"\\SorvanWow64Target";
    const std::wstring swapped = seen + L"\\SorvanWow64Target";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(swapped.c_str(), nullptr);
    ASSERT_TRUE(WriteWideNamed(folder + L"\\a.txt", "native"));
    if (UnderWow64()) {
      ASSERT_TRUE(WriteWideNamed(swapped + L"\\a.txt", "(x86)"));
    }

    ScratchDir dir;
    const std::string stored =
        "%" + std::string(c.variable, c.variable + wcslen(c.variable)) + "%\\SorvanWow64Target\\a.txt";
    ASSERT_TRUE(MakeShortcutStoring(WideText(dir / "a.lnk"), stored));
    {
      WindowDriver ui;
      ui.Drop({dir / "a.lnk"});
      ASSERT_EQ(ui.Rows().size(), 1u);
      EXPECT_EQ(WideText(ui.Rows()[0].path), folder + L"\\a.txt");
      ui.TypePasswords(L"pw");
      EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
      ui.WaitForRun();
      EXPECT_EQ(ui.Rows()[0].status, kSuccess);
    }
    EXPECT_NE(GetFileAttributesW((folder + L"\\a.p6k").c_str()), INVALID_FILE_ATTRIBUTES);
    if (UnderWow64()) {
      EXPECT_EQ(ReadWideNamed(swapped + L"\\a.txt"), "(x86)");
    }
    for (const wchar_t* name : {L"\\a.txt", L"\\a.p6k"}) {
      DeleteFileW((folder + name).c_str());
      DeleteFileW((swapped + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(swapped.c_str());
  }
}

}  // namespace
