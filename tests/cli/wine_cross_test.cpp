#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "tests/cli/p6k_process.h"
#include "tests/support/name_table.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/windows_trees.h"

namespace {

using Lines = std::vector<std::string>;

// Code page 936 bytes, as p6k.exe prints and takes them.
const std::string kSuccess936 = "\xB3\xC9\xB9\xA6";  // 成功
const std::string kFailed936 = "\xCA\xA7\xB0\xDC";   // 失败
const std::string kReport936 = "\xB1\xA8\xB8\xE6";   // 报告
const std::string kDocument936 = "\xCE\xC4\xB5\xB5"; // 文档
const std::string kPassword936 = "\xC3\xDC\xC2\xEB"; // 密码

// The Windows build of the same tree, next to this one.
bool WindowsToolBuilt() { return access(P6K_EXE_PATH, R_OK) == 0; }

ProcessResult P6kExe(const std::vector<std::string>& args) {
  std::vector<std::string> argv{WINE_RUN_PATH, P6K_EXE_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  // The Unix side speaks UTF-8; Wine hands the program code page 936.
  return RunProcess(argv, {{"P6K_PASSWORD", "密码"}});
}

// The prefix the tool runs in, as scripts/wine-env.sh chooses it for
// cmake/wine-run.sh beside it.
std::string WinePrefix() {
  std::string runner = WINE_RUN_PATH;
  std::string env = runner.substr(0, runner.rfind("/cmake/")) + "/scripts/wine-env.sh";
  return RunProcess({"/bin/bash", "-c", "source \"$0\" >/dev/null 2>&1 && printf %s \"$WINEPREFIX\"", env},
                    {})
      .out;
}

// A share \\localhost\<name> of the Windows side that stands for a Unix
// folder, as Wine keeps its shares: a link in the prefix's
// dosdevices/unc/localhost. Nothing leaves the machine.
class WineShare {
 public:
  explicit WineShare(const std::string& folder) {
    const std::string prefix = WinePrefix();
    if (prefix.empty()) return;
    const std::string hosts = prefix + "/dosdevices/unc/localhost";
    RunProcess({"/bin/mkdir", "-p", hosts}, {});
    const std::string name = "p6kshare" + std::to_string(std::random_device()());
    m_link = hosts + "/" + name;
    if (symlink(folder.c_str(), m_link.c_str()) == 0)
      m_path = "\\\\localhost\\" + name + "\\";
    else
      m_link.clear();
  }
  ~WineShare() {
    if (!m_link.empty()) unlink(m_link.c_str());
  }
  // "\\localhost\<name>\", or empty when it could not be made.
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  std::string m_link;
};

#define SKIP_WITHOUT_WINDOWS_BUILD()           \
  SKIP_WITHOUT_WINDOWS_TREE(WindowsToolBuilt(), \
                            P6K_EXE_PATH << " is not built; build the Windows tree to run this test")

TEST(WineCross, NativeContainersOpenInTheWindowsTool) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  const std::string chinese = PatternBytes(9000, 5);
  WriteBytes(dir / "报告.txt", chinese);
  WriteBytes(dir / "a.txt", "ascii");
  ProcessResult native = P6k({"encrypt", dir.path()}, {{"P6K_PASSWORD", "密码"}});
  ASSERT_EQ(native.exitCode, 0) << native.err;
  ASSERT_EQ(dir.Names(), (Lines{"a.p6k", "报告.p6k"}));

  const std::string folder = WinePath(dir.path());  // ends in a backslash
  ProcessResult windows = P6kExe({"decrypt", folder});
  EXPECT_EQ(windows.exitCode, 0) << windows.err;
  EXPECT_EQ(windows.OutLines(), (Lines{kSuccess936 + "\t" + folder + "a.txt",
                                       kSuccess936 + "\t" + folder + kReport936 + ".txt"}));
  EXPECT_EQ(dir.Names(), (Lines{"a.txt", "报告.txt"}));
  EXPECT_EQ(ReadBytes(dir / "报告.txt"), chinese);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "ascii");
}

