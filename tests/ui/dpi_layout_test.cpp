// The three windows at 96 and at 144 DPI (the system's LogPixels): every
// control inside its dialog, no text cut, the controls in the same places
// relative to their dialog, and the program's own images at the small-icon
// size. Wine reads LogPixels when a process starts, so each setting is
// measured by a child of this program, which shows the windows and writes
// what it saw; a screenshot of each window is saved at each setting.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "crypt/key.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "tests/ui/window_driver.h"
#include "tests/ui/worker_gate.h"
#include "ui/password_dlg.h"
#include "ui/sorvan_dlg.h"

namespace {

const wchar_t kOutVariable[] = L"SORVAN_LAYOUT_OUT";
const char kTagVariable[] = "SORVAN_LAYOUT_TAG";

// One control of a window, its rectangle as fractions of the dialog's
// client area.
struct Placed {
  double left, top, right, bottom;
};

// What the child saw of one window.
struct Measured {
  int clientWidth = 0, clientHeight = 0;
  std::vector<Placed> controls;  // visible ones, in the window's order
};

// The text as the control would draw it with its own font fits its client
// area: one line for a button, wrapped at the control's width for a static.
bool TextFits(HWND control, std::wstring& why) {
  std::wstring text = WindowText(control);
  std::wstring kind = WindowClass(control);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  bool isStatic = _wcsicmp(kind.c_str(), L"Static") == 0;
  bool isButton = _wcsicmp(kind.c_str(), L"Button") == 0;
  if (text.empty() || (!isStatic && !isButton)) return true;
  if (isStatic && (style & SS_TYPEMASK) == SS_ICON) return true;
  RECT client;
  GetClientRect(control, &client);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  RECT needed = {0, 0, client.right, 0};
  UINT format = DT_CALCRECT | (isButton ? DT_SINGLELINE : DT_WORDBREAK);
  if (isButton || (style & SS_NOPREFIX)) format |= DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), -1, &needed, format);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  // A push button keeps its edges and the focus frame around the text.
  int margin = isButton ? 2 * (GetSystemMetrics(SM_CXEDGE) + 1) : 0;
  bool fits = needed.right + margin <= client.right && needed.bottom <= client.bottom;
  if (!fits) {
    std::wstringstream s;
    s << L"needs " << needed.right + margin << L"x" << needed.bottom << L", has " << client.right
      << L"x" << client.bottom;
    why = s.str();
  }
  return fits;
}

// Checks a shown window and writes one line per visible control:
// "<window> <left> <top> <right> <bottom>" as fractions of its client area.
void MeasureWindow(HWND window, const std::string& name, std::ostream& out) {
  RECT area;
  GetClientRect(window, &area);
  out << name << "-client " << area.right << " " << area.bottom << "\n";
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    std::string what = name + " control " + std::to_string(GetDlgCtrlID(child)) + " \"" +
                       std::to_string(WindowText(child).size()) + " characters\"";
    SCOPED_TRACE(what);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, area.right);
    EXPECT_LE(r.bottom, area.bottom);
    std::wstring why;
    EXPECT_TRUE(TextFits(child, why)) << std::string(why.begin(), why.end());
    out << name << " " << static_cast<double>(r.left) / area.right << " "
        << static_cast<double>(r.top) / area.bottom << " " << static_cast<double>(r.right) / area.right
        << " " << static_cast<double>(r.bottom) / area.bottom << "\n";
  }
}

// Serves this thread's messages for a while: Wine copies a window's drawing
// to the screen from its message loop a little later.
void Settle(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

// The About box opened by its button, as a user opens it: the steps run
// inside its modal loop, from a thread timer, until one measures it.
struct AboutMeasure {
  static AboutMeasure* current;
  HWND owner;
  std::function<void(HWND)> measure;
  bool done = false;
  DWORD seen = 0;

  static BOOL CALLBACK Find(HWND window, LPARAM found) {
    if (GetWindow(window, GW_OWNER) == current->owner && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_ABOUT_SITE_LINK)) {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!current || current->done) return;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    if (!current->seen) current->seen = GetTickCount();
    if (GetTickCount() - current->seen < 400) return;
    current->done = true;
    current->measure(box);
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  }
};
AboutMeasure* AboutMeasure::current = nullptr;

