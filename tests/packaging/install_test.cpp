// The installer in a Wine prefix made for these tests alone, as on a new
// user's Windows: a silent install puts the files (with the build's time),
// the Start-menu shortcut, the uninstall entry and the ".p6k" registration in
// place; the installed program starts and registers ".p6k" alike; a silent
// uninstall takes all of it away again, and leaves another program's ".p6k"
// and another copy's registration alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "tests/packaging/installation.h"
#include "tests/support/scratch_dir.h"
#include "tests/app/sorvan_process.h"

namespace {

const std::wstring kTypeKey = L"Software\\Classes\\SORVANProgrammer.File";
const std::wstring kOpenCommandKey = kTypeKey + L"\\shell\\open\\command";
const std::wstring kExtensionKey = L"Software\\Classes\\.p6k";
const std::wstring kAddVerb = L"TavrelSorvan.Add";
const std::wstring kFilesVerbKey = L"Software\\Classes\\*\\shell\\" + kAddVerb;
const std::wstring kFoldersVerbKey = L"Software\\Classes\\Directory\\shell\\" + kAddVerb;
// A folder with blanks and Chinese, whose short form differs from its long one.
const std::wstring kLongFolder = L"C:\\users\\Public\\我的 程序\\Tavrel 文件加密";

// Starts the program, waits for its main window and closes it.
long StartAndClose(const std::wstring& exe, const char* screenshot = nullptr) {
  SorvanProcess process(Utf8(exe), std::string());
  if (!process.started()) return -2;
  HWND main = process.WaitForWindow(kMainTitle);
  if (!main) return -1;
  if (screenshot) Snapshot(main, screenshot);
  PostMessageW(main, WM_CLOSE, 0, 0);
  return process.WaitForExit();
}

std::wstring OpenCommandFor(const std::wstring& exe) { return ShortPathOf(exe) + L" \"%1\""; }

class InstallTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (auto uninstall = ReadString(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"))
      RunToEnd(*uninstall + L" /S");
    for (const std::wstring& folder : {DefaultInstallFolder(), kLongFolder}) RemoveFolderTree(folder);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTypeKey.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kExtensionKey.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Other.File");
    RegDeleteTreeW(HKEY_CURRENT_USER, kFilesVerbKey.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kFoldersVerbKey.c_str());
  }

  // Installs silently, into the given folder or the default one.
  long Install(const std::wstring& folder = std::wstring()) {
    std::wstring command = L"\"" + SetupProgram() + L"\" /S";
    if (!folder.empty()) command += L" /D=" + folder;  // must come last, unquoted
    return RunToEnd(command);
  }

  // Uninstalls silently by the entry's command, as Windows' settings run it.
  long Uninstall() {
    auto uninstall = ReadString(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString");
    return uninstall ? RunToEnd(*uninstall + L" /S") : -1;
  }

  void ExpectNothingOfTheInstallationLeft(const std::wstring& folder) {
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  }
};

TEST_F(InstallTest, SilentInstallPutsFilesShortcutAndEntryInPlace) {
  ASSERT_EQ(Install(), 0);
  const std::wstring folder = DefaultInstallFolder();
  DWORD bytes = 0;
  std::optional<std::int64_t> epoch = SourceDateEpoch();
  ASSERT_TRUE(epoch.has_value()) << "SOURCE_DATE_EPOCH is not set";
  for (const std::wstring& name : ReleaseFiles()) {
    SCOPED_TRACE(Utf8(name));
    std::optional<std::string> installed = ReadWholeFile(folder + L"\\" + name);
    ASSERT_TRUE(installed.has_value());
    EXPECT_TRUE(installed == ReadWholeFile(StagedFile(name))) << "differs from the staged file";
    // The installer keeps the time each file had when it was built; it arrives
    // rounded down to an even second, as in a zip.
    EXPECT_EQ(LastWriteTime(folder + L"\\" + name), *epoch - *epoch % 2);
    bytes += static_cast<DWORD>(installed->size());
  }
  std::optional<std::string> uninstaller = ReadWholeFile(folder + L"\\uninstall.exe");
  ASSERT_TRUE(uninstaller.has_value());
  bytes += static_cast<DWORD>(uninstaller->size());

  EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), folder + L"\\sorvan.exe");

  struct Value { const wchar_t* name; std::wstring expected; } values[] = {
      {L"DisplayName", L"Tavrel文件加密"},
      {L"DisplayVersion", WideText(SORVAN_VERSION)},
      {L"Publisher", L"塔维尔"},
      {L"DisplayIcon", folder + L"\\sorvan.exe,0"},
      {L"UninstallString", L"\"" + folder + L"\\uninstall.exe\""},
      {L"InstallLocation", folder},
  };
  for (const Value& v : values)
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, v.name), v.expected) << Utf8(v.name);
  std::optional<DWORD> kib = ReadDword(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize");
  ASSERT_TRUE(kib.has_value());
  EXPECT_NEAR(static_cast<double>(*kib), bytes / 1024.0, 8.0);

  // For this user alone: nothing in the machine's part of the registry.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(InstallTest, InstallerAsksForNoElevation) {
  HMODULE setup = LoadLibraryExW(SetupProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(setup, nullptr);
  HRSRC found = FindResourceW(setup, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(setup, found))),
                       SizeofResource(setup, found));
  FreeLibrary(setup);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
}