TEST(WineCross, WindowsContainersOpenNatively) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  const std::string plain = PatternBytes(5 * 1024 * 1024 + 3, 6);
  WriteBytes(dir / "报告.文档", plain);
  const std::string folder = WinePath(dir.path());
  // Arguments cross in UTF-8 and reach the program whole; its lines into a
  // pipe are in code page 936.
  ProcessResult windows = P6kExe({"encrypt", folder + "报告.文档"});
  EXPECT_EQ(windows.exitCode, 0) << windows.err;
  EXPECT_EQ(windows.OutLines(), Lines{kSuccess936 + "\t" + folder + kReport936 + ".p6k"});
  ASSERT_EQ(dir.Names(), Lines{"报告.p6k"});
  EXPECT_EQ(ReadBytes(dir / "报告.p6k"),
            ContainerFromLayout(plain, kDocument936, DeriveKey(kPassword936)));

  ProcessResult native = P6k({"decrypt", dir / "报告.p6k"}, {{"P6K_PASSWORD", "密码"}});
  EXPECT_EQ(native.exitCode, 0) << native.err;
  EXPECT_EQ(native.OutLines(), Lines{Line(kSuccess, dir / "报告.文档")});
  EXPECT_EQ(ReadBytes(dir / "报告.文档"), plain);
}

// The same password file gives the same key on both platforms and in the
// window: UTF-8 with or without a byte-order mark, and on Windows also the
// code page's own bytes, as an older editor saves them.
TEST(WineCross, PasswordFilesKeyAsTheWindowDoes) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  const std::string lines[] = {"密码\n", "\xEF\xBB\xBF密码\r\n", kPassword936 + "\n"};
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    ScratchDir dir, keys;
    WriteBytes(dir / "a.txt", "plain");
    WriteBytes(keys / "pw.txt", line);
    ProcessResult windows =
        P6kExe({"encrypt", "--password-file", WinePath(keys / "pw.txt"), WinePath(dir / "a.txt")});
    EXPECT_EQ(windows.exitCode, 0) << windows.err;
    EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout("plain", "txt", DeriveKey(kPassword936)));
  }
}

// Under Wine a Unix link looks like an ordinary file or folder, and code
// page 936 would narrow a name it cannot hold to a look-alike (report¹.txt
// to report1.txt). Neither may lead the tool to another file: the link
// fails, report¹.txt is masked under its own name, and its line into a
// pipe, in code page 936, shows "?" for the "¹".
TEST(WineCross, WindowsToolFollowsNoLinkAndTakesNoLookAlike) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  const std::string superscript = "report\xC2\xB9.txt";  // report¹.txt in UTF-8
  struct Case { const char* what; bool byName; } cases[] = {{"the folder, -r", false},
                                                           {"the file by its name", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir outside, dir;
    WriteBytes(outside / "target.txt", "target");
    ASSERT_TRUE(MakeFolder(outside / "folder"));
    WriteBytes(outside / "folder/inner.txt", "inner");
    ASSERT_TRUE(MakeLink(outside / "target.txt", dir / "link.txt"));
    ASSERT_TRUE(MakeLink(outside / "folder", dir / "sub"));
    WriteBytes(dir / superscript, "superscript");
    WriteBytes(dir / "report1.txt", "plain one");
    const std::string folder = WinePath(dir.path());

    ProcessResult windows = c.byName ? P6kExe({"encrypt", folder + superscript})
                                     : P6kExe({"encrypt", "-r", folder});
    if (c.byName) {
      EXPECT_EQ(windows.exitCode, 0) << windows.err;
      EXPECT_EQ(windows.OutLines(), Lines{kSuccess936 + "\t" + folder + "report?.p6k"});
      EXPECT_EQ(ReadBytes(dir / "report1.txt"), "plain one");
    } else {
      EXPECT_EQ(windows.exitCode, 1) << windows.err;
      EXPECT_EQ(windows.OutLines(), (Lines{kFailed936 + "\t" + folder + "link.txt",
                                           kSuccess936 + "\t" + folder + "report1.p6k",
                                           kSuccess936 + "\t" + folder + "report?.p6k",
                                           kFailed936 + "\t" + folder + "sub"}));
      EXPECT_EQ(ReadBytes(dir / "report1.p6k"),
                ContainerFromLayout("plain one", "txt", DeriveKey(kPassword936)));
    }
    EXPECT_EQ(ReadBytes(dir / "report\xC2\xB9.p6k"),
              ContainerFromLayout("superscript", "txt", DeriveKey(kPassword936)));
    EXPECT_EQ(outside.Names(), (Lines{"folder", "target.txt"}));
    EXPECT_EQ(ReadBytes(outside / "target.txt"), "target");
    EXPECT_EQ(ReadBytes(outside / "folder/inner.txt"), "inner");
  }
}

