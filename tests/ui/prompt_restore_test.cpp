// The password prompt's restore on a worker, held at a step by its file
// layer: meanwhile the prompt answers, its field and "解密" are off and a
// second press or Enter starts nothing, and its bar and taskbar button show
// the bytes done; once let go it ends as it always did. Its cancels stop the
// restore and leave only the container.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "crypt/key.h"
#include "res/resource.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"
#include "tests/ui/recording_button.h"
#include "tests/ui/window_driver.h"
#include "tests/ui/worker_gate.h"
#include "ui/password_dlg.h"

namespace {

using Op = FaultyFileSystem::Op;

// Tells a hang from a busy machine.
const DWORD kHangMs = 60000;
// A delay no restore here lasts: its progress never shows.
const std::uint64_t kNeverMs = ~0ull / 2;

// Three buffers of data: a restore held at its second write has told its
// first buffer done and is partway.
const std::string& Content() {
  static const std::string content = PatternBytes((10u << 20) + 123);
  return content;
}

// The prompt as start-up shows it for x.p6k, its file layer with a gate in it.
class PromptScene {
 public:
  explicit PromptScene(std::uint64_t progressDelayMs = 0) : gate(kHangMs) {
    container = dir / "x.p6k";
    original = ContainerFromLayout(Content(), "txt", DeriveKey("pw"));
    WriteBytes(container, original);
    prompt.reset(new CPasswordDlg(container));
    prompt->SetFileSystem(fs);
    prompt->SetTaskbarButton(button);
    prompt->SetProgressDelay(progressDelayMs);
    if (prompt->Create()) window = prompt->GetSafeHwnd();
    ShowWindow(window, SW_SHOW);
    boxes.reset(new BoxWatcher(window));
    PumpIdle();
  }
  ~PromptScene() {
    gate.Open();
    boxes.reset();
    prompt.reset();
  }

  HWND item(int id) const { return GetDlgItem(window, id); }
  void PumpIdle() {
    while (prompt->PumpMessage()) {
    }
  }
  // Serves the prompt until done() holds; false after the hang bound.
  bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > kHangMs) return false;
      MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      while (!done() && prompt->PumpMessage()) {
      }
    }
    return true;
  }
  // The n-th call of op from now on holds the worker.
  void HoldAt(Op op, int n) {
    gate.Close();
    int base = fs.Count(op);
    fs.After(op, [this, op, base, n] {
      if (fs.Count(op) - base == n) gate.Hold();
    });
  }
  bool WaitAtGate() { return PumpUntil([this] { return gate.Reached(); }); }
  // As a user's click does, the button takes the focus first.
  void PressDecrypt(const std::wstring& password) {
    SetDlgItemTextW(window, IDC_PROMPT_PASSWORD, password.c_str());
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_PROMPT_DECRYPT)), TRUE);
    SendMessageW(item(IDC_PROMPT_DECRYPT), BM_CLICK, 0, 0);
  }
  // A key as the prompt's message loop takes it, sent to where the focus is.
  void PressKey(WPARAM key) {
    HWND focus = GetFocus() ? GetFocus() : window;
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    PumpIdle();
  }
  // Wine copies the window's drawing to the screen from its message loop a
  // little later; the wait only lets the picture settle.
  void Screenshot(const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 400) {
      PumpIdle();
      Sleep(10);
    }
    SaveScreenshot(window, SORVAN_SCREENSHOT_DIR, name);
  }
  bool Ended() const { return prompt->HasEnded(); }
  bool FieldAndDecryptOff() const {
    return !IsWindowEnabled(item(IDC_PROMPT_PASSWORD)) && !IsWindowEnabled(item(IDC_PROMPT_DECRYPT));
  }
  bool BarShown() const { return IsWindowVisible(item(IDC_PROMPT_PROGRESS)) != FALSE; }
  int BarPosition() const {
    return static_cast<int>(SendMessageW(item(IDC_PROMPT_PROGRESS), PBM_GETPOS, 0, 0));
  }
  std::vector<std::string> Names() const { return dir.Names(); }

  ScratchDir dir;
  std::string container;
  std::string original;
  FaultyFileSystem fs;
  WorkerGate gate;
  RecordingButton button;
  std::unique_ptr<CPasswordDlg> prompt;
  HWND window = nullptr;
  std::unique_ptr<BoxWatcher> boxes;
};

