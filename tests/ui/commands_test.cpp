#include <gtest/gtest.h>
#include <process.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "res/resource.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"
#include "ui/path_handoff.h"

namespace {

const std::wstring kNotice = L"提示";

struct Command {
  int button;
  const wchar_t* emptyList;
  const wchar_t* cannotStart;
};
const Command kCommands[] = {
    {IDC_ENCRYPT, L"请将待加密的文件或文件夹拖入列表框", L"加密失败"},
    {IDC_DECRYPT, L"请将待解密的文件或文件夹拖入列表框", L"解密失败"},
};

// Each refusal of both commands, in the order the checks are made: an empty
// list before the password, and the rows reset before the password checks.
TEST(Commands, RefuseWithTheirMessagesInOrder) {
  struct Case {
    bool rows;
    const wchar_t* password;
    const wchar_t* confirm;
    const wchar_t* message;  // null: the command's empty-list text
  } cases[] = {
      {false, L"", L"", nullptr},
      {false, L"pw", L"pw", nullptr},
      {true, L"", L"", L"没有输入密码"},
      {true, L"", L"pw", L"没有输入密码"},
      {true, L"pw", L"", L"请再次输入密码"},
      {true, L"Secret", L"secret", L"密码验证错误，请重新输入密码"},
      {true, L"secret", L"secret ", L"密码验证错误，请重新输入密码"},
  };
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WriteBytes(dir / "b.txt", "b");
  for (const Command& command : kCommands) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(command.button) + " " + std::to_string(&c - cases));
      WindowDriver ui;
      if (c.rows) {
        ui.Drop({dir / "a.txt", dir / "b.txt"});
        ui.SetRowLook(1, kCross, kFailed);
      }
      ui.Type(IDC_PASSWORD, c.password);
      ui.Type(IDC_CONFIRM, c.confirm);
      std::vector<Box> boxes = ui.Click(command.button);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].caption, kNotice);
      EXPECT_EQ(boxes[0].text, c.message ? c.message : command.emptyList);
      PBRANGE range = {};
      SendMessageW(ui.item(IDC_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
      EXPECT_EQ(range.iLow, 0);
      EXPECT_EQ(range.iHigh, 100);
      for (const Row& row : ui.Rows()) {
        EXPECT_EQ(row.status, kReady);
        EXPECT_EQ(row.image, kDot);
      }
      EXPECT_TRUE(IsWindowEnabled(ui.item(command.button)));
      wchar_t kept[16];
      GetDlgItemTextW(ui.window(), IDC_CONFIRM, kept, 16);
      EXPECT_EQ(std::wstring(kept), c.confirm) << "the entries keep their text";
    }
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// A password of double-byte characters typed alike twice passes the checks
// and keys the run with its code page 936 bytes.
TEST(Commands, DoubleBytePasswordStartsTheRun) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "content");
  WindowDriver ui;
  ui.Drop({dir / "a.txt"});
  ui.TypePasswords(L"密码");
  EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
  ui.WaitForRun();
  EXPECT_EQ(ui.Rows()[0].status, kSuccess);
  EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout("content", "txt", DeriveKey("\xC3\xDC\xC2\xEB")));
}

// The command buttons of the window under test, and whether both were off
// when it asked for its worker.
HWND g_encryptButton = nullptr, g_decryptButton = nullptr;
bool g_buttonsOffAtStart = false;

HANDLE CannotStart(WorkerEntry, void*) {
  g_buttonsOffAtStart = !IsWindowEnabled(g_encryptButton) && !IsWindowEnabled(g_decryptButton);
  return nullptr;
}

TEST(Commands, WorkerThatCannotStartLeavesTheWindowReady) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  for (const Command& command : kCommands) {
    WindowDriver ui;
    ui.dialog().SetWorkerStarter(&CannotStart);
    ui.Drop({dir / "a.txt"});
    ui.TypePasswords(L"pw");
    g_encryptButton = ui.item(IDC_ENCRYPT);
    g_decryptButton = ui.item(IDC_DECRYPT);
    g_buttonsOffAtStart = false;
    std::vector<Box> boxes = ui.Click(command.button);
    EXPECT_TRUE(g_buttonsOffAtStart) << "both buttons go off before the worker exists";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kNotice);
    EXPECT_EQ(boxes[0].text, command.cannotStart);
    EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_ENCRYPT)));
    EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_DECRYPT)));
    EXPECT_EQ(ui.Rows(), (std::vector<Row>{{dir / "a.txt", kReady, kDot}}));
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.txt"});
}

// Stand-ins for the worker, so a test decides when a run ends. A stand-in
// ends as a real run does: telling the run's end is its last act.
struct StandInRuns {
  static std::atomic<int> starts;
  static HANDLE release;      // a stand-in ends once this is set
  static HANDLE lastThread;   // the test's own handle of the latest stand-in

  static unsigned __stdcall Run(void* job) {
    WaitForSingleObject(release, 30000);
    RunJob& run = *static_cast<RunJob*>(job);
    run.listener->RunEnded(run.kind);
    Sleep(200);  // the thread outlives its last act by a moment
    return 1;
  }
  static HANDLE Start(WorkerEntry, void* job) {
    ++starts;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, job, 0, nullptr));
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &lastThread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return thread;
  }
};
std::atomic<int> StandInRuns::starts{0};
HANDLE StandInRuns::release = nullptr;
HANDLE StandInRuns::lastThread = nullptr;

