#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "crypt/key.h"
#include "res/resource.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"
#include "tests/ui/worker_gate.h"
#include "ui/path_handoff.h"
#include "ui/run_controller.h"

// The window's run state over a run that follows another: the worker is held
// at one step of its run after another, and meanwhile the buttons stay off,
// the window answers what is posted to it, and the rows follow the run; at
// its end the buttons and the focus come back.

namespace {

using Op = FaultyFileSystem::Op;

// What tells a hang from a slow machine.
const DWORD kHangMs = WorkerGate::kHangMs;

// The calls made so far in the run being held, counted from its press.
struct RunCalls {
  int sizes;
  int opens;
};

// Where a run is held, in the order a run reaches them. here() is asked after
// every call of op the run makes, with the run's calls so far and its rows.
struct Hold {
  const char* name;
  Op op;
  std::function<bool(const RunCalls& calls, int rows)> here;
  bool rowsDoneBefore;  // a row has ended when the run reaches it
};

const Hold kHolds[] = {
    {"before the sizes", Op::Size, [](const RunCalls& c, int) { return c.sizes == 1; }, false},
    {"before the start", Op::Size, [](const RunCalls& c, int rows) { return c.sizes == rows; }, false},
    {"before the first row", Op::Open, [](const RunCalls& c, int) { return c.opens == 1; }, false},
    {"between rows", Op::Open, [](const RunCalls& c, int) { return c.opens == 2; }, true},
    // The last close of a run comes after its last row was opened.
    {"before the end", Op::Close, [](const RunCalls& c, int rows) { return c.opens == rows; }, true},
};

LRESULT HandOver(HWND window, const std::vector<std::string>& paths) {
  std::wstring data = path_handoff::Encode(paths);
  COPYDATASTRUCT message = {path_handoff::kMark, static_cast<DWORD>(data.size() * sizeof(wchar_t)),
                            &data[0]};
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message));
}

// One window, its file layer with a gate in it, and a folder of files.
class Scene {
 public:
  Scene() : ui([this](CSorvanDlg& dialog) { dialog.SetFileSystem(fs); }) {}

  // The next call at which here() holds, from now on, holds the worker.
  void HoldAt(Op op, std::function<bool(const RunCalls&, int)> here, int rows) {
    gate.Close();
    int sizeBase = fs.Count(Op::Size), openBase = fs.Count(Op::Open);
    m_armed = true;
    fs.After(op, [=] {
      RunCalls calls = {fs.Count(Op::Size) - sizeBase, fs.Count(Op::Open) - openBase};
      if (m_armed && here(calls, rows)) {
        m_armed = false;
        gate.Hold();
      }
    });
  }
  // Serves the window until the worker stands at the gate; false only when
  // it never comes, however slow the machine.
  bool WaitAtGate() {
    const DWORD start = GetTickCount();
    ui.PumpUntil([&] { return gate.Reached() || GetTickCount() - start > kHangMs; });
    return gate.Reached();
  }
  // As a user's click does, the button takes the focus first.
  void Press(int button) {
    SendMessageW(ui.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ui.item(button)), TRUE);
    ui.Click(button);
  }
  void RunToEnd(int button) {
    Press(button);
    ui.WaitForRun();
  }
  // Each file in a folder of its own, named as the file without its
  // extension: a folder's end ends a group of rows made durable together, so
  // each row ends before the next starts.
  std::string At(const std::string& name) {
    const std::string folder = dir / name.substr(0, name.find('.'));
    MakeFolder(folder);
    return folder + "\\" + name;
  }
  bool ButtonsOff() const {
    return !IsWindowEnabled(ui.item(IDC_ENCRYPT)) && !IsWindowEnabled(ui.item(IDC_DECRYPT));
  }

  ScratchDir dir;
  FaultyFileSystem fs;
  WorkerGate gate;
  WindowDriver ui;

 private:
  std::atomic<bool> m_armed{false};
};

// A window of the test's thread, which is the main window's thread, that
// runs a function when that thread takes a message posted to it: posted
// before a message is sent to the main window, it runs only once that
// message's handler serves the queue.
class WhenServed {
 public:
  WhenServed() {
    WNDCLASSW kind = {};
    kind.lpfnWndProc = &Proc;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"RunStateWhenServed";
    RegisterClassW(&kind);
    m_window = CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               kind.hInstance, nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~WhenServed() { DestroyWindow(m_window); }
  void Post(std::function<void()> act) {
    m_act = std::move(act);
    PostMessageW(m_window, WM_APP, 0, 0);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    auto* self = reinterpret_cast<WhenServed*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self->m_act) self->m_act();
    return 0;
  }
  HWND m_window;
  std::function<void()> m_act;
};