// A container opens with a double-click right after a silent install, before
// the program was ever started; its first start then writes the same values.
TEST_F(InstallTest, SilentInstallRegistersP6kAsAStartDoes) {
  ASSERT_EQ(Install(), 0);
  const std::wstring exe = DefaultInstallFolder() + L"\\sorvan.exe";
  const std::wstring shortExe = ShortPathOf(exe);
  struct Value { std::wstring key; std::wstring expected; } values[] = {
      {kExtensionKey, L"SORVANProgrammer.File"},
      {kTypeKey, L"SORVANProgrammer.File"},
      {kTypeKey + L"\\DefaultIcon", shortExe + L",1"},
      {kOpenCommandKey, OpenCommandFor(exe)},
      {kTypeKey + L"\\shell\\print\\command", shortExe + L" /p \"%1\""},
      {kTypeKey + L"\\shell\\printto\\command", shortExe + L" /pt \"%1\" \"%2\" \"%3\" \"%4\""},
  };
  for (const Value& v : values) EXPECT_EQ(ReadString(HKEY_CURRENT_USER, v.key), v.expected) << Utf8(v.key);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey + L"\\ShellNew", L"NullFile"), std::wstring());

  ASSERT_EQ(StartAndClose(exe), 0);
  for (const Value& v : values) EXPECT_EQ(ReadString(HKEY_CURRENT_USER, v.key), v.expected) << Utf8(v.key);

  EXPECT_EQ(Uninstall(), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtensionKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeKey));
}

TEST_F(InstallTest, InstalledProgramStartsAndRegistersP6k) {
  ASSERT_EQ(Install(), 0);
  const std::wstring exe = DefaultInstallFolder() + L"\\sorvan.exe";
  ASSERT_EQ(StartAndClose(exe, "installed_sorvan"), 0);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), std::wstring(L"SORVANProgrammer.File"));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kOpenCommandKey), OpenCommandFor(exe));
}

TEST_F(InstallTest, SilentUninstallRemovesEverything) {
  // The default folder, and one whose short path is not its long one: the
  // program registers itself by its short path.
  for (const std::wstring& chosen : {std::wstring(), kLongFolder}) {
    const std::wstring folder = chosen.empty() ? DefaultInstallFolder() : chosen;
    SCOPED_TRACE(Utf8(folder));
    ASSERT_EQ(Install(chosen), 0);
    ASSERT_EQ(StartAndClose(folder + L"\\sorvan.exe"), 0);
    ASSERT_EQ(ReadString(HKEY_CURRENT_USER, kOpenCommandKey), OpenCommandFor(folder + L"\\sorvan.exe"));

    EXPECT_EQ(Uninstall(), 0);
    ExpectNothingOfTheInstallationLeft(folder);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtensionKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeKey));
  }
}

TEST_F(InstallTest, AnotherProgramsP6kStays) {
  WriteString(HKEY_CURRENT_USER, kExtensionKey, L"Other.File");
  WriteString(HKEY_CURRENT_USER, L"Software\\Classes\\Other.File\\shell\\open\\command",
              L"C:\\other\\viewer.exe \"%1\"");
  ASSERT_EQ(Install(), 0);
  // The installer, as the program, writes its own type and leaves ".p6k" alone.
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), std::wstring(L"Other.File"));
  ASSERT_EQ(StartAndClose(DefaultInstallFolder() + L"\\sorvan.exe"), 0);
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, kTypeKey));  // the program writes its own type all the same

  EXPECT_EQ(Uninstall(), 0);
  ExpectNothingOfTheInstallationLeft(DefaultInstallFolder());
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), std::wstring(L"Other.File"));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Software\\Classes\\Other.File\\shell\\open\\command"),
            std::wstring(L"C:\\other\\viewer.exe \"%1\""));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeKey));
}

TEST_F(InstallTest, AnotherCopysRegistrationStays) {
  // The portable copy, started after the installed one, owns the type now.
  ASSERT_EQ(Install(), 0);
  ASSERT_EQ(StartAndClose(DefaultInstallFolder() + L"\\sorvan.exe"), 0);
  ScratchDir portable;
  const std::wstring copy = WideText(portable / "sorvan.exe");
  ASSERT_TRUE(CopyFileW(StagedFile(L"sorvan.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_EQ(StartAndClose(copy), 0);

  EXPECT_EQ(Uninstall(), 0);
  ExpectNothingOfTheInstallationLeft(DefaultInstallFolder());
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), std::wstring(L"SORVANProgrammer.File"));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kOpenCommandKey), OpenCommandFor(copy));
}

