// A source that another program changes, replaces or holds while its row
// works is never removed: what the other program wrote stays, beside the
// output made from what was read.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <memory>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Op = FaultyFileSystem::Op;
const std::string kPassword = "pw";

// One file of each run and the output it leaves beside itself.
struct RowFile {
  bool encrypt;
  std::string source, output, bytes;
};

std::vector<RowFile> RowFiles(const ScratchDir& dir) {
  const std::string plain = PatternBytes(3000, 4);
  return {{true, dir / "f.txt", dir / "f.p6k", plain},
          {false, dir / "g.p6k", dir / "g.txt",
           ContainerFromLayout(plain, "txt", DeriveKey(kPassword))}};
}

RecordingListener RunRow(const RowFile& file, FileSystem& fs) {
  return file.encrypt ? RunEncrypt({file.source}, kPassword, &fs)
                      : RunDecrypt({file.source}, kPassword, &fs);
}

// Where no watch can be had (inotify unavailable, Windows), the stamp stands
// alone: a difference in any of its parts is a change, not the size only.
TEST(SourceChanges, AStampDiffersInAnyOfItsParts) {
  const FileStamp read{3000, 1700000000, 1700000001, 0x801, 4242};
  FileStamp later[5] = {read, read, read, read, read};
  later[0].size = 3001;
  later[1].modified += 1;
  later[2].changed += 1;
  later[3].volume += 1;
  later[4].index += 1;
  EXPECT_TRUE(read == FileStamp(read));
  for (const FileStamp& stamp : later) EXPECT_TRUE(read != stamp);
}

#ifndef _WIN32

// The name may come to stand for another file while the open source itself
// is left untouched: its folder renamed away and a new folder of the same
// name made with a new file in it, as a sync tool or a second program might.
// No change event reaches the source (nothing happened to it) and its stamp
// is as read, so only the check that the name still stands for the open
// file, by its file number, keeps the newcomer from being removed. (On
// Windows the source is opened without sharing deletion, which keeps such a
// swap out, and the name is checked again when the source is removed.)
TEST(SourceChanges, ANameThatComesToStandForAnotherFileIsKeptWithIt) {
  for (bool encrypt : {true, false}) {
    SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
    ScratchDir dir;
    const std::string box = dir / "box", moved = dir / "box-old";
    MakeFolder(box);
    RowFile file = RowFiles(dir)[encrypt ? 0 : 1];
    const std::string leaf = file.source.substr(dir.path().size());
    const std::string outputLeaf = file.output.substr(dir.path().size());
    file.source = box + "/" + leaf;
    file.output = box + "/" + outputLeaf;
    WriteBytes(file.source, file.bytes);
    bool swapped = false;
    FaultyFileSystem fs;
    fs.After(Op::Move, [&] {
      swapped = std::rename(box.c_str(), moved.c_str()) == 0;
      MakeFolder(box);
      WriteBytes(file.source, "the newcomer");
    });
    RecordingListener view = RunRow(file, fs);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::SourceChanged});
    EXPECT_EQ(ReadBytes(file.source), "the newcomer") << "the newcomer is lost";
    EXPECT_TRUE(ReadBytes(moved + "/" + leaf) == file.bytes) << "the source is lost";
    EXPECT_TRUE(PathExists(moved + "/" + outputLeaf));
  }
}

// The changes another program makes once the output stands in place, before
// the source is removed. The stamp taken at the open sees none of the last two
// by size and last-write time.
void Append(const std::string& path) { AppendByte(path); }

void RewriteKeepingTimes(const std::string& path) {
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, "\x01\x02", 2, 0), 2);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  futimens(fd, times);
  close(fd);
}

void ReplaceKeepingSizeAndTimes(const std::string& path) {
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  const std::string other = path + ".other";
  WriteBytes(other, PatternBytes(static_cast<std::size_t>(before.st_size), 99));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  utimensat(AT_FDCWD, other.c_str(), times, 0);
  ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
}

TEST(SourceChanges, AChangedSourceIsKept) {
  struct Change { const char* what; void (*make)(const std::string&); } changes[] = {
      {"a byte appended", &Append},
      {"rewritten in place, times put back", &RewriteKeepingTimes},
      {"replaced by a rename, same size and times", &ReplaceKeepingSizeAndTimes},
  };
  for (const Change& change : changes) {
    ScratchDir dir;
    for (const RowFile& file : RowFiles(dir)) {
      SCOPED_TRACE(std::string(change.what) + (file.encrypt ? ", encrypt" : ", decrypt"));
      WriteBytes(file.source, file.bytes);
      std::optional<std::string> changed;
      FaultyFileSystem fs;
      fs.After(Op::Move, [&] {
        change.make(file.source);
        changed = ReadBytes(file.source);
      });
      RecordingListener view = RunRow(file, fs);
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::SourceChanged});
      EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
      EXPECT_EQ(view.rows[0].path, file.source);
      ASSERT_TRUE(changed.has_value());
      EXPECT_TRUE(*changed != file.bytes);
      EXPECT_TRUE(ReadBytes(file.source) == changed) << "the change is lost";
      EXPECT_TRUE(PathExists(file.output));
    }
  }
}

