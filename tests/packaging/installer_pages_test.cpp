// The installer and the uninstaller with their pages, clicked through as a
// user would: every page speaks Simplified Chinese, the finish page starts the
// program, and each page is saved as a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/packaging/installation.h"
#include "tests/support/scratch_dir.h"
#include "tests/app/sorvan_process.h"

namespace {

const std::wstring kProduct = L"Tavrel文件加密 " + WideText(SORVAN_VERSION);
const int kNext = 1, kCancel = 2;

// A control's text read through the control itself, as it shows it now.
std::wstring CurrentText(HWND control) {
  wchar_t text[1024] = L"";
  DWORD_PTR ignored;
  SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  return text;
}

struct TextSearch {
  std::wstring text;
  bool found;
};

BOOL CALLBACK HasText(HWND child, LPARAM param) {
  TextSearch& s = *reinterpret_cast<TextSearch*>(param);
  if (IsWindowVisible(child) && CurrentText(child) == s.text) {
    s.found = true;
    return FALSE;
  }
  return TRUE;
}

// True when a visible control anywhere inside the window shows the text.
bool Shows(HWND window, const std::wstring& text) {
  TextSearch search = {text, false};
  EnumChildWindows(window, &HasText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct TitleSearch {
  std::wstring start;
  HWND found;
};

BOOL CALLBACK TitleStarts(HWND window, LPARAM param) {
  TitleSearch& s = *reinterpret_cast<TitleSearch*>(param);
  if (IsWindowVisible(window) && WindowText(window).compare(0, s.start.size(), s.start) == 0) {
    s.found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of any process whose title starts with the text
// (a wizard's page may add its own words to the title).
HWND WaitForTopWindow(const std::wstring& titleStart) {
  for (int i = 0; i < 3000; ++i) {  // a minute: a hang, not a busy machine
    TitleSearch search = {titleStart, nullptr};
    EnumWindows(&TitleStarts, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  }
  return nullptr;
}

// Waits until the window is gone; a minute tells a hang from a busy machine.
void WaitUntilClosed(HWND window) {
  for (int i = 0; i < 3000 && IsWindow(window); ++i) Sleep(20);
}

// Waits until the page shows the text, which tells that it is on screen.
bool WaitForPage(HWND wizard, const std::wstring& text) {
  for (int i = 0; i < 3000; ++i) {  // a minute: a hang, not a busy machine
    if (Shows(wizard, text)) return true;
    Sleep(20);
  }
  return false;
}

void Click(HWND wizard, int id) { PostMessageW(GetDlgItem(wizard, id), BM_CLICK, 0, 0); }

class InstallerPagesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (auto uninstall = ReadString(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"))
      RunToEnd(*uninstall + L" /S");
    RemoveFolderTree(DefaultInstallFolder());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\SORVANProgrammer.File");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\.p6k");
  }
};

TEST_F(InstallerPagesTest, InstallAndUninstallInSimplifiedChinese) {
  SorvanProcess setup(WinePath(SetupFile()), std::string());
  ASSERT_TRUE(setup.started());
  HWND wizard = setup.WaitForWindow(kProduct + L" 安装");
  ASSERT_NE(wizard, nullptr);

  bool shown = WaitForPage(wizard, L"欢迎使用 " + kProduct + L" 安装程序");
  Snapshot(wizard, "installer_welcome");
  ASSERT_TRUE(shown);
  EXPECT_EQ(CurrentText(GetDlgItem(wizard, kNext)), L"下一步(&N) >");
  EXPECT_EQ(CurrentText(GetDlgItem(wizard, kCancel)), L"取消(&C)");

  // The licence, to be accepted before anything is installed.
  Click(wizard, kNext);
  shown = WaitForPage(wizard, L"我接受(&I)");
  Snapshot(wizard, "installer_licence");
  ASSERT_TRUE(shown);
  EXPECT_TRUE(Shows(wizard, L"许可证协议"));

  Click(wizard, kNext);
  shown = WaitForPage(wizard, DefaultInstallFolder());
  Snapshot(wizard, "installer_folder");
  ASSERT_TRUE(shown);
  EXPECT_EQ(CurrentText(GetDlgItem(wizard, kNext)), L"安装(&I)");
  EXPECT_TRUE(Shows(wizard, L"浏览(&B)..."));

  Click(wizard, kNext);
  shown = WaitForPage(wizard, L"完成(&F)");
  Snapshot(wizard, "installer_finished");
  ASSERT_TRUE(shown);
  EXPECT_TRUE(Shows(wizard, L"运行 " + kProduct + L"(&R)"));

  // "完成" with "运行" ticked, as it comes: the program starts.
  Click(wizard, kNext);
  EXPECT_EQ(setup.WaitForExit(), 0);
  HWND main = WaitForTopWindow(kMainTitle);
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitUntilClosed(main);

  const std::wstring folder = DefaultInstallFolder();
  for (const std::wstring& name : ReleaseFiles()) EXPECT_TRUE(FileExists(folder + L"\\" + name));
  // The uninstaller hands its pages to a copy of itself: found by title.
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  std::wstring command = L"\"" + folder + L"\\uninstall.exe\"";
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &started));
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  HWND un = WaitForTopWindow(kProduct + L" 卸载");
  ASSERT_NE(un, nullptr);
  shown = WaitForPage(un, L"卸载(&U)");
  Snapshot(un, "uninstaller_confirm");
  ASSERT_TRUE(shown);
  EXPECT_TRUE(Shows(un, L"卸载 " + kProduct));

  Click(un, kNext);
  shown = WaitForPage(un, L"关闭(&L)");
  Snapshot(un, "uninstaller_done");
  ASSERT_TRUE(shown);
  Click(un, kNext);
  WaitUntilClosed(un);
  EXPECT_FALSE(IsWindow(un));
  EXPECT_FALSE(FolderExists(folder));
  EXPECT_FALSE(FileExists(StartMenuShortcut()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
}

}  // namespace
