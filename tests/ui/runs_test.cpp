#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <thread>

#include "crypt/key.h"
#include "crypt/output_writer.h"
#include "res/resource.h"
#include "tests/support/name_table.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/window_driver.h"

namespace {

using Names = std::vector<std::string>;

// An encryption run and then a decryption run over the same rows, with the
// texts and images of each outcome; a drop afterwards makes every row ready.
TEST(Runs, EncryptThenDecryptShowEachOutcome) {
  ScratchDir dir;
  const std::string cjk = std::string("密码.txt");
  const std::string cjkContainer = std::string("密码.p6k");
  WriteBytes(dir / "plain.txt", PatternBytes(5000));
  WriteBytes(dir / cjk, "double-byte name");
  WriteBytes(dir / "empty.dat", "");
  WriteBytes(dir / "named.p6k", "not really a container");
  WriteBytes(dir / "renamed.bin", ContainerFromLayout("old", "txt", DeriveKey("pw")));
  WriteBytes(dir / "taken.txt", "taken");
  WriteBytes(dir / "taken.p6k", "in the way");
  WriteBytes(dir / "held.txt", "held");

  WindowDriver ui;
  // One drop: each item goes on top, so the rows come out reversed.
  ui.Drop({dir / "held.txt", dir / "taken.txt", dir / "renamed.bin", dir / "named.p6k",
           dir / "empty.dat", dir / cjk, dir / "plain.txt"});
  ui.TypePasswords(L"pw");
  {
    ExclusiveLock lock(dir / "held.txt");
    ASSERT_TRUE(lock.held());
    EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
    EXPECT_TRUE(ui.Running());
    EXPECT_FALSE(IsWindowEnabled(ui.item(IDC_ENCRYPT)));
    EXPECT_FALSE(IsWindowEnabled(ui.item(IDC_DECRYPT)));
    ui.WaitForRun();
  }
  EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_ENCRYPT)));
  EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_DECRYPT)));
  EXPECT_EQ(ui.Rows(), (std::vector<Row>{
                           {dir / "plain.p6k", kSuccess, kTick},
                           {dir / cjkContainer, kSuccess, kTick},
                           {dir / "empty.p6k", kSuccess, kTick},
                           {dir / "named.p6k", kAlreadyEncrypted, kCross},
                           {dir / "renamed.bin", kAlreadyEncrypted, kDot},
                           {dir / "taken.txt", kNameTaken, kCross},
                           {dir / "held.txt", kFailed, kCross},
                       }));
  // Pointed at, a row that did not succeed says why.
  EXPECT_EQ(ui.RowTips(), (std::vector<std::wstring>{
                              L"", L"", L"",
                              L"文件名已以 p6k 结尾，被当作加密文件",
                              L"已是用这个密码加密过的文件",
                              L"加密文件的名称已存在（同一基本名的另一个文件？），没有替换任何文件",
                              L"无法以写入方式打开（只读、被其他程序占用或没有权限）",
                          }));
  EXPECT_EQ(ReadBytes(dir / "plain.p6k"), ContainerFromLayout(PatternBytes(5000), "txt", DeriveKey("pw")));
  EXPECT_EQ(ReadBytes(dir / "taken.p6k"), std::string("in the way"));
  ui.Screenshot("main-after-run");

  ui.TypePasswords(L"pw");  // a click on a row would have put the stored ones back
  EXPECT_TRUE(ui.Click(IDC_DECRYPT).empty());
  ui.WaitForRun();
  EXPECT_EQ(ui.Rows(), (std::vector<Row>{
                           {dir / "plain.txt", kSuccess, kTick},
                           {dir / cjk, kSuccess, kTick},
                           {dir / "empty.dat", kSuccess, kTick},
                           {dir / "named.p6k", kFailed, kCross},
                           {dir / "renamed.bin", kNotEncrypted, kCross},
                           {dir / "taken.txt", kNotEncrypted, kCross},
                           {dir / "held.txt", kNotEncrypted, kCross},
                       }));
  EXPECT_EQ(ui.RowTips(), (std::vector<std::wstring>{
                              L"", L"", L"",
                              L"密码错误，或不是加密文件",
                              L"不是加密文件：文件名不以 p6k 结尾",
                              L"不是加密文件：文件名不以 p6k 结尾",
                              L"不是加密文件：文件名不以 p6k 结尾",
                          }));
  EXPECT_EQ(ReadBytes(dir / "plain.txt"), PatternBytes(5000));
  EXPECT_EQ(ReadBytes(dir / cjk), std::string("double-byte name"));
  EXPECT_EQ(ReadBytes(dir / "empty.dat"), std::string());
  EXPECT_TRUE(NoTemporaryFiles(dir.Names()));

  WriteBytes(dir / "late.txt", "late");
  ui.Drop({dir / "late.txt"});
  std::vector<Row> rows = ui.Rows();
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0].path, dir / "late.txt");
  for (auto& r : rows) EXPECT_EQ(r.status, kReady);
  for (auto& r : rows) EXPECT_EQ(r.image, kDot);
  for (auto& tip : ui.RowTips()) EXPECT_EQ(tip, L"") << "a ready row has nothing to explain";
}