// The status words of a tool's lines, in its order, and the reasons its
// standard error gives, without the paths (they differ between the tools).
struct Told {
  Lines statuses;
  Lines reasons;
};

Told WhatWasTold(const ProcessResult& r) {
  Told told;
  for (const std::string& line : r.OutLines()) told.statuses.push_back(line.substr(0, line.find('\t')));
  std::string err = r.err;
  err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
  for (std::size_t at = 0; at < err.size();) {
    std::size_t end = err.find('\n', at);
    std::string line = err.substr(at, end - at);
    told.reasons.push_back(line.substr(line.rfind(": ") + 2));
    at = end == std::string::npos ? err.size() : end + 1;
  }
  return told;
}

// One folder of names as people give them, through the native p6k and
// through p6k.exe: the same status for every row, the same reasons, the
// same files with the same bytes; each tool restores what the other masked,
// byte for byte under the same name.
TEST(WineCross, EveryNameGivesTheSameOutcomesOnBothPlatforms) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir mine, theirs;
  for (const ScratchDir* dir : {&mine, &theirs})
    for (const NameCase& c : NameTable()) WriteBytes(*dir / c.name, ContentOf(c));
  ProcessResult native = P6k({"encrypt", mine.path()}, {{"P6K_PASSWORD", "密码"}});
  ProcessResult windows = P6kExe({"encrypt", WinePath(theirs.path())});
  EXPECT_EQ(native.exitCode, 1) << native.err;
  EXPECT_EQ(windows.exitCode, native.exitCode) << windows.err;
  Told nativeTold = WhatWasTold(native), windowsTold = WhatWasTold(windows);
  EXPECT_EQ(windowsTold.reasons, nativeTold.reasons);
  EXPECT_EQ(windowsTold.reasons, Lines{"the name cannot be written in code page 936"});
  Lines nativeIn936;
  for (const std::string& status : nativeTold.statuses)
    nativeIn936.push_back(status == kSuccess ? kSuccess936 : status == kFailed ? kFailed936 : status);
  std::sort(nativeIn936.begin(), nativeIn936.end());
  std::sort(windowsTold.statuses.begin(), windowsTold.statuses.end());
  EXPECT_EQ(nativeIn936.size(), NameTable().size());
  EXPECT_EQ(windowsTold.statuses, nativeIn936);
  Lines expected;
  for (const NameCase& c : NameTable()) expected.push_back(c.container.empty() ? c.name : c.container);
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(mine.Names(), expected);
  ASSERT_EQ(theirs.Names(), expected);
  for (const std::string& name : expected) EXPECT_EQ(ReadBytes(theirs / name), ReadBytes(mine / name)) << name;

  // Each restores the other's containers.
  ProcessResult nativeBack = P6k({"decrypt", theirs.path()}, {{"P6K_PASSWORD", "密码"}});
  ProcessResult windowsBack = P6kExe({"decrypt", WinePath(mine.path())});
  EXPECT_EQ(nativeBack.exitCode, 1) << nativeBack.err;  // the refused name is not a container
  EXPECT_EQ(windowsBack.exitCode, nativeBack.exitCode) << windowsBack.err;
  EXPECT_EQ(WhatWasTold(windowsBack).reasons, WhatWasTold(nativeBack).reasons);
  Lines names;
  for (const NameCase& c : NameTable()) names.push_back(c.name);
  std::sort(names.begin(), names.end());
  for (const ScratchDir* dir : {&mine, &theirs}) {
    EXPECT_EQ(dir->Names(), names);
    for (const NameCase& c : NameTable()) EXPECT_EQ(ReadBytes(*dir / c.name), ContentOf(c)) << c.name;
  }
}

