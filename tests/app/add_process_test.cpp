// "sorvan.exe /add PATH", as Explorer's menu verb starts it once per selected
// item: the processes started together fill one main window and end.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "tests/app/sorvan_process.h"
#include "tests/support/name_table.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"
#include "tests/support/shortcut.h"

namespace {

const std::wstring kMainTitle = L"Tavrel文件加密 7.2 ";

std::unique_ptr<SorvanProcess> StartAdding(const std::vector<std::string>& paths) {
  std::string arguments = "/add";
  for (const std::string& path : paths) arguments += " \"" + path + "\"";
  return std::unique_ptr<SorvanProcess>(new SorvanProcess(SorvanExecutable(), arguments));
}

std::vector<std::string> Sorted(std::vector<std::string> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(AddProcesses, EightStartedAtOnceFillOneWindow) {
  ScratchDir dir;
  std::vector<std::string> items, expected;
  for (int i = 0; i < 7; ++i) {
    std::string file = dir / ("file" + std::to_string(i) + ".txt");
    WriteBytes(file, "content");
    items.push_back(file);
    expected.push_back(file);
  }
  ASSERT_TRUE(MakeFolder(dir / "box"));
  for (const char* name : {"x.txt", "y.txt"}) {
    WriteBytes(dir / "box" + kSeparator + name, name);
    expected.push_back(dir / "box" + kSeparator + name);
  }
  items.push_back(dir / "box");

  std::vector<std::unique_ptr<SorvanProcess>> processes;
  for (const std::string& item : items) processes.push_back(StartAdding({item}));
  // The first to come shows the window; the others hand it their paths.
  HWND window = WaitForWindowTitled(kMainTitle);
  ASSERT_NE(window, nullptr);
  DWORD holder = 0;
  GetWindowThreadProcessId(window, &holder);
  for (auto& process : processes)
    if (process->id() != holder) {
      EXPECT_EQ(process->WaitForExit(60000), 0);
    }
  EXPECT_EQ(Sorted(WaitForListedPaths(window, expected.size())), Sorted(expected));
  EXPECT_EQ(WindowsTitled(kMainTitle).size(), 1u);
  SaveScreenshot(window, SORVAN_SCREENSHOT_DIR, "add-eight-processes");

  PostMessageW(window, WM_CLOSE, 0, 0);
  for (auto& process : processes)
    if (process->id() == holder) {
      EXPECT_EQ(process->WaitForExit(), 0);
    }
}

// A folder gives the files directly inside it, a shortcut its target; a
// path that names nothing gives no row. Later, another window's process
// hands its path to the same window.
TEST(AddProcesses, FoldersShortcutsAndMissingPathsAsADropTakesThem) {
  ScratchDir dir;
  ASSERT_TRUE(MakeFolder(dir / "box"));
  ASSERT_TRUE(MakeFolder(dir / "box" + kSeparator + "inner"));
  WriteBytes(dir / "box" + kSeparator + "x.txt", "x");
  WriteBytes(dir / "target.txt", "t");
  WriteBytes(dir / "later.txt", "l");
  ASSERT_TRUE(MakeShortcut(dir / "link.lnk", dir / "target.txt"));

  auto first = StartAdding({dir / "box", dir / "link.lnk", dir / "missing.txt"});
  HWND window = first->WaitForWindow(kMainTitle);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Sorted(WaitForListedPaths(window, 2)),
            Sorted({dir / "box" + kSeparator + "x.txt", dir / "target.txt"}));

  auto second = StartAdding({dir / "later.txt"});
  EXPECT_EQ(second->WaitForExit(60000), 0);
  std::vector<std::string> rows = WaitForListedPaths(window, 3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.front(), dir / "later.txt");  // on top, as a drop puts it
  EXPECT_EQ(WindowsTitled(kMainTitle).size(), 1u);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first->WaitForExit(), 0);
}

// The folder in the forms scripts and other programs pass: plain,
// "\\?\C:\...", and on a share "\\server\share\..." and
// "\\?\UNC\server\share\...".
std::vector<std::string> FormsOf(const ScratchDir& dir, const LocalShare& share) {
  return {dir.path(), "\\\\?\\" + dir.path(), share.path(),
          "\\\\?\\UNC\\" + share.path().substr(2)};
}

// Every form is taken as the plain one is: a file is a row of the path
// given, a folder gives its files.
TEST(AddProcesses, EveryFormOfPathIsTaken) {
  ScratchDir dir;
  LocalShare share(dir.path());
  ASSERT_FALSE(share.path().empty());
  WriteBytes(dir / "a.txt", "a");
  ASSERT_TRUE(MakeFolder(dir / "box"));
  WriteBytes(dir / "box" + kSeparator + "b.txt", "b");
  for (const std::string& folder : FormsOf(dir, share)) {
    SCOPED_TRACE(folder);
    auto process = StartAdding({folder + "a.txt", folder + "box"});
    HWND window = process->WaitForWindow(kMainTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Sorted(WaitForListedPaths(window, 2)),
              Sorted({folder + "a.txt", folder + "box" + kSeparator + "b.txt"}));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(process->WaitForExit(), 0);
  }
}

// Names as people give them, handed over by "/add" from one process to the
// window of another, arrive whole: each a row of its own name.
TEST(AddProcesses, EveryNameArrivesWhole) {
  ScratchDir dir;
  std::vector<std::string> paths;
  for (const NameCase& c : NameTable()) {
    paths.push_back(dir / c.name);
    WriteBytes(paths.back(), ContentOf(c));
  }
  auto first = StartAdding({paths.front()});
  HWND window = first->WaitForWindow(kMainTitle);
  ASSERT_NE(window, nullptr);
  auto second = StartAdding(std::vector<std::string>(paths.begin() + 1, paths.end()));
  EXPECT_EQ(second->WaitForExit(60000), 0);
  EXPECT_EQ(Sorted(WaitForListedPaths(window, paths.size())), Sorted(paths));
  SaveScreenshot(window, SORVAN_SCREENSHOT_DIR, "main-names-added");
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first->WaitForExit(), 0);
}

}  // namespace