// Under Wine a Unix link looks like an ordinary file, and code page 936
// would narrow a name it cannot hold to a look-alike of another name
// (report¹.txt to report1.txt). No row may act on another file: the link
// fails, and report¹.txt, dropped alone or found in a folder, is a row of
// its own name, masked under it, its look-alike left alone.
TEST(Runs, LinksAndNamesTheCodePageCannotHoldActOnNoOtherFile) {
  ScratchDir outside, dir;
  WriteBytes(outside / "target.txt", "target");
  const std::string folder = dir / "drop";
  ASSERT_TRUE(MakeFolder(folder));
  ASSERT_TRUE(MakeLink(outside / "target.txt", folder + "\\link.txt"));
  ASSERT_TRUE(WriteWideNamed(WideText(folder) + L"\\report\u00B9.txt", "superscript"));
  WriteBytes(folder + "\\report1.txt", "plain one");
  ASSERT_TRUE(WriteWideNamed(WideText(dir.path()) + L"alone\u00B9.txt", "alone"));
  WriteBytes(dir / "alone1.txt", "look-alike");

  const std::string superscript = "\xC2\xB9";  // ¹
  WindowDriver ui;
  ui.Drop(std::vector<std::wstring>{WideText(dir.path()) + L"alone\u00B9.txt"});
  EXPECT_EQ(ui.Rows().size(), 1u);
  ui.Drop({folder});
  std::vector<std::string> paths;
  for (const Row& row : ui.Rows()) paths.push_back(row.path);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{dir / ("alone" + superscript + ".txt"),
                                             folder + "\\link.txt", folder + "\\report1.txt",
                                             folder + "\\report" + superscript + ".txt"}));

  ui.TypePasswords(L"pw");
  ui.Click(IDC_ENCRYPT);
  ui.WaitForRun();
  for (const Row& row : ui.Rows()) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(row.status, row.path == folder + "\\link.txt" ? kFailed : kSuccess);
  }
  EXPECT_EQ(ReadBytes(outside / "target.txt"), "target");
  EXPECT_TRUE(PathExists(folder + "\\link.txt"));
  EXPECT_EQ(ReadBytes(folder + "\\report" + superscript + ".p6k"),
            ContainerFromLayout("superscript", "txt", DeriveKey("pw")));
  EXPECT_EQ(ReadBytes(folder + "\\report1.p6k"), ContainerFromLayout("plain one", "txt", DeriveKey("pw")));
  EXPECT_EQ(ReadBytes(dir / ("alone" + superscript + ".p6k")),
            ContainerFromLayout("alone", "txt", DeriveKey("pw")));
  EXPECT_EQ(ReadBytes(dir / "alone1.txt"), "look-alike");
}