// Serves a held run as a user's session serves it, until the window's run
// timer has had its turn and a message posted meanwhile has been taken; the
// buttons are looked at between every two messages. True when all that came
// while the worker still stood at the gate: a window thread that waited for
// the worker would get there only once the gate gave up.
bool AnswersWhileHeld(Scene& scene, bool& buttonsStayedOff) {
  auto look = [&] { buttonsStayedOff = buttonsStayedOff && scene.ButtonsOff(); };
  scene.ui.PumpPastDueTimers(RunController::kFactsEveryMs, look);
  WhenServed probe;
  bool answered = false;
  probe.Post([&] { answered = true; });
  scene.ui.PumpUntil([&] {
    look();
    return answered;
  });
  return !scene.gate.GaveUp();
}

void WriteFiles(Scene& s, const std::vector<std::string>& names) {
  for (const std::string& name : names) WriteBytes(s.At(name), PatternBytes(3000));
}

void WriteContainers(Scene& s, const std::vector<std::string>& stems) {
  for (const std::string& stem : stems)
    WriteBytes(s.At(stem + ".p6k"), ContainerFromLayout(PatternBytes(3000), "txt", DeriveKey("pw")));
}

// What comes before the held run's press, and its button; what happens
// while it is held, and what the rows show once it ended.
struct Case {
  const char* name;
  std::function<void(Scene&)> before;
  int button;
  int rows;  // the rows the held run takes
  std::function<void(Scene&)> during;
  std::function<void(Scene&)> after;
};

// A folder that one step of a drop lists only a part of; a decryption leaves
// its empty files as they are, so every case shares it.
const int kManyFiles = 8000;
std::string ManyEmptyFiles() {
  static ScratchDir dir;
  static bool made = false;
  for (int i = 0; !made && i < kManyFiles; ++i) WriteBytes(dir / (std::to_string(i) + ".txt"), "");
  made = true;
  return dir.path().substr(0, dir.path().size() - 1);
}

void RowsAllEnded(Scene& s) {
  for (const Row& row : s.ui.Rows()) EXPECT_NE(row.status, kReady) << row.path;
}