// A message sent from another thread, as another program's would be: true
// once the prompt's thread has answered it.
class SentFromElsewhere {
 public:
  explicit SentFromElsewhere(HWND window)
      : m_thread([this, window] {
          DWORD_PTR answer = 0;
          m_answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kHangMs, &answer) != 0;
          m_done = true;
        }) {}
  ~SentFromElsewhere() { m_thread.join(); }
  bool Done() const { return m_done; }
  bool Answered() const { return m_answered; }

 private:
  std::atomic<bool> m_done{false};
  std::atomic<bool> m_answered{false};
  std::thread m_thread;
};

TEST(PromptRestore, AHeldRestoreLeavesThePromptAnsweringAndShowsItsProgress) {
  PromptScene s;
  s.HoldAt(Op::Write, 2);
  s.PressDecrypt(L"pw");
  ASSERT_TRUE(s.WaitAtGate()) << "the restore never reached its second write";
  EXPECT_FALSE(s.Ended());

  // What is posted to the prompt, and what another thread sends it, is answered.
  PostMessageW(s.item(IDC_PROMPT_PASSWORD), EM_LIMITTEXT, 77, 0);
  {
    SentFromElsewhere sent(s.window);
    EXPECT_TRUE(s.PumpUntil([&] { return sent.Done(); }));
    EXPECT_TRUE(sent.Answered());
  }
  s.PumpIdle();
  EXPECT_EQ(SendMessageW(s.item(IDC_PROMPT_PASSWORD), EM_GETLIMITTEXT, 0, 0), 77);

  // At work: the field and "解密" off, the pointer busy over the prompt.
  EXPECT_TRUE(s.FieldAndDecryptOff());
  EXPECT_TRUE(IsWindowEnabled(s.item(IDCANCEL)));
  SendMessageW(s.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(s.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_APPSTARTING));

  // A second press, its command sent straight, and Enter start nothing and close nothing.
  SendMessageW(s.item(IDC_PROMPT_DECRYPT), BM_CLICK, 0, 0);
  SendMessageW(s.window, WM_COMMAND, MAKEWPARAM(IDC_PROMPT_DECRYPT, BN_CLICKED),
               reinterpret_cast<LPARAM>(s.item(IDC_PROMPT_DECRYPT)));
  s.PressKey(VK_RETURN);
  SendMessageW(s.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(s.item(IDOK)));
  s.PumpIdle();
  EXPECT_EQ(s.fs.Count(Op::Open), 1) << "a second restore started";
  EXPECT_FALSE(s.Ended()) << "the prompt closed during its restore";

  // The bytes of the first buffer, of the container's, in the bar and on the button.
  EXPECT_TRUE(s.PumpUntil([&] { return s.BarShown(); }));
  EXPECT_EQ(s.BarPosition(), static_cast<int>((4ull << 20) * 100 / s.original.size()));
  const std::string shown = std::to_string(4u << 20) + "/" + std::to_string(s.original.size());
  EXPECT_TRUE(s.PumpUntil([&] { return !s.button.calls.empty() && s.button.calls.back() == shown; }));
  s.Screenshot("prompt-restore-held");

  s.gate.Open();
  ASSERT_TRUE(s.PumpUntil([&] { return s.Ended(); }));
  EXPECT_EQ(s.prompt->Result(), CPasswordDlg::kDecrypted);
  std::vector<Box> boxes = s.boxes->Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"ok");
  EXPECT_EQ(boxes[0].text, L"文件解密成功");
  EXPECT_EQ(s.Names(), std::vector<std::string>{"x.txt"});
  EXPECT_TRUE(ReadBytes(s.dir / "x.txt") == Content()) << "the restored file differs";
  EXPECT_EQ(s.button.calls.back(), "none");
}