// A folder of names as people give them, dropped: each is a row of its own
// name, masked and restored under it byte for byte; only an extension code
// page 936 cannot hold fails, its file untouched.
TEST(Runs, EveryNameIsMaskedAndRestoredUnderItsOwnName) {
  ScratchDir dir;
  const std::string folder = dir / "names";
  ASSERT_TRUE(MakeFolder(folder));
  for (const NameCase& c : NameTable()) WriteBytes(folder + "\\" + c.name, ContentOf(c));
  WindowDriver ui;
  ui.Drop({folder});
  ASSERT_EQ(ui.Rows().size(), NameTable().size());
  for (const NameCase& c : NameTable()) EXPECT_GE(ui.FindRow(folder + "\\" + c.name), 0) << c.name;

  ui.TypePasswords(L"pw");
  ui.Click(IDC_ENCRYPT);
  ui.WaitForRun();
  ui.Screenshot("main-names-masked");
  for (const NameCase& c : NameTable()) {
    SCOPED_TRACE(c.name);
    if (c.container.empty()) {
      int row = ui.FindRow(folder + "\\" + c.name);
      ASSERT_GE(row, 0);
      EXPECT_EQ(ui.Rows()[static_cast<std::size_t>(row)].status, kFailed);
      EXPECT_EQ(ReadBytes(folder + "\\" + c.name), ContentOf(c));
      continue;
    }
    int row = ui.FindRow(folder + "\\" + c.container);
    ASSERT_GE(row, 0);
    EXPECT_EQ(ui.Rows()[static_cast<std::size_t>(row)].status, kSuccess);
    EXPECT_EQ(ReadBytes(folder + "\\" + c.container),
              ContainerFromLayout(ContentOf(c), c.field, DeriveKey("pw")));
  }

  ui.TypePasswords(L"pw");
  ui.Click(IDC_DECRYPT);
  ui.WaitForRun();
  Names expected;
  for (const NameCase& c : NameTable()) expected.push_back(c.name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListFolder(folder), expected);
  for (const NameCase& c : NameTable()) EXPECT_EQ(ReadBytes(folder + "\\" + c.name), ContentOf(c)) << c.name;
}

// A folder deeper than 260 characters becomes rows like any other, and the
// container written there, 4 characters longer than its source, opens again.
TEST(Runs, FoldersOfAnyLengthGoBothWays) {
  WindowDriver ui;
  ui.TypePasswords(L"pw");
  for (std::size_t length : {250, 259, 260, 261, 300, 600}) {
    SCOPED_TRACE(length);
    ScratchDir dir;
    const std::string source = PathOfWindowsLength(dir, length);
    ASSERT_EQ(source.size(), length);
    const std::string content = PatternBytes(length, 3);
    WriteBytes(source, content);
    ui.Click(IDC_CLEAR_LIST);
    ui.Drop({source.substr(0, source.rfind('\\'))});
    EXPECT_EQ(ui.Rows(), (std::vector<Row>{{source, kReady, kDot}}));

    ui.Click(IDC_ENCRYPT);
    ui.WaitForRun();
    EXPECT_EQ(ui.Rows(), (std::vector<Row>{{source + ".p6k", kSuccess, kTick}}));
    ui.Click(IDC_DECRYPT);
    ui.WaitForRun();
    EXPECT_EQ(ui.Rows(), (std::vector<Row>{{source, kSuccess, kTick}}));
    EXPECT_EQ(ReadBytes(source), content);
  }
}

// Linux allows names Windows cannot hold, and Wine shows them as they are:
// "a\b.txt" would name b.txt in the folder a, "report.txt." the file
// report.txt. Listed or dropped, each is a row that fails and touches
// nothing, and the row of report.txt reports on report.txt.
TEST(Runs, NamesWindowsCannotHoldActOnNoOtherFile) {
  ScratchDir dir;
  const std::string folder = dir / "drop";
  ASSERT_TRUE(MakeFolder(folder));
  ASSERT_TRUE(MakeFolder(folder + "\\a"));
  WriteBytes(folder + "\\a\\b.txt", "in the folder a");
  ASSERT_TRUE(MakeUnixNamedFile(folder, "a\\b.txt", "backslash"));
  WriteBytes(folder + "\\report.txt", "report");
  ASSERT_TRUE(MakeUnixNamedFile(folder, "report.txt.", "trailing dot"));

  WindowDriver ui;
  ui.Drop({folder + "\\report.txt."});
  ui.Drop({folder});
  std::vector<std::string> paths;
  for (const Row& row : ui.Rows()) paths.push_back(row.path);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{folder + "\\a?b.txt", folder + "\\report.txt",
                                             folder + "\\report.txt.", folder + "\\report.txt."}));

  ui.TypePasswords(L"pw");
  ui.Click(IDC_ENCRYPT);
  ui.WaitForRun();
  for (const Row& row : ui.Rows()) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(row.status, row.path == folder + "\\report.p6k" ? kSuccess : kFailed);
  }
  // "a\b.txt" is there, listed as "a?b.txt": its tip blames its name.
  std::vector<Row> rows = ui.Rows();
  std::vector<std::wstring> tips = ui.RowTips();
  ASSERT_EQ(tips.size(), rows.size());
  int marked = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].path != folder + "\\a?b.txt") continue;
    ++marked;
    EXPECT_EQ(tips[i], L"文件名中有无法表示的字符（单独的 UTF-16 代理项，或 Windows 文件名中不允许的字符）");
  }
  EXPECT_EQ(marked, 1);
  EXPECT_EQ(ReadBytes(folder + "\\a\\b.txt"), "in the folder a");
  EXPECT_EQ(ListFolder(folder), (std::vector<std::string>{"a", "a\\b.txt", "report.p6k", "report.txt."}));
}