class CommandsDuringARun : public ::testing::Test {
 protected:
  void SetUp() override {
    StandInRuns::starts = 0;
    StandInRuns::release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WriteBytes(dir / "a.txt", "a");
    ui.reset(new WindowDriver);
    ui->dialog().SetWorkerStarter(&StandInRuns::Start);
    ui->Drop({dir / "a.txt"});
    ui->TypePasswords(L"pw");
    ui->Click(IDC_ENCRYPT);
  }
  void TearDown() override {
    SetEvent(StandInRuns::release);
    ui.reset();
    CloseHandle(StandInRuns::release);
    CloseHandle(StandInRuns::lastThread);
  }
  ScratchDir dir;
  std::unique_ptr<WindowDriver> ui;
};

// A click that lands once the buttons are enabled again, while the worker's
// thread is still ending, starts the next run instead of being dropped.
TEST_F(CommandsDuringARun, AClickAfterTheButtonsCameBackStartsTheNextRun) {
  ASSERT_EQ(StandInRuns::starts, 1);
  SetEvent(StandInRuns::release);
  ui->PumpUntil([&] { return IsWindowEnabled(ui->item(IDC_ENCRYPT)) != FALSE; });
  ui->Click(IDC_ENCRYPT);
  EXPECT_EQ(StandInRuns::starts, 2);
}

LRESULT HandOver(HWND window, ULONG_PTR mark, std::wstring data) {
  COPYDATASTRUCT message = {mark, static_cast<DWORD>(data.size() * sizeof(wchar_t)), &data[0]};
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message));
}

// Paths another process hands over during a run wait for its end, then come
// on top as a drop puts them; a drop meanwhile is still refused.
TEST_F(CommandsDuringARun, PathsHandedOverDuringARunAreAddedWhenItEnds) {
  WriteBytes(dir / "b.txt", "b");
  WriteBytes(dir / "c.txt", "c");
  EXPECT_EQ(HandOver(ui->window(), path_handoff::kMark, path_handoff::Encode({dir / "b.txt"})), TRUE);
  ui->PostDrop({dir / "c.txt"});
  ui->PumpIdle();
  EXPECT_EQ(ui->Rows().size(), 1u);
  SetEvent(StandInRuns::release);
  ui->WaitForRun();
  ui->WaitForList();
  std::vector<Row> rows = ui->Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].path, dir / "b.txt");
  EXPECT_EQ(rows[0].status, kReady);
}

// Only whole messages of ours are taken.
TEST(HandedOverPaths, OtherSendersAndCutMessagesAreRefused) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WindowDriver ui;
  std::wstring whole = path_handoff::Encode({dir / "a.txt"});
  struct Case { ULONG_PTR mark; std::wstring data; LRESULT taken; } cases[] = {
      {path_handoff::kMark + 1, whole, FALSE},
      {path_handoff::kMark, whole.substr(0, whole.size() - 1), FALSE},  // no closing NUL
      {path_handoff::kMark, whole, TRUE},
  };
  for (const Case& c : cases) EXPECT_EQ(HandOver(ui.window(), c.mark, c.data), c.taken);
  ui.WaitForList();
  EXPECT_EQ(ui.Rows().size(), 1u);
}

// The click is taken from the queue inside the close's wait for the worker,
// just after the worker ended: the window still closes, and no run starts.
HANDLE g_hookedRun = nullptr;
LRESULT CALLBACK EndTheRunBeforeTheClick(int code, WPARAM removing, LPARAM message) {
  const MSG* msg = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removing == PM_REMOVE && msg->message == WM_COMMAND &&
      LOWORD(msg->wParam) == IDC_ENCRYPT) {
    SetEvent(StandInRuns::release);
    WaitServingSentMessages(g_hookedRun);  // the run sends its last act to this thread
  }
  return CallNextHookEx(nullptr, code, removing, message);
}

TEST_F(CommandsDuringARun, ClosingWhileAClickIsHandledInsideTheWaitDoesNotHang) {
  ASSERT_EQ(StandInRuns::starts, 1);
  g_hookedRun = StandInRuns::lastThread;
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, &EndTheRunBeforeTheClick, nullptr,
                                 GetCurrentThreadId());
  // A hang is reported and ends the test program instead of stalling the suite.
  HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread watchdog([closed] {
    if (WaitForSingleObject(closed, 120000) == WAIT_OBJECT_0) return;
    std::fprintf(stderr, "the window did not close: the close's wait hangs\n");
    ExitProcess(1);
  });
  PostMessageW(ui->window(), WM_CLOSE, 0, 0);
  PostMessageW(ui->window(), WM_COMMAND, MAKEWPARAM(IDC_ENCRYPT, BN_CLICKED),
               reinterpret_cast<LPARAM>(ui->item(IDC_ENCRYPT)));
  ui->PumpUntil([&] { return ui->dialog().HasEnded(); });
  SetEvent(closed);
  watchdog.join();
  UnhookWindowsHookEx(hook);
  CloseHandle(closed);
  EXPECT_EQ(StandInRuns::starts, 1);
}

}  // namespace
