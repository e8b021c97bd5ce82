// The window's side of a run: the facts a run tells become the messages the
// list and the bar receive, in the order the rows always took them, and the
// buttons go off and on together. The controls are real ones in a window of the test, and a subclass
// of the test's own writes down what reaches them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/command_buttons.h"
#include "ui/run_display.h"
#include "ui/win32/list_view.h"
#include "ui/win32/progress_bar.h"

namespace {

std::vector<std::string>* g_log = nullptr;

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '#';
  return narrow;
}

// What a control receives, as one line each, in order.
LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                        DWORD_PTR name) {
  const std::string control = reinterpret_cast<const char*>(name);
  switch (message) {
    case LVM_SETITEMTEXTW: {
      const LVITEMW* item = reinterpret_cast<const LVITEMW*>(lParam);
      g_log->push_back((item->iSubItem == 0 ? "path " : "status ") + std::to_string(wParam) + " " +
                       Narrow(item->pszText));
      break;
    }
    case LVM_SETITEMW: {
      const LVITEMW* item = reinterpret_cast<const LVITEMW*>(lParam);
      g_log->push_back("image " + std::to_string(item->iItem) + " " + std::to_string(item->iImage));
      break;
    }
    case LVM_ENSUREVISIBLE:
      g_log->push_back("visible " + std::to_string(wParam));
      break;
    case PBM_SETPOS:
      g_log->push_back("bar " + std::to_string(wParam));
      break;
    case WM_ENABLE:
      g_log->push_back((wParam ? "enable " : "disable ") + control);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// A window of the test with a list of one row, a bar and the two buttons.
class DisplayedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    m_window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                               nullptr, nullptr);
    HWND list = Child(WC_LISTVIEWW, LVS_REPORT, "list");
    HWND bar = Child(PROGRESS_CLASSW, 0, "bar");
    m_encrypt = Child(L"BUTTON", 0, "encrypt");
    m_decrypt = Child(L"BUTTON", 0, "decrypt");
    m_list.Attach(list);
    m_bar.Attach(bar);
    m_list.InsertColumn(0, L"file", 200);
    m_list.InsertColumn(1, L"status", 100);
    m_list.InsertItem(0, "row.txt", 1);
    m_bar.SetRange(0, 100);
    g_log = &log;
  }
  void TearDown() override {
    g_log = nullptr;
    m_list.Detach();
    m_bar.Detach();
    DestroyWindow(m_window);
  }
  HWND Child(const wchar_t* kind, DWORD style, const char* name) {
    HWND child = CreateWindowExW(0, kind, L"", WS_CHILD | style, 0, 0, 300, 200, m_window, nullptr,
                                 nullptr, nullptr);
    SetWindowSubclass(child, &Record, 1, reinterpret_cast<DWORD_PTR>(name));
    return child;
  }
  // The display keeps to the test's clock, which moves only when told.
  RunDisplay Display() { return RunDisplay(m_list, m_bar, nullptr, [this] { return m_now; }); }
  int Bar() const { return m_bar.GetPos(); }

  std::vector<std::string> log;
  DWORD m_now = 1000;
  HWND m_window = nullptr, m_encrypt = nullptr, m_decrypt = nullptr;
  ListView m_list;
  ProgressBar m_bar;
};

using Log = std::vector<std::string>;

// Both buttons go off and come back on together, the decrypt button first
// both times, whichever run it is; the display of a run's facts leaves them
// to their owner.
TEST_F(DisplayedRun, ButtonsOffAtTheStartAndOnAtTheEnd) {
  CommandButtons buttons;
  buttons.Bind(m_encrypt, m_decrypt);
  for (RunKind run : {RunKind::Encrypt, RunKind::Decrypt}) {
    log.clear();
    RunDisplay display = Display();
    buttons.Off();
    display.RunStarted(run);
    display.RunEnded(run);
    buttons.On();
    EXPECT_EQ(log, (Log{"disable decrypt", "disable encrypt", "enable decrypt", "enable encrypt"}));
    EXPECT_TRUE(display.RunHasEnded());
  }
}