// Runs in the child: shows the main window, the About box and the prompt,
// checks and measures each, and saves its screenshot.
TEST(DISABLED_DpiLayoutHelper, MeasuresTheWindows) {
  // The path comes in UTF-16: the temporary folder may hold any name.
  const wchar_t* outPath = _wgetenv(kOutVariable);
  const char* tag = std::getenv(kTagVariable);
  ASSERT_TRUE(outPath && tag);
  std::ofstream out(outPath);
  HDC screen = GetDC(nullptr);
  out << "dpi " << GetDeviceCaps(screen, LOGPIXELSY) << "\n";
  ReleaseDC(nullptr, screen);
  out << "small-icon " << GetSystemMetrics(SM_CXSMICON) << "\n";

  // The main window after a run, its rows showing their images.
  ScratchDir dir;
  WriteBytes(dir / "report.txt", "report");
  WriteBytes(dir / "old.p6k", "old");
  {
    WindowDriver ui;
    ASSERT_NE(ui.window(), nullptr);
    ui.Drop({dir / "report.txt", dir / "old.p6k"});
    ui.TypePasswords(L"pw");
    EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
    ui.WaitForRun();
    int imageWidth = 0, imageHeight = 0;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        SendMessageW(ui.item(IDC_FILE_LIST), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ImageList_GetIconSize(images, &imageWidth, &imageHeight);
    out << "row-image " << imageWidth << "\n";
    Settle(300);
    ui.Screenshot(std::string("main-") + tag + "dpi");
    MeasureWindow(ui.window(), "main", out);
  }

  // The About box from a main window without the message-box watcher, which
  // would take the box for a message box.
  CSorvanDlg dialog;
  ASSERT_TRUE(dialog.Create());
  HWND window = dialog.GetSafeHwnd();
  AboutMeasure about{window, [&](HWND box) {
                       SaveScreenshot(box, SORVAN_SCREENSHOT_DIR, std::string("about-") + tag + "dpi");
                       MeasureWindow(box, "about", out);
                     }};
  AboutMeasure::current = &about;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, &AboutMeasure::Tick);
  SendMessageW(GetDlgItem(window, IDC_ABOUT), BM_CLICK, 0, 0);
  KillTimer(nullptr, timer);
  AboutMeasure::current = nullptr;
  EXPECT_TRUE(about.done) << "the About box opened";

  // The prompt as start-up shows it for a container opened from the desktop.
  CPasswordDlg prompt("a.p6k");
  ASSERT_TRUE(prompt.Create());
  HWND promptWindow = prompt.GetSafeHwnd();
  ShowWindow(promptWindow, SW_SHOW);
  Settle(400);
  SaveScreenshot(promptWindow, SORVAN_SCREENSHOT_DIR, std::string("prompt-") + tag + "dpi");
  MeasureWindow(promptWindow, "prompt", out);
  DestroyWindow(promptWindow);

  // The prompt during a restore held at its second write, its first buffer
  // told: its bar shows in the room below the buttons.
  WriteBytes(dir / "big.p6k", ContainerFromLayout(PatternBytes(9u << 20), "bin", DeriveKey("pw")));
  FaultyFileSystem fs;
  WorkerGate gate(120000);
  fs.After(FaultyFileSystem::Op::Write, [&] {
    if (fs.Count(FaultyFileSystem::Op::Write) == 2) gate.Hold();
  });
  CPasswordDlg restoring(dir / "big.p6k");
  restoring.SetFileSystem(fs);
  restoring.SetProgressDelay(0);
  ASSERT_TRUE(restoring.Create());
  HWND restoringWindow = restoring.GetSafeHwnd();
  ShowWindow(restoringWindow, SW_SHOW);
  SetDlgItemTextW(restoringWindow, IDC_PROMPT_PASSWORD, L"pw");
  SendMessageW(GetDlgItem(restoringWindow, IDC_PROMPT_DECRYPT), BM_CLICK, 0, 0);
  DWORD start = GetTickCount();
  HWND bar = GetDlgItem(restoringWindow, IDC_PROMPT_PROGRESS);
  while (!(gate.Reached() && IsWindowVisible(bar) && SendMessageW(bar, PBM_GETPOS, 0, 0) > 0) &&
         GetTickCount() - start < 60000)
    Settle(20);
  EXPECT_TRUE(gate.Reached() && IsWindowVisible(bar)) << "the bar shows during the restore";
  Settle(400);
  SaveScreenshot(restoringWindow, SORVAN_SCREENSHOT_DIR, std::string("prompt-restoring-") + tag + "dpi");
  MeasureWindow(restoringWindow, "prompt-restoring", out);
  gate.Open();
  SendMessageW(restoringWindow, WM_CLOSE, 0, 0);
}

// The LogPixels setting for as long as it lives; the one before comes back.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &m_key, nullptr);
    DWORD size = sizeof m_before;
    m_hadValue = RegQueryValueExW(m_key, L"LogPixels", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&m_before), &size) == ERROR_SUCCESS;
    m_set = RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                           sizeof dpi) == ERROR_SUCCESS;
  }
  ~LogPixels() {
    if (m_hadValue)
      RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_before),
                     sizeof m_before);
    else
      RegDeleteValueW(m_key, L"LogPixels");
    RegCloseKey(m_key);
  }
  bool set() const { return m_set; }

 private:
  HKEY m_key = nullptr;
  DWORD m_before = 0;
  bool m_hadValue = false;
  bool m_set = false;
};

