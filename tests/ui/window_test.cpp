#include <gtest/gtest.h>

#include <cwchar>

#include "res/resource.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"

namespace {

// The major version of the side-by-side Common Controls assembly this
// process loaded comctl32.dll from, as its folder in the store names it
// ("...\\winsxs\\amd64_microsoft.windows.common-controls_6595b64144ccf1df_6.0....");
// 0 when it came from the system folder, which holds version 5. Wine's
// library says 5 of itself in both places, its folder tells them apart.
DWORD LoadedCommonControlsVersion(std::wstring& path) {
  wchar_t loaded[MAX_PATH] = L"";
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (!comctl || GetModuleFileNameW(comctl, loaded, MAX_PATH) == 0) return 0;
  path = loaded;
  std::wstring lower = path;
  CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  const std::wstring assembly = L"\\winsxs\\", name = L"_microsoft.windows.common-controls_6595b64144ccf1df_";
  std::size_t store = lower.find(assembly), at = lower.find(name);
  if (store == std::wstring::npos || at == std::wstring::npos || at < store) return 0;
  return static_cast<DWORD>(wcstoul(lower.c_str() + at + name.size(), nullptr, 10));
}

// This program carries the window's manifest, as sorvan.exe does, so the
// list, its tips and the progress bar come from the library the release
// gets: version 6, which the manifest asks for by this build's processor.
TEST(MainWindow, DrawsWithCommonControlsSix) {
  WindowDriver ui;
  ASSERT_NE(ui.window(), nullptr);
  std::wstring loaded;
  EXPECT_EQ(LoadedCommonControlsVersion(loaded), 6u) << loaded;
}

TEST(MainWindow, OpensCentredTopmostWithTheTemplateLayout) {
  WindowDriver ui;
  HWND window = ui.window();
  ASSERT_NE(window, nullptr);

  RECT frame, area;
  GetWindowRect(window, &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (area.left + area.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (area.top + area.bottom) / 2, 1);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

  wchar_t caption[64];
  GetWindowTextW(window, caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Tavrel文件加密 7.2 ");
  EXPECT_FALSE(IsWindowVisible(ui.item(IDC_PROGRESS)));
  EXPECT_FALSE(IsWindowVisible(ui.item(IDC_FILE_SIZE)));
  EXPECT_EQ(GetFocus(), ui.item(IDC_PASSWORD));

  HWND list = ui.item(IDC_FILE_LIST);
  // Grid lines and full-row selection as the template's list has them, and
  // info tips, through which a row that did not succeed tells why.
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
            LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
  wchar_t heading[16];
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT;
  column.pszText = heading;
  column.cchTextMax = 16;
  SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(std::wstring(heading), L"状态");

  HMENU menu = GetSystemMenu(window, FALSE);
  wchar_t about[64] = L"";
  GetMenuStringW(menu, IDM_ABOUTBOX, about, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(about), L"关于 sorvan(&A)...");

  ui.Screenshot("main-empty");
}

// A posted key passes through the window's message loop; Enter must press
// no button and Escape must not close the window, whatever has the focus. A
// push button that has the focus is the default button, so Enter would press
// it: encrypting would say the password is missing, clearing would empty the
// list.
TEST(MainWindow, EnterAndEscapeNeitherCloseNorPress) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WindowDriver ui;
  ui.Drop({dir / "a.txt"});
  for (int id : {IDC_PASSWORD, IDC_CONFIRM, IDC_ENCRYPT, IDC_DECRYPT, IDC_CLEAR_LIST, IDC_FILE_LIST}) {
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      SCOPED_TRACE("control " + std::to_string(id) + " key " + std::to_string(key));
      ui.PressKey(ui.item(id), key);
      EXPECT_EQ(GetFocus(), ui.item(id));
      EXPECT_FALSE(ui.dialog().HasEnded());
      EXPECT_TRUE(IsWindowVisible(ui.window()));
      EXPECT_TRUE(ui.TakeBoxes().empty());
      EXPECT_EQ(ui.Rows(), (std::vector<Row>{{dir / "a.txt", kReady, kDot}}));
    }
  }
}

// A command's button is disabled while it has the focus, or a box takes the
// focus: once the run or the box is done, the focus is back on the button
// that was clicked, and Tab moves on from there. A command given while the
// focus was nowhere leaves it on the first password entry.
TEST(MainWindow, TheFocusComesBackAfterARunAndAfterANotice) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WindowDriver ui;
  auto pressTab = [&] {
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, VK_TAB, 1);
    PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC0000001);
    ui.PumpIdle();
  };

  EXPECT_EQ(ui.Click(IDC_ENCRYPT).size(), 1u);  // the list is empty: a notice
  EXPECT_EQ(GetFocus(), ui.item(IDC_ENCRYPT));

  ui.Drop({dir / "a.txt"});
  ui.TypePasswords(L"pw");
  EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
  ui.WaitForRun();
  EXPECT_EQ(GetFocus(), ui.item(IDC_ENCRYPT));
  pressTab();
  EXPECT_EQ(GetFocus(), ui.item(IDC_DECRYPT));

  SetFocus(nullptr);
  PostMessageW(ui.window(), WM_COMMAND, MAKEWPARAM(IDC_DECRYPT, BN_CLICKED),
               reinterpret_cast<LPARAM>(ui.item(IDC_DECRYPT)));
  ui.PumpIdle();
  ui.WaitForRun();
  EXPECT_EQ(GetFocus(), ui.item(IDC_PASSWORD));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.txt"});
}

TEST(MainWindow, CloseBoxEndsTheWindow) {
  WindowDriver ui;
  SendMessageW(ui.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ui.PumpIdle();
  EXPECT_TRUE(ui.dialog().HasEnded());
  EXPECT_EQ(ui.dialog().Result(), IDCANCEL);
}

// A click stores the row's path, shows the file's size in the hidden field
// and writes every stored value back into its field.
TEST(FileRows, ClickShowsTheSizeAndRefreshesTheFields) {
  ScratchDir dir;
  WriteBytes(dir / "seven.txt", "1234567");
  WriteBytes(dir / "held.txt", "12345");
  WindowDriver ui;

  ui.ClickList(-1);
  wchar_t size[32] = L"";
  GetDlgItemTextW(ui.window(), IDC_FILE_SIZE, size, 32);
  EXPECT_EQ(std::wstring(size), L"") << "no row was ever selected";

  ui.Drop({dir / "seven.txt", dir / "held.txt"});
  struct Case {
    std::string file;
    const wchar_t* size;
  } cases[] = {{"seven.txt", L"7"}, {"held.txt", L"0"}};
  ExclusiveLock lock(dir / "held.txt");
  ASSERT_TRUE(lock.held());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ui.Type(IDC_PASSWORD, L"typed");
    ui.ClickList(ui.FindRow(dir / c.file));
    GetDlgItemTextW(ui.window(), IDC_FILE_SIZE, size, 32);
    EXPECT_EQ(std::wstring(size), c.size);
    char path[MAX_PATH] = "";
    GetDlgItemTextA(ui.window(), IDC_FILE_PATH, path, MAX_PATH);
    EXPECT_EQ(std::string(path), dir / c.file);
    EXPECT_EQ(GetWindowTextLengthW(ui.item(IDC_PASSWORD)), 0);
  }
}

}  // namespace
