#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ui/fake_shell.h"
#include "res/resource.h"
#include "tests/support/screenshot.h"
#include "site.h"
#include "ui/sorvan_dlg.h"
#include "tests/support/window_text.h"

namespace {

// The resource script's UTF-8 texts, as the window shows them.
std::wstring Utf16(const char* utf8) {
  wchar_t text[512] = L"";
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 512);
  return text;
}

struct Seen {
  std::wstring caption;
  std::vector<std::wstring> visibleTexts;
  std::wstring linkText;
  RECT frame{};
  bool ownerEnabled = true;
};

// Runs steps inside the About box's own modal loop, one per tick of a
// thread timer, so that they see the box from its own thread; a step that
// answers false runs again at the next tick. The last step dismisses it.
class AboutVisitor {
 public:
  using Step = std::function<bool(HWND box)>;
  AboutVisitor(HWND owner, std::vector<Step> steps) : m_owner(owner), m_steps(std::move(steps)) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 10, &AboutVisitor::Tick);
  }
  ~AboutVisitor() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  size_t StepsDone() const { return m_next; }

 private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM self) {
    auto* visitor = reinterpret_cast<AboutVisitor*>(self);
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && GetWindow(window, GW_OWNER) == visitor->m_owner &&
        IsWindowVisible(window) && GetDlgItem(window, IDC_ABOUT_SITE_LINK)) {
      visitor->m_box = window;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    AboutVisitor* self = s_current;
    if (!self || self->m_next == self->m_steps.size()) return;
    self->m_box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(self));
    if (self->m_box && self->m_steps[self->m_next](self->m_box)) ++self->m_next;
  }

  static AboutVisitor* s_current;
  HWND m_owner;
  std::vector<Step> m_steps;
  size_t m_next = 0;
  HWND m_box = nullptr;
  UINT_PTR m_timer = 0;
};
AboutVisitor* AboutVisitor::s_current = nullptr;

// The real main window without the message-box watcher, which would take
// the About box for a message box.
class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    dialog.SetShellAccess(shell);
    ASSERT_TRUE(dialog.Create());
    window = dialog.GetSafeHwnd();
    while (dialog.PumpMessage()) {
    }
  }

  AboutVisitor::Step Record(Seen& seen) {
    return [this, &seen](HWND box) {
      seen.caption = WindowText(box);
      GetWindowRect(box, &seen.frame);
      seen.ownerEnabled = IsWindowEnabled(window) != FALSE;
      seen.linkText = WindowText(GetDlgItem(box, IDC_ABOUT_SITE_LINK));
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (IsWindowVisible(child) && !icon) seen.visibleTexts.push_back(WindowText(child));
      }
      return true;
    };
  }
  static AboutVisitor::Step PressOK() {
    return [](HWND box) { return PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0) != FALSE; };
  }
  static AboutVisitor::Step PressEscape() {
    return [](HWND box) {
      PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0000001);
      return true;
    };
  }

  FakeShell shell;
  CSorvanDlg dialog;
  HWND window = nullptr;
};

TEST_F(AboutBox, OpensFromTheButtonAndSystemCommandsAndClosesWithOKOrEscape) {
  struct Case {
    const char* name;
    std::function<void(HWND)> open;
    bool withEscape;
  } cases[] = {
      {"button 1008, OK", [](HWND w) { SendMessageW(GetDlgItem(w, IDC_ABOUT), BM_CLICK, 0, 0); }, false},
      {"button 1008, Escape", [](HWND w) { SendMessageW(GetDlgItem(w, IDC_ABOUT), BM_CLICK, 0, 0); }, true},
      {"system command 16, OK", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, 16, 0); }, false},
      {"system command 31, Escape", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, 31, 0); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Seen seen;
    AboutVisitor visitor(window, {Record(seen), c.withEscape ? PressEscape() : PressOK()});
    c.open(window);
    ASSERT_EQ(visitor.StepsDone(), 2u) << "the box opened and was dismissed";
    EXPECT_TRUE(IsWindowEnabled(window)) << "the owner is enabled again";
    EXPECT_FALSE(seen.ownerEnabled) << "the owner is disabled while the box is open";
    EXPECT_EQ(seen.caption, L"Tavrel文件加密");
    std::vector<std::wstring> expected = {L"版本:  7.0", L"确定", L"产品: Tavrel文件加密", L"塔维尔: ",
                                          Utf16(SORVAN_SITE_URL), Utf16(SORVAN_LEGAL_TEXT)};
    EXPECT_EQ(seen.visibleTexts, expected);

    RECT main;
    GetWindowRect(window, &main);
    EXPECT_NEAR((seen.frame.left + seen.frame.right) / 2, (main.left + main.right) / 2, 1);
    EXPECT_NEAR((seen.frame.top + seen.frame.bottom) / 2, (main.top + main.bottom) / 2, 1);
  }
}

// Each opening builds a fresh box: the link's visited colour starts over,
// and a click opens the maker's site while the box stays open.
TEST_F(AboutBox, LinkOpensTheSiteAndTheBoxStaysOpen) {
  bool visitedBefore = true, visitedAfter = false, stillOpen = false;
  auto click = [](HWND box) {
    HWND link = GetDlgItem(box, IDC_ABOUT_SITE_LINK);
    PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    return true;
  };
  // Wine copies a window's drawing to the screen from its message loop a
  // little later, so the picture is taken once the loop has idled a while.
  DWORD shown = 0;
  auto screenshot = [&shown](HWND box) {
    if (!shown) shown = GetTickCount();
    if (GetTickCount() - shown < 300) return false;
    SaveScreenshot(box, SORVAN_SCREENSHOT_DIR, "about");
    return true;
  };
  auto visited = [](HWND box) {
    auto* link = static_cast<CLinkLabel*>(Control::FromHandle(GetDlgItem(box, IDC_ABOUT_SITE_LINK)));
    return link && link->IsVisited();
  };
  for (int opening = 0; opening < 2; ++opening) {
    shown = 0;
    AboutVisitor visitor(window, {[&](HWND box) { return visitedBefore = visited(box), true; }, click,
                                  [&](HWND box) {
                                    visitedAfter = visited(box);
                                    stillOpen = IsWindowVisible(box) != FALSE;
                                    return true;
                                  },
                                  screenshot, PressOK()});
    SendMessageW(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_EQ(visitor.StepsDone(), 5u);
    EXPECT_FALSE(visitedBefore);
    EXPECT_TRUE(visitedAfter);
    EXPECT_TRUE(stillOpen);
  }
  ASSERT_EQ(shell.executed.size(), 2u);
  EXPECT_EQ(shell.executed[1].file, SORVAN_SITE_URL);
}

}  // namespace