// While a run works, drops are refused and the clear command does nothing;
// closing the window stops the run at its next buffer: the source stays
// whole, no partial output is left, and the worker has ended. The run is
// held in the middle of its file while the window is tried, so the test
// does not depend on the machine's speed.
TEST(Runs, ClosingDuringALongRunStopsItSafely) {
  ScratchDir dir;
  const std::string big = PatternBytes(12 * kTransferBufferSize + 3);
  WriteBytes(dir / "big.bin", big);
  WriteBytes(dir / "other.txt", "other");
  HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> held{false};
  FaultyFileSystem gate;
  gate.After(FaultyFileSystem::Op::Write, [&] {
    if (held.exchange(true)) return;
    SetEvent(reached);
    WaitForSingleObject(released, 30000);
  });

  WindowDriver ui;
  ui.dialog().SetFileSystem(gate);
  ui.Drop({dir / "big.bin"});
  ui.TypePasswords(L"pw");
  ui.Click(IDC_ENCRYPT);
  ui.PumpUntil([&] { return WaitForSingleObject(reached, 0) == WAIT_OBJECT_0; });
  ASSERT_TRUE(ui.Running());

  ui.Drop({dir / "other.txt"});
  ui.Click(IDC_CLEAR_LIST);
  EXPECT_EQ(ui.Rows(), (std::vector<Row>{{dir / "big.bin", kReady, kDot}}));

  // Eleven buffers are still to come when the close asks the run to stop.
  SetEvent(released);
  SendMessageW(ui.window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(ui.dialog().HasEnded());
  EXPECT_FALSE(ui.Running());
  EXPECT_EQ(ReadBytes(dir / "big.bin"), big);
  EXPECT_EQ(dir.Names(), (Names{"big.bin", "other.txt"}));
  CloseHandle(reached);
  CloseHandle(released);
}

// A folder in which one file is kept open for writing by another writer,
// appending at varied moments, while the window encrypts the folder, round
// after round: that row fails and everything written to the file stays; the
// other files are encrypted.
TEST(Runs, AFileHeldForWritingKeepsWhatWasWrittenRoundAfterRound) {
  std::mt19937 random(GetTickCount());
  WindowDriver ui;
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    ScratchDir dir;
    const std::string folder = dir / "drop";
    ASSERT_TRUE(MakeFolder(folder));
    const std::string log = folder + "\\held.log";
    WriteBytes(folder + "\\a.txt", PatternBytes(random() % (3 << 20)));
    WriteBytes(log, "<start>");
    WriteBytes(folder + "\\z.txt", "z");
    HANDLE file = CreateFileW(WideText(log).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::atomic<bool> stop{false};
    std::string written;
    std::thread writer([&, seed = static_cast<unsigned>(random())] {
      std::mt19937 pauses(seed);
      for (int i = 0; !stop; ++i) {
        Sleep(pauses() % 15);
        const std::string record = "<" + std::to_string(i) + ">";
        LARGE_INTEGER end = {};
        DWORD put = 0;
        if (SetFilePointerEx(file, end, nullptr, FILE_END) &&
            WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &put, nullptr) &&
            put == record.size())
          written += record;
      }
    });
    ui.Click(IDC_CLEAR_LIST);
    Sleep(random() % 30);
    ui.Drop({folder});
    ui.TypePasswords(L"pw");
    ui.Click(IDC_ENCRYPT);
    ui.WaitForRun();
    Sleep(random() % 30);
    stop = true;
    writer.join();
    CloseHandle(file);
    std::vector<Row> rows = ui.Rows();
    ASSERT_EQ(rows.size(), 3u);
    for (const Row& row : rows) EXPECT_EQ(row.status, row.path == log ? kFailed : kSuccess) << row.path;
    EXPECT_EQ(ReadBytes(log), "<start>" + written);
    EXPECT_EQ(ListFolder(folder), (Names{"a.p6k", "held.log", "z.p6k"}));
    if (round == 0) ui.Screenshot("main-file-held-for-writing");
  }
}

}  // namespace
