#include <gtest/gtest.h>

#include <algorithm>

#include "ui/file_drop_list.h"
#include "res/resource.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"

namespace {

std::vector<std::string> Paths(const std::vector<Row>& rows) {
  std::vector<std::string> paths;
  for (auto& r : rows) paths.push_back(r.path);
  return paths;
}

// The names directly in a folder, in the order the system lists them.
std::vector<std::string> ListedFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(WideText(folder + "\\*").c_str(), &entry);
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Utf8Text(entry.cFileName));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

TEST(Drops, FolderGivesItsOwnFilesNewestOnTop) {
  ScratchDir dir;
  std::string folder = dir / "docs";
  MakeFolder(folder);
  for (const char* name : {"a.txt", "b.bin", "c"}) WriteBytes(folder + "\\" + name, name);
  MakeFolder(folder + "\\sub");
  WriteBytes(folder + "\\sub\\deep.txt", "deep");
  MakeFolder(dir / "empty");

  WindowDriver ui;
  ui.Drop({folder});
  std::vector<std::string> expected;
  for (auto& name : ListedFiles(folder)) expected.insert(expected.begin(), folder + "\\" + name);
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_EQ(Paths(ui.Rows()), expected);

  // An empty folder adds nothing, yet every row is ready again.
  ui.SetRowLook(0, kTick, kSuccess);
  ui.Drop({dir / "empty"});
  std::vector<Row> rows = ui.Rows();
  ASSERT_EQ(rows.size(), 3u);
  for (auto& r : rows) EXPECT_EQ(r.status, kReady);
  for (auto& r : rows) EXPECT_EQ(r.image, kDot);
}

// Shortcuts stand for their targets; a missing item or a shortcut whose
// target is gone adds nothing; the same file twice gives two rows.
TEST(Drops, ShortcutsBecomeTheirTargetsAndMissingItemsAreSkipped) {
  ScratchDir dir;
  std::string file = dir / std::string("文件.txt");
  WriteBytes(file, "x");
  std::string folder = dir / "folder";
  MakeFolder(folder);
  WriteBytes(folder + "\\inside.txt", "y");
  WriteBytes(dir / "gone.txt", "z");
  WindowDriver ui;  // its list starts the component services the links need
  ASSERT_TRUE(MakeShortcut(dir / "file.lnk", file));
  ASSERT_TRUE(MakeShortcut(dir / "folder.lnk", folder));
  ASSERT_TRUE(MakeShortcut(dir / "gone.lnk", dir / "gone.txt"));
  DeleteFileW(WideText(dir / "gone.txt").c_str());

  ui.Drop({dir / "file.lnk", dir / "missing.txt", dir / "folder.lnk", dir / "gone.lnk", file});
  EXPECT_EQ(Paths(ui.Rows()), (std::vector<std::string>{file, folder + "\\inside.txt", file}));
}

// A shortcut to a file whose name code page 936 cannot hold (report¹.txt,
// with report1.txt beside it) never stands for the look-alike: its target
// reads whole, and the drop adds that file's row.
TEST(Drops, AShortcutToANameTheCodePageCannotHoldIsNoLookAlike) {
  ScratchDir dir;
  const std::wstring superscript = WideText(dir.path()) + L"report\u00B9.txt";
  ASSERT_TRUE(WriteWideNamed(superscript, "superscript"));
  WriteBytes(dir / "report1.txt", "plain one");
  WriteBytes(dir / "plain.txt", "plain");
  WindowDriver ui;  // its list starts the component services the links need
  ASSERT_TRUE(MakeShortcut(WideText(dir / "report.lnk"), superscript));
  ASSERT_TRUE(MakeShortcut(dir / "plain.lnk", dir / "plain.txt"));

  const std::string whole = dir / "report\xC2\xB9.txt";
  EXPECT_EQ(CFileDropList::ResolveShortcut(dir / "report.lnk"), whole);
  ui.Drop({dir / "report.lnk", dir / "plain.lnk"});
  EXPECT_EQ(Paths(ui.Rows()), (std::vector<std::string>{dir / "plain.txt", whole}));
  ui.Screenshot("main-shortcut-to-a-name-the-code-page-cannot-hold");
  EXPECT_EQ(ReadWideNamed(superscript), "superscript");
  EXPECT_EQ(ReadBytes(dir / "report1.txt"), "plain one");
}

