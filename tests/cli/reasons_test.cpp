// What standard error says for a row or an argument that does not succeed,
// and for a name that will not come back as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Lines = std::vector<std::string>;

// "p6k: <path>: <words>", one line each, as standard error shows them.
std::string ErrLines(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string text;
  for (auto& [path, words] : lines) text += "p6k: " + path + ": " + words + "\n";
  return text;
}

TEST(Reasons, EachFailingArgumentSaysWhy) {
  struct Case {
    const char* what;
    std::function<void(const ScratchDir&)> make;
    Lines args;  // names in the scratch folder; "-r" as it is
    std::vector<std::pair<std::string, std::string>> statuses;  // status, name
    std::vector<std::pair<std::string, std::string>> reasons;   // name, words
    int exitCode;
  } cases[] = {
      {"no such file", [](const ScratchDir&) {}, {"missing.txt"},
       {{kFailed, "missing.txt"}}, {{"missing.txt", "no such file"}}, 1},
      {"no such folder", [](const ScratchDir&) {}, {"nowhere/x.txt"},
       {{kFailed, "nowhere/x.txt"}}, {{"nowhere/x.txt", "no such file"}}, 1},
      {"a file where a folder was expected",
       [](const ScratchDir& d) { WriteBytes(d / "a.txt", "plain"); }, {"a.txt/b.txt"},
       {{kFailed, "a.txt/b.txt"}},
       {{"a.txt/b.txt", "a folder was expected, but a part of the path is a file"}}, 1},
      {"a link", [](const ScratchDir& d) {
         WriteBytes(d / "t.txt", "target");
         MakeLink(d / "t.txt", d / "l.txt");
       }, {"l.txt"}, {{kFailed, "l.txt"}}, {{"l.txt", "a link, which is never followed"}}, 1},
      {"a FIFO", [](const ScratchDir& d) { mkfifo((d / "fifo").c_str(), 0644); }, {"fifo"}, {},
       {{"fifo", "not a regular file or folder; left out"}}, 1},
      {"a temporary file", [](const ScratchDir& d) { WriteBytes(d / "~p6k0a0b.tmp", "t"); },
       {"~p6k0a0b.tmp"}, {}, {{"~p6k0a0b.tmp", "a temporary file of an unfinished run; left out"}}, 1},
      {"an empty folder", [](const ScratchDir& d) { MakeFolder(d / "empty"); }, {"empty"}, {},
       {{"empty", "no files in this folder"}}, 0},
      {"an empty tree", [](const ScratchDir& d) {
         MakeFolder(d / "empty");
         MakeFolder(d / "empty/inner");
       }, {"-r", "empty"}, {}, {{"empty", "no files in this folder or below it"}}, 0},
      {"reasons follow the rows in order", [](const ScratchDir& d) {
         WriteBytes(d / "x.p6k", "data");
         WriteBytes(d / "ok.txt", "fine");
       }, {"x.p6k", "ok.txt", "gone.txt"},
       {{kAlreadyEncrypted, "x.p6k"}, {kSuccess, "ok.p6k"}, {kFailed, "gone.txt"}},
       {{"x.p6k", "its name already ends in p6k, so it is taken for a container"},
        {"gone.txt", "no such file"}}, 1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    c.make(dir);
    Lines args{"encrypt"};
    for (auto& a : c.args) args.push_back(a == "-r" ? a : dir / a);
    Lines out;
    for (auto& [status, name] : c.statuses) out.push_back(Line(status, dir / name));
    std::vector<std::pair<std::string, std::string>> reasons;
    for (auto& [name, words] : c.reasons) reasons.push_back({dir / name, words});

    ProcessResult r = P6k(args);
    EXPECT_EQ(r.OutLines(), out);
    EXPECT_EQ(r.err, ErrLines(reasons));
    EXPECT_EQ(r.exitCode, c.exitCode);
  }
}

// Another program holds the file open: the row fails before anything is
// written, and says so.
TEST(Reasons, AFileHeldByAnotherProgram) {
  ScratchDir dir;
  WriteBytes(dir / "held.txt", "busy");
  int fd = open((dir / "held.txt").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ProcessResult r = P6k({"encrypt", dir / "held.txt"});
  close(fd);
  EXPECT_EQ(r.OutLines(), Lines{Line(kFailed, dir / "held.txt")});
  EXPECT_EQ(r.err, ErrLines({{dir / "held.txt", "cannot be opened for writing (read-only, in use "
                                                 "by another program, or not permitted)"}}));
  EXPECT_EQ(dir.Names(), Lines{"held.txt"});
}

// Masking warns of a name the container will not give back whole, names the
// one it will give back, and goes ahead; decrypting then gives that name.
TEST(Reasons, NamesThatDoNotComeBackAsTheyWere) {
  const char kCut[] = "the container keeps only the first 8 bytes of an extension";
  const char kDot[] = "the container keeps no dot at the end of a name";
  struct Case { const char* name; const char* returned; const char* why; } cases[] = {
      {"data.extension12", "data.extensio", kCut},
      {"name.", "name", kDot},
      {"archive.tar.", "archive.tar", kDot},
      // 4 + 2 characters of code page 936: a character the cut would split is dropped whole.
      {"报告.a文档文档", "报告.a文档文", kCut},
      {"data.12345678", "data.12345678", nullptr},  // exactly the 8 bytes kept
      {"报告.文档文档", "报告.文档文档", nullptr},      // 8 bytes in code page 936
      {"README", "README", nullptr},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    WriteBytes(dir / c.name, "content");
    ProcessResult sealed = P6k({"encrypt", dir / c.name});
    EXPECT_EQ(sealed.exitCode, 0);
    std::string warning = c.why ? "p6k: " + (dir / c.name) + ": will come back as " +
                                      c.returned + " (" + c.why + ")\n"
                                : "";
    EXPECT_EQ(sealed.err, warning);
    ASSERT_EQ(dir.Names().size(), 1u);
    ProcessResult opened = P6k({"decrypt", dir / dir.Names()[0]});
    EXPECT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_EQ(dir.Names(), Lines{c.returned});
    EXPECT_EQ(ReadBytes(dir / c.returned), "content");
  }
}

// Two names that differ only in their extension share one container name:
// the second is refused and nothing is lost.
TEST(Reasons, TwoExtensionsOfOneBaseName) {
  ScratchDir dir;
  WriteBytes(dir / "notes.md", "markdown");
  WriteBytes(dir / "notes.txt", "text");
  ProcessResult r = P6k({"encrypt", dir / "notes.md", dir / "notes.txt"});
  EXPECT_EQ(r.OutLines(), (Lines{Line(kSuccess, dir / "notes.p6k"), Line(kNameTaken, dir / "notes.txt")}));
  EXPECT_EQ(r.err, ErrLines({{dir / "notes.txt", "the container's name exists already (another "
                                                  "file of this base name?); nothing was replaced"}}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(dir.Names(), (Lines{"notes.p6k", "notes.txt"}));
  EXPECT_EQ(ReadBytes(dir / "notes.txt"), "text");
}

}  // namespace
