#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Lines = std::vector<std::string>;

// A decrypt run over plain files changes nothing and prints every row it
// took, in its order.
TEST(Expansion, FoldersInByteOrderOfNames) {
  ScratchDir dir;
  const std::string top = dir / "top";
  MakeFolder(top);
  MakeFolder(top + "/m");
  MakeFolder(top + "/m/deep");
  MakeFolder(top + "/0dir");
  for (const char* name : {"b.txt", "a.txt", "B.txt", "中.txt", "a b.txt", "m/z.txt", "m/c.txt",
                           "m/deep/x.txt", "0dir/y.txt"})
    WriteBytes(top + "/" + name, name);

  auto rowsOf = [&](const std::vector<std::string>& prefixes, const std::vector<std::string>& names) {
    Lines lines;
    for (std::size_t i = 0; i < names.size(); ++i)
      lines.push_back(Line(kNotEncrypted, prefixes[i] + names[i]));
    return lines;
  };
  const std::vector<std::string> flat{"B.txt", "a b.txt", "a.txt", "b.txt", "中.txt"};
  struct Case { const char* what; std::vector<std::string> args; Lines lines; } cases[] = {
      {"folder", {"decrypt", top}, rowsOf(Lines(5, top + "/"), flat)},
      {"folder with separator", {"decrypt", top + "/"}, rowsOf(Lines(5, top + "/"), flat)},
      {"recursive", {"decrypt", "-r", top},
       rowsOf(Lines(9, top + "/"), {"0dir/y.txt", "B.txt", "a b.txt", "a.txt", "b.txt", "m/c.txt",
                                    "m/deep/x.txt", "m/z.txt", "中.txt"})},
      {"paths in the order given", {"decrypt", top + "/m", top + "/a.txt"},
       rowsOf(Lines(3, top + "/"), {"m/c.txt", "m/z.txt", "a.txt"})},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProcessResult r = P6k(c.args);
    EXPECT_EQ(r.OutLines(), c.lines);
    EXPECT_EQ(r.exitCode, 1);
  }
}

bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool MakeSocket(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// Links are rows that fail and stay as they are, whatever they point at;
// special files and the runs' temporary files are never opened.
TEST(Expansion, LinksFailAndSpecialFilesAreSkipped) {
  ScratchDir outside;
  WriteBytes(outside / "target.txt", "target");
  MakeFolder(outside / "folder");
  WriteBytes(outside / "folder/inner.txt", "inner");
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "plain");
  ASSERT_EQ(symlink((outside / "target.txt").c_str(), (dir / "link.txt").c_str()), 0);
  ASSERT_EQ(symlink((outside / "folder").c_str(), (dir / "dirlink").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_TRUE(MakeSocket(dir / "sock"));
  // A run still at work holds its temporary file: it is never a row, and it
  // stays while its writer lives.
  FileSystem& fs = NativeFileSystem();
  FileHandle like = 0, held = 0;
  ASSERT_TRUE(fs.OpenExisting(dir / "a.txt", like));
  ASSERT_EQ(fs.CreateNew(dir / "~p6k1a2b.tmp", like, held), CreateResult::Created);
  fs.Close(like);
  ASSERT_TRUE(fs.Write(held, "temporary", 9));
  WriteBytes(dir / "~p6kzzzz.tmp", "not one of ours");

  struct Case { const char* what; std::vector<std::string> args; Lines lines; int exitCode; } cases[] = {
      {"met in a folder", {"encrypt", "-r", dir.path()},
       {Line(kSuccess, dir / "a.p6k"), Line(kFailed, dir / "dirlink"),
        Line(kFailed, dir / "link.txt"), Line(kSuccess, dir / "~p6kzzzz.p6k")}, 1},
      {"given", {"encrypt", dir / "fifo", dir / "link.txt", dir / "sock", dir / "~p6k1a2b.tmp"},
       {Line(kFailed, dir / "link.txt")}, 1},
      // An argument that gives no row is a failure, told on standard error.
      {"a FIFO alone", {"encrypt", dir / "fifo"}, {}, 1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProcessResult r = P6k(c.args);
    EXPECT_EQ(r.OutLines(), c.lines);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_TRUE(IsLink(dir / "link.txt"));
    EXPECT_TRUE(IsLink(dir / "dirlink"));
    EXPECT_EQ(ReadBytes(outside / "target.txt"), "target");
    EXPECT_EQ(ReadBytes(outside / "folder/inner.txt"), "inner");
    EXPECT_EQ(ReadBytes(dir / "~p6k1a2b.tmp"), "temporary");
    EXPECT_EQ(outside.Names(), (Lines{"folder", "target.txt"}));
  }
  EXPECT_EQ(dir.Names(), (Lines{"a.p6k", "dirlink", "fifo", "link.txt", "sock", "~p6k1a2b.tmp",
                                "~p6kzzzz.p6k"}));
  fs.Close(held);
}

}  // namespace