// Thousands of files, dropped twice around one of them named in another
// case: each drop puts the folder's files on top in the reverse of their
// listing, nothing is skipped as a duplicate, and every row is ready again.
TEST(Drops, AFolderOfThousandsGivesTheSameRowsInTheSameOrder) {
  ScratchDir dir;
  const std::string folder = dir / "many";
  MakeFolder(folder);
  for (int i = 0; i < 2500; ++i)
    WriteBytes(folder + (i % 2 ? "\\Report" : "\\report") + std::to_string(i) + ".Txt", "x");
  MakeFolder(folder + "\\sub");
  std::vector<Row> listed;
  for (auto& name : ListedFiles(folder)) listed.insert(listed.begin(), {folder + "\\" + name, kReady, kDot});
  const std::string upper = folder + "\\REPORT7.TXT";

  WindowDriver ui;
  ui.Drop({folder});
  ui.SetRowLook(3, kTick, kSuccess);
  ui.Drop({upper});
  ui.Drop({folder});
  std::vector<Row> expected = listed;
  expected.push_back({upper, kReady, kDot});
  expected.insert(expected.end(), listed.begin(), listed.end());
  std::vector<Row> rows = ui.Rows();
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    ASSERT_TRUE(rows[i] == expected[i]) << "row " << i << ": " << rows[i].path;
}

// A folder of thousands is listed in steps between the window's messages.
// A drop that comes meanwhile waits its turn, clearing stops what is left,
// and a command first takes every row dropped before it. The steps keep to
// the test's clock, which moves a tenth of a millisecond at each read: a step
// takes a few hundred entries however fast the machine lists them.
TEST(Drops, AFolderIsListedInStepsThatAClearStopsAndACommandCompletes) {
  ScratchDir dir;
  const std::string folder = dir / "many";
  MakeFolder(folder);
  for (int i = 0; i < 4000; ++i) WriteBytes(folder + "\\f" + std::to_string(i), "x");
  const std::string single = dir / "single.txt";
  WriteBytes(single, "y");
  std::vector<std::string> listed;
  for (auto& name : ListedFiles(folder)) listed.insert(listed.begin(), folder + "\\" + name);

  DWORD reads = 0;
  WindowDriver ui;
  ui.dialog().SetListingClock([&reads] { return reads++ / 10; });
  ui.PostDrop({folder});
  ASSERT_TRUE(ui.dialog().PumpMessage());  // the drop and its first step
  std::size_t firstStep = ui.Rows().size();
  EXPECT_GT(firstStep, 0u);
  EXPECT_LE(firstStep, 10 * RowFill::kStepMs);
  ui.PostDrop({single});
  ASSERT_TRUE(ui.dialog().PumpMessage());  // before the next step
  EXPECT_EQ(ui.Rows().size(), firstStep);
  ASSERT_TRUE(ui.dialog().IsFillingList());
  ui.Click(IDC_CLEAR_LIST);
  EXPECT_TRUE(ui.Rows().empty());
  EXPECT_FALSE(ui.dialog().IsFillingList());
  ui.PumpPastDueTimers();  // a step still set would have added rows by now
  EXPECT_TRUE(ui.Rows().empty());

  ui.PostDrop({folder});
  ui.PostDrop({single});
  ui.WaitForList();
  std::vector<std::string> expected = listed;
  expected.insert(expected.begin(), single);
  EXPECT_EQ(Paths(ui.Rows()), expected);

  ui.SetRowLook(0, kTick, kSuccess);
  ui.PostDrop({folder});
  ASSERT_TRUE(ui.dialog().PumpMessage());
  ASSERT_TRUE(ui.dialog().IsFillingList());
  ui.Type(IDC_PASSWORD, L"one");
  ui.Type(IDC_CONFIRM, L"two");
  EXPECT_EQ(ui.Click(IDC_ENCRYPT).size(), 1u);  // the passwords differ
  EXPECT_FALSE(ui.dialog().IsFillingList());
  std::vector<Row> rows = ui.Rows();
  ASSERT_EQ(rows.size(), 2 * listed.size() + 1);
  EXPECT_EQ(rows[0].path, listed[0]);
  for (auto& r : rows) ASSERT_TRUE(r.status == kReady && r.image == kDot) << r.path;
}

TEST(Drops, ClearEmptiesTheList) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WindowDriver ui;
  ui.Drop({dir / "a.txt", dir / "a.txt"});
  EXPECT_EQ(ui.Rows().size(), 2u);
  ui.Click(IDC_CLEAR_LIST);
  EXPECT_TRUE(ui.Rows().empty());
  ui.Click(IDC_CLEAR_LIST);
  EXPECT_TRUE(ui.Rows().empty());
}

}  // namespace
