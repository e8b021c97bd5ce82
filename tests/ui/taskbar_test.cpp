// What the taskbar button shows of a run: the share of its bytes at each
// look of the window, no progress at its end, a flash after a long run ended
// in the background; and the system's own button under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/recording_button.h"
#include "tests/ui/window_driver.h"
#include "ui/taskbar_progress.h"

namespace {

struct Clock {
  std::uint64_t now = 1000;
};

// Rows of 100, 0 and 300 bytes; the second ends without moving a byte (it
// failed), the third's last count holds a container's trailer.
TEST(TaskbarProgress, ShowsTheShareOfTheRunsBytesAtEachLook) {
  RecordingButton button;
  Clock clock;
  TaskbarProgress progress(button, [] { return true; }, [&] { return clock.now; });
  progress.RowsSized({100, 0, 300});
  progress.RunStarted();
  progress.BytesDone(0, 40);
  progress.ShowPending();
  progress.BytesDone(0, 100);
  progress.RowFinished(0);
  progress.ShowPending();
  progress.RowFinished(1);
  progress.ShowPending();  // nothing moved: nothing set
  progress.BytesDone(2, 150);
  progress.ShowPending();
  progress.BytesDone(2, 321);
  progress.ShowPending();
  progress.RowFinished(2);
  progress.ShowPending();
  progress.RunEnded();
  EXPECT_EQ(button.calls,
            (std::vector<std::string>{"0/400", "40/400", "100/400", "250/400", "400/400", "none"}));
}

TEST(TaskbarProgress, FlashesOnlyAfterALongRunEndedInTheBackground) {
  struct Case {
    std::uint64_t lastedMs;
    bool inForeground;
    bool flashes;
  } cases[] = {
      {TaskbarProgress::kFlashAfterMs, false, true},
      {TaskbarProgress::kFlashAfterMs - 1, false, false},
      {60000, true, false},
  };
  for (const Case& c : cases) {
    RecordingButton button;
    Clock clock;
    TaskbarProgress progress(button, [&] { return c.inForeground; }, [&] { return clock.now; });
    progress.RowsSized({10});
    progress.RunStarted();
    clock.now += c.lastedMs;
    progress.RunEnded();
    std::vector<std::string> expected = {"0/10", "none"};
    if (c.flashes) expected.push_back("flash");
    EXPECT_EQ(button.calls, expected) << c.lastedMs << " ms, foreground " << c.inForeground;
  }
}

// A real run in the window: the button climbs to the whole of the rows'
// bytes (one row fails and still counts) and shows no progress at the end.
TEST(TaskbarProgress, FollowsARunInTheWindow) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", PatternBytes(300000));
  WriteBytes(dir / "b.txt", PatternBytes(5000));
  WriteBytes(dir / "b.p6k", "in the way");
  RecordingButton button;
  WindowDriver ui([&](CSorvanDlg& dialog) { dialog.SetTaskbarButton(button); });
  ui.Drop({dir / "a.txt", dir / "b.txt"});
  ui.TypePasswords(L"pw");
  ui.Click(IDC_ENCRYPT);
  ui.WaitForRun();
  ASSERT_GE(button.calls.size(), 3u);
  EXPECT_EQ(button.calls.front(), "0/305000");
  EXPECT_EQ(button.calls[button.calls.size() - 2], "305000/305000");
  EXPECT_EQ(button.calls.back(), "none");
}

// Where Wine has the object, its calls do no harm; where it has none,
// nothing else changes. The window stands either way.
TEST(TaskbarProgress, TheSystemsButtonUnderWine) {
  WindowDriver ui;
  SystemTaskbarButton button(ui.window());
  std::printf("the taskbar object %s under this Wine\n",
              button.HasTaskbarObject() ? "is created" : "cannot be created");
  button.ShowProgress(50, 100);
  button.ShowNoProgress();
  button.Flash();
  ui.PumpIdle();
  EXPECT_TRUE(IsWindow(ui.window()));
  EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_ENCRYPT)));
}

}  // namespace