// A container whose restored name ends in "." (a base name ending in "."
// and no extension) is restored on Linux; p6k.exe refuses it, saying why,
// and keeps the container as it was.
TEST(WineCross, WindowsToolRefusesARestoredNameItCannotHold) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  const std::string container = ContainerFromLayout("dotted", "", DeriveKey(kPassword936));
  WriteBytes(dir / "dots..p6k", container);
  const std::string folder = WinePath(dir.path());
  ProcessResult windows = P6kExe({"decrypt", folder + "dots..p6k"});
  EXPECT_EQ(windows.exitCode, 1);
  EXPECT_EQ(windows.OutLines(), Lines{kFailed936 + "\t" + folder + "dots..p6k"});
  EXPECT_EQ(WhatWasTold(windows).reasons,
            Lines{"the restored name cannot be held by this system (a name may not end in a dot or space)"});
  EXPECT_EQ(dir.Names(), Lines{"dots..p6k"});
  EXPECT_EQ(ReadBytes(dir / "dots..p6k"), container);

  ProcessResult native = P6k({"decrypt", dir / "dots..p6k"}, {{"P6K_PASSWORD", "密码"}});
  EXPECT_EQ(native.exitCode, 0) << native.err;
  EXPECT_EQ(ReadBytes(dir / "dots."), "dotted");
}

// Paths of any length the file system allows go both ways, named and as a
// folder's files: a source without a dot gets a container 4 characters
// longer than itself, past 260 for the sources of 259 and 260 characters.
TEST(WineCross, PathsOfAnyLengthGoBothWays) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  for (std::size_t length : {250, 259, 260, 261, 300, 600}) {
    SCOPED_TRACE(length);
    ScratchDir dir;
    const std::string source = PathOfWindowsLength(dir, length);
    const std::string content = PatternBytes(length, 7);
    WriteBytes(source, content);
    const std::string windows = WinePath(source);
    ASSERT_EQ(windows.size(), length);
    const std::string folder = windows.substr(0, windows.rfind('\\'));

    ProcessResult encrypted = P6kExe({"encrypt", windows});
    EXPECT_EQ(encrypted.exitCode, 0) << encrypted.err;
    EXPECT_EQ(encrypted.OutLines(), Lines{kSuccess936 + "\t" + windows + ".p6k"});
    EXPECT_EQ(ReadBytes(source + ".p6k"), ContainerFromLayout(content, "", DeriveKey(kPassword936)));
    ProcessResult decrypted = P6kExe({"decrypt", folder});
    EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(decrypted.OutLines(), Lines{kSuccess936 + "\t" + windows});
    EXPECT_EQ(ReadBytes(source), content);
    EXPECT_FALSE(PathExists(source + ".p6k"));
  }
}

