#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ui/address_opening.h"
#include "tests/ui/fake_shell.h"
#include "ui/link_label.h"
#include "res/resource.h"
#include "site.h"
#include "ui/win32/resource_text.h"
#include "tests/ui/window_driver.h"

namespace {

const COLORREF kLinkColour = RGB(0, 0, 238), kVisitedColour = RGB(85, 26, 139),
               kHoverColour = RGB(255, 0, 0);

// A browser registered for ".htm" files with the given open command.
FakeShell WithBrowser(const std::string& command) {
  FakeShell shell;
  shell.executeResult = SE_ERR_NOASSOC;
  shell.classes[".htm"].value = "htmlfile";
  shell.classes["htmlfile\\shell\\open\\command"].value = command;
  return shell;
}

TEST(AddressOpening, ShellSuccessIsTheResultAndNothingElseRuns) {
  FakeShell shell;
  EXPECT_EQ(OpenAddress(shell, "http://127.0.0.1/", SW_SHOW), 42);
  ASSERT_EQ(shell.executed.size(), 1u);
  EXPECT_EQ(shell.executed[0].verb, "open");
  EXPECT_EQ(shell.executed[0].file, "http://127.0.0.1/");
  EXPECT_EQ(shell.executed[0].show, SW_SHOW);
  EXPECT_EQ(shell.openKeys, 0);
  EXPECT_TRUE(shell.commandLines.empty());
}

// When the shell fails, the browser registered for ".htm" runs with the
// target after its command, cut at the placeholder.
TEST(AddressOpening, FallbackCommandLineFromTheRegisteredOpenCommand) {
  const std::string target = "http://127.0.0.1/";
  struct Case {
    const char* name;
    std::string registered;
    std::string expected;
  } cases[] = {
      {"quoted placeholder, then switches", "\"C:\\Web\\browse.exe\" \"%1\" -nohome -new",
       "\"C:\\Web\\browse.exe\"  " + target},
      {"bare placeholder", "C:\\Web\\browse.exe %1 /s", "C:\\Web\\browse.exe  " + target},
      {"no placeholder", "C:\\Web\\browse.exe -open", "C:\\Web\\browse.exe -open " + target},
      {"a quote before a bare placeholder", "\"C:\\Web\\b.exe\" %1", "\"C:\\Web\\b.exe\"  " + target},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell = WithBrowser(c.registered);
    EXPECT_EQ(OpenAddress(shell, target, SW_SHOW), 33) << "WinExec's result";
    ASSERT_EQ(shell.commandLines.size(), 1u);
    EXPECT_EQ(shell.commandLines[0], c.expected);
    EXPECT_EQ(shell.openKeys, 0) << "every key is closed";
  }
}

// The command line lives in 520 characters with its terminator; one that
// would not fit is not run and the shell's code stands.
TEST(AddressOpening, CommandLineThatWouldNotFitIsNotRun) {
  const std::string registered = "C:\\" + std::string(197, 'b');  // 200 bytes
  for (size_t extra : {0, 1}) {
    SCOPED_TRACE(extra);
    // The command, one space and the target: 519 characters, then 520.
    size_t targetSize = kOpenBufferSize - 1 - (registered.size() + 1) + extra;
    std::string target = "http://127.0.0.1/";
    target.resize(targetSize, 'x');
    FakeShell shell = WithBrowser(registered);
    INT_PTR code = OpenAddress(shell, target, SW_SHOW);
    if (extra == 0) {
      EXPECT_EQ(code, 33);
      ASSERT_EQ(shell.commandLines.size(), 1u);
      EXPECT_EQ(shell.commandLines[0], registered + " " + target);
    } else {
      EXPECT_EQ(code, SE_ERR_NOASSOC);
      EXPECT_TRUE(shell.commandLines.empty());
    }
  }
}

TEST(AddressOpening, UnreadableOrMissingKeysLeaveTheShellsCode) {
  struct Case {
    const char* name;
    bool htmOpens, htmReadable, commandOpens, commandReadable;
  } cases[] = {
      {".htm not registered", false, true, true, true},
      {".htm opens but cannot be read", true, false, true, true},
      {"no open command", true, true, false, true},
      {"open command cannot be read", true, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell = WithBrowser("C:\\Web\\browse.exe \"%1\"");
    if (!c.htmOpens) shell.classes.erase(".htm");
    else shell.classes[".htm"].readable = c.htmReadable;
    if (!c.commandOpens) shell.classes.erase("htmlfile\\shell\\open\\command");
    else shell.classes["htmlfile\\shell\\open\\command"].readable = c.commandReadable;
    EXPECT_EQ(OpenAddress(shell, "http://127.0.0.1/", SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_TRUE(shell.commandLines.empty());
    EXPECT_EQ(shell.openKeys, 0);
  }
}

TEST(AddressOpening, ReadClassesDefaultMayWriteIntoItsOwnSubkeyName) {
  FakeShell shell;
  shell.classes["htmlfile"].value = "the value";
  char buffer[kOpenBufferSize] = "htmlfile";
  EXPECT_EQ(ReadClassesDefault(shell, HKEY_CLASSES_ROOT, buffer, buffer), ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "the value");
  char untouched[kOpenBufferSize] = "kept";
  EXPECT_EQ(ReadClassesDefault(shell, HKEY_CLASSES_ROOT, "missing", untouched), ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(untouched, "kept");
}

// The footer label of the real main window, with the shell of the test.
class FooterLabel : public ::testing::Test {
 protected:
  void SetUp() override {
    ui.dialog().SetShellAccess(shell);
    label = ui.item(IDC_SITE_LINK);
    RECT r;
    GetWindowRect(label, &r);
    inside = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    outside = {r.left - 40, r.top - 40};
  }
  // The footer label as the window holds it: the object attached to it.
  CLinkLabel& link() { return *static_cast<CLinkLabel*>(Control::FromHandle(ui.item(IDC_SITE_LINK))); }
  COLORREF Colour() {
    HDC dc = CreateCompatibleDC(nullptr);
    brush = SendMessageW(ui.window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(label));
    transparent = GetBkMode(dc) == TRANSPARENT;
    COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  }
  bool Underlined() {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfUnderline != 0;
  }
  // A tick of the hover timer, taken with the pointer at a place.
  void TickAt(POINT at) {
    SetCursorPos(at.x, at.y);
    PostMessageW(label, WM_TIMER, 100, 0);
    ui.PumpIdle();
  }
  void MoveOver() {
    SetCursorPos(inside.x, inside.y);
    POINT client = inside;
    ScreenToClient(label, &client);
    SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
  }
  std::vector<Box> ClickLabel() {
    POINT client = {2, 2};
    PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    ui.PumpIdle();
    return ui.TakeBoxes();
  }

  FakeShell shell;
  WindowDriver ui;
  HWND label = nullptr;
  POINT inside{}, outside{};
  LRESULT brush = 0;
  bool transparent = false;
};

TEST_F(FooterLabel, AttachedWithItsTextAsTargetTooltipAndHandCursor) {
  std::string expected = SORVAN_SITE_URL;
  EXPECT_EQ(link().GetTarget(), expected);
  EXPECT_EQ(GetItemTextA(ui.window(), IDC_SITE_LINK), expected) << "no leading space";
  EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_NOTIFY);

  HWND tip = link().GetToolTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  char text[128] = "";
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = label;
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(std::string(text), expected);

  EXPECT_EQ(link().GetHandCursor(), LoadCursorA(nullptr, IDC_HAND));
  EXPECT_EQ(SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), HTCLIENT), TRUE);
}

TEST_F(FooterLabel, HoverTurnsRedAndUnderlinedUntilATickFindsThePointerOutside) {
  EXPECT_EQ(Colour(), kLinkColour);
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  EXPECT_TRUE(transparent);
  EXPECT_FALSE(Underlined());

  MoveOver();
  EXPECT_TRUE(link().IsHovering());
  EXPECT_EQ(Colour(), kHoverColour);
  EXPECT_TRUE(Underlined());
  ui.Screenshot("main-footer");

  TickAt(inside);
  EXPECT_TRUE(link().IsHovering()) << "the pointer is still over the label";
  TickAt(outside);
  EXPECT_FALSE(link().IsHovering());
  EXPECT_EQ(Colour(), kLinkColour);
  EXPECT_FALSE(Underlined());
}

TEST_F(FooterLabel, SuccessfulOpenTurnsVisitedForGood) {
  EXPECT_TRUE(ClickLabel().empty());
  ASSERT_EQ(shell.executed.size(), 1u);
  EXPECT_EQ(shell.executed[0].file, SORVAN_SITE_URL);
  EXPECT_TRUE(link().IsVisited());
  EXPECT_EQ(Colour(), kVisitedColour);

  shell.executeResult = SE_ERR_FNF;
  EXPECT_EQ(ClickLabel().size(), 1u);
  EXPECT_TRUE(link().IsVisited()) << "a failed open keeps the visited colour";
  EXPECT_EQ(Colour(), kVisitedColour);
  EXPECT_EQ(shell.executed.size(), 2u) << "every click opens again";
}

TEST_F(FooterLabel, FailedOpenNamesTheFailure) {
  struct Case {
    INT_PTR code;
    const wchar_t* text;
  } cases[] = {
      {0, L"The operating system is out\nof memory or resources."},
      {2, L"The specified file was not found."},
      {3, L"The specified path was not found."},
      {5, L"The operating system denied\naccess to the specified file."},
      {8, L"There was not enough memory to complete the operation."},
      {11, L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, L"A sharing violation occurred. "},
      {27, L"The filename association is\nincomplete or invalid."},
      {28, L"The DDE transaction could not\nbe completed because the request timed out."},
      {29, L"The DDE transaction failed."},
      {30, L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
      {31, L"There is no application associated\nwith the given filename extension."},
      {32, L"The specified dynamic-link library was not found."},
      {4, L"Unknown Error (4) occurred."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    shell.executeResult = c.code;
    std::vector<Box> boxes = ClickLabel();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, ApplicationTitle());
    EXPECT_EQ(boxes[0].text, std::wstring(L"Unable to open hyperlink:\n\n") + c.text);
  }
  EXPECT_FALSE(link().IsVisited());
  EXPECT_EQ(Colour(), kLinkColour);
}

// The registered browser's own result decides, as the shell's would.
TEST_F(FooterLabel, FallbackBrowserResultIsJudgedLikeTheShells) {
  shell = WithBrowser("C:\\Web\\browse.exe \"%1\"");
  shell.execResult = ERROR_FILE_NOT_FOUND;
  std::vector<Box> boxes = ClickLabel();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Unable to open hyperlink:\n\nThe specified file was not found.");
  ASSERT_EQ(shell.commandLines.size(), 1u);
  EXPECT_EQ(shell.commandLines[0], std::string("C:\\Web\\browse.exe  ") + SORVAN_SITE_URL);

  shell.commandLines.clear();
  shell.execResult = 33;
  EXPECT_TRUE(ClickLabel().empty());
  EXPECT_TRUE(link().IsVisited());
}

}  // namespace