// Held once the container is open, before any outcome is known; progress
// that waits longer than the restore lasts never shows.
TEST(PromptRestore, AfterTheHoldItEndsAsItAlwaysDid) {
  struct Case {
    const char* name;
    std::wstring password;
    bool nameTaken;
    const wchar_t* caption;
    const wchar_t* text;
    bool ends;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"success", L"pw", false, L"ok", L"文件解密成功", true, {"x.txt"}},
      {"a wrong password", L"wrong", false, L"error", L"password is incorrect!", false, {"x.p6k"}},
      {"a taken name", L"pw", true, L"error", L"File already exists!", false, {"x.p6k", "x.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PromptScene s(kNeverMs);
    if (c.nameTaken) WriteBytes(s.dir / "x.txt", "another file");
    s.HoldAt(Op::Open, 1);
    s.PressDecrypt(c.password);
    ASSERT_TRUE(s.WaitAtGate());
    EXPECT_TRUE(s.FieldAndDecryptOff());
    s.PumpIdle();
    EXPECT_FALSE(s.BarShown());
    EXPECT_TRUE(s.boxes->Take().empty()) << "a box came before the restore's end";

    s.gate.Open();
    ASSERT_TRUE(s.PumpUntil([&] { return s.Ended() || !s.FieldAndDecryptOff(); }));
    s.PumpIdle();
    std::vector<Box> boxes = s.boxes->Take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(s.Ended(), c.ends);
    EXPECT_EQ(s.prompt->Result(), c.ends ? CPasswordDlg::kDecrypted : IDCANCEL);
    EXPECT_EQ(s.Names(), c.names);
    EXPECT_FALSE(s.BarShown());
    EXPECT_TRUE(s.button.calls.empty()) << "a moment's restore showed on the taskbar";
    if (c.ends) continue;
    // Another attempt may follow: as before the press, the focus on "解密".
    EXPECT_TRUE(ReadBytes(s.container) == s.original) << "the container changed";
    EXPECT_TRUE(IsWindowEnabled(s.item(IDC_PROMPT_PASSWORD)));
    EXPECT_TRUE(IsWindowEnabled(s.item(IDC_PROMPT_DECRYPT)));
    EXPECT_EQ(GetFocus(), s.item(IDC_PROMPT_DECRYPT));
  }
}

// Each way of leaving the prompt during a restore stops it at its next
// buffer: only the container is left, as it was, and the prompt ends as a
// cancel does, which start-up turns into exit code 0.
TEST(PromptRestore, LeavingDuringARestoreStopsItAndLeavesOnlyTheContainer) {
  struct Case {
    const char* name;
    std::function<void(PromptScene&)> leave;
  };
  const Case cases[] = {
      {"取消", [](PromptScene& s) { SendMessageW(s.item(IDCANCEL), BM_CLICK, 0, 0); }},
      {"the close box", [](PromptScene& s) { SendMessageW(s.window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](PromptScene& s) { SendMessageW(s.window, WM_CLOSE, 0, 0); }},
      {"Esc", [](PromptScene& s) { s.PressKey(VK_ESCAPE); }},
      {"the session's end asked",
       [](PromptScene& s) {
         EXPECT_EQ(SendMessageW(s.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
       }},
      {"the session's end", [](PromptScene& s) { SendMessageW(s.window, WM_ENDSESSION, TRUE, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PromptScene s;
    s.HoldAt(Op::Write, 2);
    s.PressDecrypt(L"pw");
    ASSERT_TRUE(s.WaitAtGate());
    // The restore goes on only once the prompt has asked it to stop.
    std::thread opener([&] {
      DWORD start = GetTickCount();
      while (IsWindowEnabled(s.item(IDCANCEL)) && GetTickCount() - start < kHangMs) Sleep(10);
      s.gate.Open();
    });
    c.leave(s);
    EXPECT_TRUE(s.PumpUntil([&] { return s.Ended(); }));
    opener.join();
    EXPECT_EQ(s.prompt->Result(), IDCANCEL);
    EXPECT_TRUE(s.boxes->Take().empty());
    EXPECT_EQ(s.Names(), std::vector<std::string>{"x.p6k"});
    EXPECT_TRUE(ReadBytes(s.container) == s.original) << "the container changed";
  }
}

}  // namespace