// Scripts and other programs pass long paths as "\\?\C:\..." or, on a
// share, "\\?\UNC\server\share\...". The tool takes them as it takes the
// plain forms: a file by its name and a folder's files, both ways, each line
// in the form it was given.
TEST(WineCross, WindowsToolTakesEveryFormOfPath) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  WineShare share(dir.path());
  ASSERT_FALSE(share.path().empty()) << "no share could be made in " << WinePrefix();
  const std::string plain = WinePath(dir.path());
  const Lines forms{plain, "\\\\?\\" + plain, share.path(), "\\\\?\\UNC\\" + share.path().substr(2)};
  for (const std::string& folder : forms) {
    SCOPED_TRACE(folder);
    WriteBytes(dir / "a.txt", "by name");
    ProcessResult encrypted = P6kExe({"encrypt", folder + "a.txt"});
    EXPECT_EQ(encrypted.exitCode, 0) << encrypted.err;
    EXPECT_EQ(encrypted.OutLines(), Lines{kSuccess936 + "\t" + folder + "a.p6k"});
    EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout("by name", "txt", DeriveKey(kPassword936)));
    ProcessResult decrypted = P6kExe({"decrypt", folder + "a.p6k"});
    EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(decrypted.OutLines(), Lines{kSuccess936 + "\t" + folder + "a.txt"});
    EXPECT_EQ(dir.Names(), Lines{"a.txt"});

    WriteBytes(dir / "b.txt", "in the folder");
    ProcessResult listed = P6kExe({"encrypt", folder});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.OutLines(), (Lines{kSuccess936 + "\t" + folder + "a.p6k",
                                        kSuccess936 + "\t" + folder + "b.p6k"}));
    ProcessResult restored = P6kExe({"decrypt", folder});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(dir.Names(), (Lines{"a.txt", "b.txt"}));
    EXPECT_EQ(ReadBytes(dir / "b.txt"), "in the folder");
    unlink((dir / "b.txt").c_str());
  }
}

// Linux allows names Windows cannot hold, and Wine shows them as they are:
// "a\b.txt" would name b.txt in the folder a, "report.txt." the file
// report.txt. Each is a row that fails and touches nothing, listed or named;
// "a\b.txt", listed as "a?b.txt", fails for its name, not as a missing file.
TEST(WineCross, NamesWindowsCannotHoldActOnNoOtherFile) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  ASSERT_TRUE(MakeFolder(dir / "a"));
  WriteBytes(dir / "a/b.txt", "in the folder a");
  WriteBytes(dir / "a\\b.txt", "backslash");
  WriteBytes(dir / "report.txt", "report");
  WriteBytes(dir / "report.txt.", "trailing dot");
  WriteBytes(dir / "space.txt ", "trailing space");
  const std::string folder = WinePath(dir.path());

  ProcessResult named = P6kExe({"encrypt", folder + "report.txt.", folder + "space.txt "});
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_EQ(named.OutLines(), (Lines{kFailed936 + "\t" + folder + "report.txt.",
                                     kFailed936 + "\t" + folder + "space.txt "}));
  EXPECT_EQ(ReadBytes(dir / "report.txt"), "report");

  ProcessResult listed = P6kExe({"encrypt", folder});
  EXPECT_EQ(listed.exitCode, 1);
  EXPECT_EQ(listed.OutLines(), (Lines{kFailed936 + "\t" + folder + "a?b.txt",
                                      kSuccess936 + "\t" + folder + "report.p6k",
                                      kFailed936 + "\t" + folder + "report.txt.",
                                      kFailed936 + "\t" + folder + "space.txt "}));
  // The listed "a\b.txt" is there: its name is what cannot be carried.
  EXPECT_NE(listed.err.find("p6k: " + folder + "a?b.txt: the name holds a character no path here "
                            "can carry"),
            std::string::npos)
      << listed.err;
  EXPECT_EQ(dir.Names(), (Lines{"a", "a\\b.txt", "report.p6k", "report.txt.", "space.txt "}));
  EXPECT_EQ(ListFolder(dir / "a"), Lines{"b.txt"});
  EXPECT_EQ(ReadBytes(dir / "a\\b.txt"), "backslash");
  EXPECT_EQ(ReadBytes(dir / "report.txt."), "trailing dot");
  EXPECT_EQ(ReadBytes(dir / "space.txt "), "trailing space");
}

// A Unix name holding ":" is listed with "?" in its place (see above); given
// by its name, the ":" reaches the engine, whose decryption would refuse such
// an extension, so the encryption refuses it first. The file stays as it was.
TEST(WineCross, WindowsToolRefusesAnExtensionTheDecryptionWouldRefuse) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  WriteBytes(dir / "meeting.10:30", "minutes");
  WriteBytes(dir / "plain.txt", "plain");
  const std::string folder = WinePath(dir.path());
  for (const Lines& given : {Lines{folder}, Lines{folder + "meeting.10:30"}}) {
    ProcessResult windows = P6kExe({"encrypt", given[0]});
    EXPECT_EQ(windows.exitCode, 1) << windows.err;
    EXPECT_EQ(windows.OutLines().at(0).substr(0, kFailed936.size() + 1), kFailed936 + "\t");
  }
  EXPECT_EQ(dir.Names(), (Lines{"meeting.10:30", "plain.p6k"}));
  EXPECT_EQ(ReadBytes(dir / "meeting.10:30"), "minutes");
}