// Another process that holds the source open for writing and writes once
// more when told to, as a program does that keeps its file open.
class HoldingProcess {
 public:
  explicit HoldingProcess(const std::string& path) {
    if (pipe(m_ready) != 0 || pipe(m_go) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      int fd = open(path.c_str(), O_WRONLY | O_APPEND);
      char byte = 0;
      if (fd < 0 || write(m_ready[1], &byte, 1) != 1 || read(m_go[0], &byte, 1) != 1) _exit(1);
      _exit(write(fd, kLate, sizeof kLate - 1) == sizeof kLate - 1 ? 0 : 1);
    }
    char byte;
    m_held = m_pid > 0 && read(m_ready[0], &byte, 1) == 1;
  }
  ~HoldingProcess() { WriteAndEnd(); }
  bool held() const { return m_held; }
  // Has the holder write its late record and waits for its end.
  bool WriteAndEnd() {
    if (m_pid <= 0) return false;
    char byte = 1;
    int status = -1;
    bool wrote = write(m_go[1], &byte, 1) == 1 && waitpid(m_pid, &status, 0) == m_pid &&
                 WIFEXITED(status) && WEXITSTATUS(status) == 0;
    m_pid = -1;
    for (int fd : {m_ready[0], m_ready[1], m_go[0], m_go[1]}) close(fd);
    return wrote;
  }
  static constexpr char kLate[] = "<written later>";

 private:
  int m_ready[2] = {-1, -1}, m_go[2] = {-1, -1};
  pid_t m_pid = -1;
  bool m_held = false;
};

// A source that another process holds open is never removed: what it writes
// after the row would go to a file nobody can reach. Held from before the
// run, the row fails before anything is written; opened once the output
// stands, the row keeps both.
TEST(SourceChanges, ASourceAnotherProcessHoldsIsKept) {
  struct When { const char* what; bool beforeTheRun; Outcome outcome; } whens[] = {
      {"held before the run", true, Outcome::OpenFailed},
      {"opened once the output stands", false, Outcome::DeleteFailed},
  };
  for (const When& when : whens) {
    ScratchDir dir;
    for (const RowFile& file : RowFiles(dir)) {
      SCOPED_TRACE(std::string(when.what) + (file.encrypt ? ", encrypt" : ", decrypt"));
      WriteBytes(file.source, file.bytes);
      std::unique_ptr<HoldingProcess> holder;
      if (when.beforeTheRun) holder.reset(new HoldingProcess(file.source));
      FaultyFileSystem fs;
      fs.After(Op::Move, [&] {
        if (!holder) holder.reset(new HoldingProcess(file.source));
      });
      RecordingListener view = RunRow(file, fs);
      ASSERT_TRUE(holder && holder->held());
      ASSERT_TRUE(holder->WriteAndEnd());
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{when.outcome});
      EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
      EXPECT_TRUE(ReadBytes(file.source) == file.bytes + HoldingProcess::kLate)
          << "what the holder wrote is lost";
      EXPECT_EQ(PathExists(file.output), !when.beforeTheRun);
      EXPECT_TRUE(NoTemporaryFiles(dir.Names()));
    }
  }
}

#else

TEST(SourceChanges, OtherWritersAreKeptOutUntilTheSourceIsRemoved) {
  ScratchDir dir;
  for (const RowFile& file : RowFiles(dir)) {
    SCOPED_TRACE(file.encrypt ? "encrypt" : "decrypt");
    WriteBytes(file.source, file.bytes);
    bool writerGotIn = true;
    FaultyFileSystem fs;
    fs.After(Op::Move, [&] {
      HANDLE writer = CreateFileW(WideText(file.source).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
      writerGotIn = writer != INVALID_HANDLE_VALUE;
      if (writerGotIn) CloseHandle(writer);
    });
    RecordingListener view = RunRow(file, fs);
    EXPECT_FALSE(writerGotIn);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_FALSE(PathExists(file.source));
    EXPECT_TRUE(PathExists(file.output));
  }
}

#endif

}  // namespace