TEST_F(InstallTest, UninstallAfterTheFilesWereDeletedByHand) {
  for (const std::wstring& chosen : {std::wstring(), kLongFolder}) {
    const std::wstring folder = chosen.empty() ? DefaultInstallFolder() : chosen;
    SCOPED_TRACE(Utf8(folder));
    ASSERT_EQ(Install(chosen), 0);
    ASSERT_EQ(StartAndClose(folder + L"\\sorvan.exe"), 0);
    for (const std::wstring& name : ReleaseFiles()) ASSERT_TRUE(DeleteFileW((folder + L"\\" + name).c_str()));

    EXPECT_EQ(Uninstall(), 0);
    ExpectNothingOfTheInstallationLeft(folder);
    // The registration named the deleted program, so it goes too.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtensionKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypeKey));
  }
}

TEST_F(InstallTest, UninstallingAgainDoesNoHarm) {
  const std::wstring first = DefaultInstallFolder();
  ASSERT_EQ(Install(), 0);
  ScratchDir kept;
  const std::wstring uninstaller = WideText(kept / "uninstall.exe");
  ASSERT_TRUE(CopyFileW((first + L"\\uninstall.exe").c_str(), uninstaller.c_str(), FALSE));
  ASSERT_EQ(Uninstall(), 0);
  ExpectNothingOfTheInstallationLeft(first);

  // Meanwhile another program took ".p6k" and the product was installed again
  // elsewhere; the old uninstaller, run for the old folder, touches neither.
  WriteString(HKEY_CURRENT_USER, kExtensionKey, L"Other.File");
  ASSERT_EQ(Install(kLongFolder), 0);
  ASSERT_EQ(StartAndClose(kLongFolder + L"\\sorvan.exe"), 0);
  EXPECT_EQ(RunToEnd(L"\"" + uninstaller + L"\" /S _?=" + first), 0);

  for (const std::wstring& name : ReleaseFiles()) EXPECT_TRUE(FileExists(kLongFolder + L"\\" + name));
  EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), kLongFolder + L"\\sorvan.exe");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation"), kLongFolder);
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), std::wstring(L"Other.File"));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kOpenCommandKey), OpenCommandFor(kLongFolder + L"\\sorvan.exe"));
}

// Explorer's "添加到 Tavrel文件加密": in place for files and folders after a
// silent install; the verb on a file starts the program with the file on its
// list; a silent uninstall takes it away.
TEST_F(InstallTest, TheAddVerbOnFilesAndFolders) {
  ASSERT_EQ(Install(), 0);
  const std::wstring exe = DefaultInstallFolder() + L"\\sorvan.exe";
  for (const std::wstring& key : {kFilesVerbKey, kFoldersVerbKey}) {
    SCOPED_TRACE(Utf8(key));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key), std::wstring(L"添加到 Tavrel文件加密"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, L"Icon"), exe + L",0");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key + L"\\command"), L"\"" + exe + L"\" /add \"%1\"");
  }

  // As Explorer invokes a verb of "*", whose key it finds itself: Wine's
  // shell looks up only the extension's own class.
  ScratchDir dir;
  WriteBytes(dir / "report.txt", "r");
  const std::wstring file = WideText(dir / "report.txt");
  HKEY filesClass = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\*", 0, KEY_READ, &filesClass),
            ERROR_SUCCESS);
  SHELLEXECUTEINFOW run = {};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_CLASSKEY | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  run.lpVerb = kAddVerb.c_str();
  run.lpFile = file.c_str();
  run.hkeyClass = filesClass;
  run.nShow = SW_SHOWNORMAL;
  BOOL started = ShellExecuteExW(&run);
  DWORD error = GetLastError();
  RegCloseKey(filesClass);
  ASSERT_TRUE(started) << "error " << error;
  HWND window = WaitForWindowTitled(kMainTitle);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForListedPaths(window, 1), std::vector<std::string>{dir / "report.txt"});
  Snapshot(window, "add-verb");
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, process);
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (program) {
    WaitForSingleObject(program, 30000);
    CloseHandle(program);
  }

  EXPECT_EQ(Uninstall(), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFilesVerbKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFoldersVerbKey));
}

// Another program's verb of the same name, or one written after the install,
// is not the uninstaller's to take.
TEST_F(InstallTest, AnotherProgramsVerbOfTheSameNameStays) {
  ASSERT_EQ(Install(), 0);
  const std::wstring other = L"\"C:\\other\\adder.exe\" /add \"%1\"";
  WriteString(HKEY_CURRENT_USER, kFoldersVerbKey + L"\\command", other);
  EXPECT_EQ(Uninstall(), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kFilesVerbKey));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kFoldersVerbKey + L"\\command"), other);
}

}  // namespace