// Wine starts a program deeper than 260 characters only from the Unix side,
// as a user's `wine` does. Such a program still registers ".p6k": with its
// short path when there is one, else with its long path.
TEST(WineCross, ProgramBeyond260CharactersRegistersItself) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  std::string deep = dir.path().substr(0, dir.path().size() - 1);
  while (deep.size() < 300) {
    deep += "/a rather long folder name";
    ASSERT_TRUE(MakeFolder(deep));
  }
  const std::string program = deep + "/sorvan.exe";
  WriteBytes(program, ReadBytes(SORVAN_EXE_PATH).value_or(""));
  const std::string type = "HKCU\\Software\\Classes\\SORVANProgrammer.File";
  RunProcess({WINE_RUN_PATH, "reg", "delete", type, "/f"}, {});

  std::string value;
  {
    ChildProcess started({WINE_RUN_PATH, program}, {});
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (value.empty() && std::chrono::steady_clock::now() < deadline) {
      ProcessResult query =
          RunProcess({WINE_RUN_PATH, "reg", "query", type + "\\shell\\open\\command"}, {});
      std::size_t at = query.out.find("REG_SZ");
      if (at != std::string::npos) {
        value = query.out.substr(query.out.find_first_not_of(' ', at + 6));
        value = value.substr(0, value.find_first_of("\r\n"));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
    }
    started.Signal(SIGKILL);
    started.Wait();
  }
  RunProcess({WINE_RUN_PATH, "reg", "delete", type, "/f"}, {});
  const std::string tail = " \"%1\"";
  ASSERT_GT(value.size(), tail.size()) << "nothing registered";
  EXPECT_EQ(value.substr(value.size() - tail.size()), tail);
  ProcessResult named =
      RunProcess({WINE_RUN_PATH, "winepath.exe", "-u", value.substr(0, value.size() - tail.size())}, {});
  EXPECT_EQ(named.OutLines().at(0), program);
}

// The Windows tool tells the same reasons on standard error, the paths in
// the form it was given them, and warns of a name it will not give back whole.
TEST(WineCross, WindowsToolSaysWhyARowFailed) {
  SKIP_WITHOUT_WINDOWS_BUILD();
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "plain");
  WriteBytes(dir / "data.extension12", "long");
  MakeFolder(dir / "empty");
  const std::string folder = WinePath(dir.path());
  struct Case { const char* what; Lines args; std::string err; int exitCode; } cases[] = {
      {"no such file", {"encrypt", folder + "missing.txt"},
       "p6k: " + folder + "missing.txt: no such file\n", 1},
      {"a file where a folder was expected", {"encrypt", folder + "a.txt\\b.txt"},
       "p6k: " + folder + "a.txt\\b.txt: a folder was expected, but a part of the path is a file\n", 1},
      {"not a container", {"decrypt", folder + "a.txt"},
       "p6k: " + folder + "a.txt: not a container: its name does not end in p6k\n", 1},
      {"an empty folder", {"encrypt", folder + "empty"},
       "p6k: " + folder + "empty: no files in this folder\n", 0},
      {"a long extension", {"encrypt", folder + "data.extension12"},
       "p6k: " + folder + "data.extension12: will come back as data.extensio (the container "
       "keeps only the first 8 bytes of an extension)\n", 0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProcessResult r = P6kExe(c.args);
    std::string err = r.err;  // the Windows console's line ends, read as "\n"
    err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(r.exitCode, c.exitCode);
  }
  EXPECT_EQ(dir.Names(), (Lines{"a.txt", "data.p6k", "empty"}));
}

}  // namespace