struct Layout {
  std::map<std::string, double> figures;  // dpi, small-icon, row-image
  std::map<std::string, Measured> windows;
};

Layout ReadLayout(const std::wstring& path) {
  Layout layout;
  std::ifstream in(path.c_str());
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string name;
    s >> name;
    if (name.size() > 7 && name.compare(name.size() - 7, 7, "-client") == 0) {
      Measured& m = layout.windows[name.substr(0, name.size() - 7)];
      s >> m.clientWidth >> m.clientHeight;
    } else if (layout.windows.count(name)) {
      Placed p;
      s >> p.left >> p.top >> p.right >> p.bottom;
      layout.windows[name].controls.push_back(p);
    } else {
      s >> layout.figures[name];
    }
  }
  return layout;
}

// This program again, showing and measuring the windows at the given DPI.
Layout MeasureAt(DWORD dpi) {
  LogPixels setting(dpi);
  EXPECT_TRUE(setting.set());
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring out = std::wstring(folder) + L"sorvan-layout-" + std::to_wstring(dpi) + L".txt";
  DeleteFileW(out.c_str());
  SetEnvironmentVariableW(kOutVariable, out.c_str());
  SetEnvironmentVariableA(kTagVariable, std::to_string(dpi).c_str());
  std::string command = std::string("\"") + self +
                        "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_DpiLayoutHelper.*";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION child = {};
  Layout layout;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &child)) {
    ADD_FAILURE() << "the measuring child did not start";
    return layout;
  }
  EXPECT_EQ(WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  EXPECT_EQ(code, 0u) << "the child's checks at " << dpi << " DPI failed (its output says which)";
  layout = ReadLayout(out);
  DeleteFileW(out.c_str());
  return layout;
}

TEST(DpiLayout, EveryWindowAtNinetySixAndOneFortyFour) {
  Layout normal = MeasureAt(96);
  Layout large = MeasureAt(144);
  EXPECT_EQ(normal.figures["dpi"], 96);
  EXPECT_EQ(large.figures["dpi"], 144);
  // The row images are small icons at either setting.
  EXPECT_EQ(normal.figures["row-image"], normal.figures["small-icon"]);
  EXPECT_EQ(large.figures["row-image"], large.figures["small-icon"]);
  EXPECT_GT(large.figures["row-image"], normal.figures["row-image"]);

  for (const char* name : {"main", "about", "prompt", "prompt-restoring"}) {
    SCOPED_TRACE(name);
    const Measured& a = normal.windows[name];
    const Measured& b = large.windows[name];
    ASSERT_GT(a.clientWidth, 0);
    // The window grows with the DPI, by its font's measure: not drawn at 96
    // and stretched, nor left at the size it has at 96.
    double grown = static_cast<double>(b.clientWidth) / a.clientWidth;
    EXPECT_GT(grown, 1.3);
    EXPECT_LT(grown, 1.7);
    ASSERT_EQ(a.controls.size(), b.controls.size());
    // Each control where it was, relative to its dialog, within 2 % of it.
    for (std::size_t i = 0; i < a.controls.size(); ++i) {
      SCOPED_TRACE("visible control " + std::to_string(i));
      EXPECT_NEAR(a.controls[i].left, b.controls[i].left, 0.02);
      EXPECT_NEAR(a.controls[i].top, b.controls[i].top, 0.02);
      EXPECT_NEAR(a.controls[i].right, b.controls[i].right, 0.02);
      EXPECT_NEAR(a.controls[i].bottom, b.controls[i].bottom, 0.02);
    }
  }
}

// The manifest this program shares with sorvan.exe (both link the same
// resources): system DPI awareness and every Windows from Vista to 10 and 11.
TEST(DpiLayout, ManifestDeclaresSystemDpiAndTheSupportedSystems) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  std::string manifest(bytes, SizeofResource(nullptr, found));
  for (const char* says :
       {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(manifest.find(says), std::string::npos) << says;
}

// The product icon's group holds an image drawn for each size the shell
// asks for between 96 and 144 DPI and for its large views.
TEST(DpiLayout, ProductIconCarriesEverySize) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_PRODUCT), MAKEINTRESOURCEW(14));
  ASSERT_NE(found, nullptr);
  const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  WORD count = *reinterpret_cast<const WORD*>(group + 4);
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const GroupEntry*>(group + 6 + i * sizeof(GroupEntry));
    sizes.push_back(entry->width == 0 ? 256 : entry->width);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 256}));
}

}  // namespace