const Case kCases[] = {
    {"encrypt, then decrypt",
     [](Scene& s) {
       WriteFiles(s, {"a.txt", "b.txt", "c.txt"});
       s.ui.Drop({s.At("c.txt"), s.At("b.txt"), s.At("a.txt")});
       s.RunToEnd(IDC_ENCRYPT);
     },
     IDC_DECRYPT, 3, nullptr,
     [](Scene& s) {
       EXPECT_EQ(s.ui.Rows(), (std::vector<Row>{{s.At("a.txt"), kSuccess, kTick},
                                                {s.At("b.txt"), kSuccess, kTick},
                                                {s.At("c.txt"), kSuccess, kTick}}));
     }},
    {"decrypt, then decrypt",
     [](Scene& s) {
       WriteContainers(s, {"a", "b", "c"});
       s.ui.Drop({s.At("c.p6k"), s.At("b.p6k"), s.At("a.p6k")});
       s.RunToEnd(IDC_DECRYPT);
     },
     IDC_DECRYPT, 3, nullptr,
     [](Scene& s) {
       EXPECT_EQ(s.ui.Rows(), (std::vector<Row>{{s.At("a.txt"), kNotEncrypted, kCross},
                                                {s.At("b.txt"), kNotEncrypted, kCross},
                                                {s.At("c.txt"), kNotEncrypted, kCross}}));
     }},
    // The window's only stop is its close; the driver's window outlives it.
    {"a run right after a stop",
     [](Scene& s) {
       WriteFiles(s, {"a.txt", "b.txt", "c.txt"});
       s.ui.Drop({s.At("c.txt"), s.At("b.txt"), s.At("a.txt")});
       s.HoldAt(Op::Open, [](const RunCalls& c, int) { return c.opens == 2; }, 3);
       s.Press(IDC_ENCRYPT);
       ASSERT_TRUE(s.WaitAtGate());
       // The worker goes on only once the close has asked it to stop: the
       // close serves the queue only after asking.
       WhenServed opener;
       opener.Post([&] { s.gate.Open(); });
       SendMessageW(s.ui.window(), WM_CLOSE, 0, 0);
       EXPECT_FALSE(s.gate.GaveUp());
       ASSERT_TRUE(s.ui.dialog().HasEnded());
       ShowWindow(s.ui.window(), SW_SHOWNA);
     },
     IDC_ENCRYPT, 3, nullptr,
     [](Scene& s) {
       EXPECT_EQ(s.ui.Rows(), (std::vector<Row>{{s.At("a.p6k"), kAlreadyEncrypted, kCross},
                                                {s.At("b.p6k"), kSuccess, kTick},
                                                {s.At("c.p6k"), kSuccess, kTick}}));
     }},
    // Enough files that the drop's first step leaves most of them to list.
    {"a run right after a drop still being listed",
     [](Scene& s) {
       WriteFiles(s, {"first.txt"});
       s.ui.Drop({s.At("first.txt")});
       s.RunToEnd(IDC_DECRYPT);
       // A step keeps to a clock that moves a millisecond at each read, so
       // it lists a few dozen files however fast the machine lists them.
       s.ui.dialog().SetListingClock([reads = DWORD(0)]() mutable { return reads++; });
       s.ui.PostDrop({ManyEmptyFiles()});
       // The drop takes its first step of listing at once, and the rest on a timer.
       s.ui.PumpUntil([&] { return s.ui.Rows().size() > 1; });
       ASSERT_TRUE(s.ui.dialog().IsFillingList());
     },
     IDC_DECRYPT, kManyFiles + 1, nullptr,
     [](Scene& s) {
       EXPECT_EQ(s.ui.Rows().size(), kManyFiles + 1u);
       RowsAllEnded(s);
     }},
    {"a run while paths are handed over",
     [](Scene& s) {
       WriteFiles(s, {"a.txt", "b.txt", "late.txt"});
       s.ui.Drop({s.At("b.txt"), s.At("a.txt")});
       s.RunToEnd(IDC_ENCRYPT);
     },
     IDC_DECRYPT, 2,
     [](Scene& s) {
       EXPECT_EQ(HandOver(s.ui.window(), {s.At("late.txt")}), TRUE);
       EXPECT_EQ(s.ui.Rows().size(), 2u) << "handed-over paths wait for the run's end";
     },
     [](Scene& s) {
       s.ui.WaitForList();
       EXPECT_EQ(s.ui.Rows(), (std::vector<Row>{{s.At("late.txt"), kReady, kDot},
                                                {s.At("a.txt"), kReady, kDot},
                                                {s.At("b.txt"), kReady, kDot}}));
       EXPECT_EQ(ReadBytes(s.At("a.txt")), PatternBytes(3000));
     }},
};

TEST(RunState, AHeldRunAfterAnotherKeepsItsButtonsOffAndTheWindowAnswering) {
  bool shot = false;
  for (const Case& c : kCases) {
    for (const Hold& hold : kHolds) {
      SCOPED_TRACE(std::string(c.name) + ", held " + hold.name);
      Scene s;
      s.ui.TypePasswords(L"pw");
      c.before(s);
      if (::testing::Test::HasFatalFailure()) return;
      s.HoldAt(hold.op, hold.here, c.rows);
      s.Press(c.button);
      ASSERT_TRUE(s.WaitAtGate()) << "the run never reached the step";

      bool buttonsStayedOff = s.ButtonsOff();
      EXPECT_TRUE(AnswersWhileHeld(s, buttonsStayedOff)) << "the window waited for the run";
      EXPECT_TRUE(buttonsStayedOff) << "the buttons came back during the run";
      EXPECT_EQ(s.ui.Rows()[0].status != kReady, hold.rowsDoneBefore) << "the rows follow the run";
      if (c.during) c.during(s);
      if (!shot && hold.rowsDoneBefore) {
        s.ui.Screenshot("run-held-after-another");
        shot = true;
      }

      s.gate.Open();
      s.ui.PumpUntil([&] { return !s.ButtonsOff(); });
      if (!c.during) RowsAllEnded(s);  // the buttons come back after the last row shows
      s.ui.PumpIdle();
      EXPECT_TRUE(IsWindowEnabled(s.ui.item(IDC_ENCRYPT)) && IsWindowEnabled(s.ui.item(IDC_DECRYPT)));
      EXPECT_EQ(GetFocus(), s.ui.item(c.button)) << "the focus is back on the button pressed";
      c.after(s);
    }
  }
}

}  // namespace