// A row ends with the path, text and image of its outcome, in the order the
// rows always took them; a success takes the bar back to 0 and is scrolled
// into view at the window's next look; an output that stood before its
// source could not go shows as a success a moment before the failure
// replaces it; the bar otherwise stays where the row's bytes left it.
TEST_F(DisplayedRun, EachOutcomeInItsOrder) {
  struct Case {
    const char* what;
    RunKind run;
    RowResult result;
    Log expected;
  } cases[] = {
      {"success", RunKind::Encrypt, {Outcome::Done, "row.p6k", "row.p6k"},
       {"path 0 row.p6k", "status 0 ##", "image 0 0", "bar 0", "visible 0"}},
      {"cannot open", RunKind::Encrypt, {Outcome::OpenFailed, "row.txt", ""},
       {"image 0 2", "path 0 row.txt", "status 0 ##", "bar 41"}},
      {"recognised by its trailer", RunKind::Encrypt, {Outcome::RecognisedByTrailer, "row.txt", ""},
       {"image 0 1", "path 0 row.txt", "status 0 #####", "bar 41"}},
      {"too large to decrypt", RunKind::Decrypt, {Outcome::TooLarge, "row.p6k", ""},
       {"image 0 2", "path 0 row.p6k", "status 0 ##, ####1G", "bar 41"}},
      {"source not removable", RunKind::Encrypt, {Outcome::DeleteFailed, "row.txt", "row.p6k"},
       {"path 0 row.p6k", "status 0 ##", "image 0 0", "image 0 2", "path 0 row.txt", "status 0 ##",
        "bar 41", "visible 0"}},
      {"stopped", RunKind::Encrypt, {Outcome::Stopped, "row.txt", ""}, {"bar 41"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunDisplay display = Display();
    display.RunStarted(c.run);
    display.RowStarted(0, "row.txt");
    display.BytesDone(0, 42 * 10, 1000);  // C = 10: the bar has passed position 41
    log.clear();
    display.RowFinished(0, c.result);
    display.ShowPending();
    EXPECT_EQ(log, c.expected);
    EXPECT_EQ(Bar(), c.result.outcome == Outcome::Done ? 0 : 41);
  }
}

// Positions that pass faster than a person could see are not each set, and
// of a burst of successes only the last is scrolled to: at the window's next
// look the bar goes to the last position reached.
TEST_F(DisplayedRun, BarAndScrollingFollowAtAPersonsPace) {
  m_list.InsertItem(1, "second.txt", 1);
  RunDisplay display = Display();
  display.RunStarted(RunKind::Encrypt);
  display.RowStarted(0, "row.txt");
  log.clear();
  for (std::uint64_t done = 100; done <= 900; done += 100) display.BytesDone(0, done, 1000);
  EXPECT_TRUE(log.empty());
  display.ShowPending();
  display.ShowPending();
  EXPECT_EQ(log, Log{"bar 89"});
  log.clear();
  display.RowFinished(0, {Outcome::Done, "row.p6k", "row.p6k"});
  display.RowFinished(1, {Outcome::Done, "second.p6k", "second.p6k"});
  display.ShowPending();
  EXPECT_EQ(log.back(), "visible 1");
  EXPECT_EQ(std::count(log.begin(), log.end(), "visible 0"), 0);
}

// Scrolling repaints the whole list, so a success soon after the last scroll
// waits for a look once the interval has passed; the run's end scrolls to
// it at once.
TEST_F(DisplayedRun, TheListFollowsAtMostEveryIntervalAndEndsOnTheLastSuccess) {
  m_list.InsertItem(1, "second.txt", 1);
  m_list.InsertItem(2, "third.txt", 1);
  RunDisplay display = Display();
  display.RunStarted(RunKind::Encrypt);
  display.RowFinished(0, {Outcome::Done, "row.p6k", "row.p6k"});
  display.ShowPending();
  EXPECT_EQ(std::count(log.begin(), log.end(), "visible 0"), 1);
  display.RowFinished(1, {Outcome::Done, "second.p6k", "second.p6k"});
  m_now += RunDisplay::kScrollEveryMs - 1;
  display.ShowPending();
  EXPECT_EQ(std::count(log.begin(), log.end(), "visible 1"), 0);
  m_now += 1;
  display.ShowPending();
  EXPECT_EQ(std::count(log.begin(), log.end(), "visible 1"), 1);
  display.RowFinished(2, {Outcome::Done, "third.p6k", "third.p6k"});
  display.ShowPending();
  EXPECT_EQ(std::count(log.begin(), log.end(), "visible 2"), 0);
  display.RunEnded(RunKind::Encrypt);
  EXPECT_EQ(log.back(), "visible 2");
}

}  // namespace
