// Real volumes that the test mounts itself: a full disk, file systems whose
// clocks are coarse, a folder that can be written but not read, and files of
// another owner. Mounting and changing owners need root; elsewhere each test
// says why it skipped.
#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Op = FaultyFileSystem::Op;

bool Quietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A volume mounted on a folder for the life of the object: a small tmpfs, or
// an image made with mkfs and mounted through a loop device, or through FUSE
// where the kernel lacks the file system.
class TestVolume {
 public:
  struct Kind {
    const char* name;
    const char* make;        // mkfs command, given the image; null for tmpfs
    const char* type;        // the kernel's file system type
    const char* fuseMount;   // a FUSE mounter, given image and folder; may be null
  };

  TestVolume(const Kind& kind, const std::string& folder) : m_folder(folder) {
    if (!kind.make) {
      m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m") == 0;
      m_fuse = false;
      if (!m_mounted) m_why = "cannot mount a small tmpfs here (needs root)";
      return;
    }
    const std::string image = folder + ".img";
    if (!MakeSizedFile(image, 16u << 20) || !Quietly(std::string(kind.make) + " " + image)) {
      m_why = std::string("cannot make a ") + kind.name + " image (" + kind.make + ")";
      return;
    }
    m_mounted = Quietly("mount -t " + std::string(kind.type) + " -o loop " + image + " " + folder);
    if (!m_mounted && kind.fuseMount) {
      m_mounted = Quietly(std::string(kind.fuseMount) + " " + image + " " + folder);
      m_fuse = m_mounted;
    }
    if (!m_mounted) m_why = std::string("cannot mount a ") + kind.name + " image here (needs root)";
  }
  ~TestVolume() {
    if (!m_mounted) return;
    if (m_fuse) Quietly("fusermount -u " + m_folder);
    else umount(m_folder.c_str());
  }
  bool mounted() const { return m_mounted; }
  const std::string& why() const { return m_why; }

 private:
  std::string m_folder;
  bool m_mounted = false;
  bool m_fuse = false;
  std::string m_why;
};

const TestVolume::Kind kSmallTmpfs = {"tmpfs", nullptr, "tmpfs", nullptr};

TEST(Volumes, EncryptionThatDoesNotFitFailsAndLeavesTheSource) {
  ScratchDir dir;
  std::string volume = dir / "small";
  ASSERT_TRUE(MakeFolder(volume));
  TestVolume small(kSmallTmpfs, volume);
  if (!small.mounted()) GTEST_SKIP() << small.why();
  const std::string source = volume + "/big.bin";
  const std::string content = PatternBytes(3u << 20);
  WriteBytes(source, content);
  RecordingListener view = RunEncrypt({source}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::WriteFailed});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(ReadBytes(source), content);
  EXPECT_FALSE(PathExists(volume + "/big.p6k"));
  EXPECT_TRUE(NoTemporaryFiles(ListFolder(volume)));
}

struct SameSecondChange {
  bool timesUnchanged = false;  // the change left size and times as they were
  std::string bytes;
};

// Another program rewrites the source in place once its output stands, with
// the same size; on a coarse clock its times then look untouched.
SameSecondChange RewriteInPlace(const std::string& path) {
  SameSecondChange change;
  struct stat before, after;
  int fd = open(path.c_str(), O_WRONLY);
  if (fd < 0 || fstat(fd, &before) != 0 || pwrite(fd, "\x01\x02", 2, 0) != 2 || fsync(fd) != 0 ||
      fstat(fd, &after) != 0) {
    ADD_FAILURE() << "cannot rewrite " << path;
  } else {
    change.timesUnchanged = before.st_size == after.st_size &&
                            before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
                            before.st_mtim.tv_nsec == after.st_mtim.tv_nsec &&
                            before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
                            before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
  }
  if (fd >= 0) close(fd);
  change.bytes = ReadBytes(path).value_or("");
  return change;
}

TEST(Volumes, AnInPlaceChangeUnderACoarseClockIsCaught) {
  const TestVolume::Kind kinds[] = {
      {"ext2 with 128-byte inodes", "mkfs.ext2 -q -F -I 128", "ext2", nullptr},
      {"vfat", "mkfs.vfat", "vfat", "fusefat -o rw+"},
  };
  std::string skipped;
  for (const TestVolume::Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    ScratchDir dir;
    const std::string volume = dir / "volume";
    ASSERT_TRUE(MakeFolder(volume));
    TestVolume mounted(kind, volume);
    if (!mounted.mounted()) {
      skipped += mounted.why() + "; ";
      continue;
    }
    // A change that happens to cross a tick of the clock shows in the times
    // and proves nothing about coarse clocks: such a try is made again.
    bool provenUnseen = false;
    for (int attempt = 0; attempt < 5 && !provenUnseen; ++attempt) {
      const std::string source = volume + "/f" + std::to_string(attempt) + ".txt";
      WriteBytes(source, PatternBytes(5000, attempt));
      SameSecondChange change;
      FaultyFileSystem fs;
      fs.After(Op::Move, [&] { change = RewriteInPlace(source); });
      RecordingListener view = RunEncrypt({source}, "pw", &fs);
      provenUnseen = change.timesUnchanged;
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::SourceChanged});
      EXPECT_TRUE(ReadBytes(source) == change.bytes) << "the change is lost";
    }
    EXPECT_TRUE(provenUnseen) << "every change crossed a tick of the clock";
  }
  if (!skipped.empty()) GTEST_SKIP() << skipped;
}

// Runs the encryption of path in a child process under another user; the
// child's exit code is the row's outcome.
Outcome EncryptAs(uid_t user, gid_t group, const std::string& path) {
  pid_t child = fork();
  if (child == 0) {
    if (setgid(group) != 0 || setuid(user) != 0) _exit(100);
    RecordingListener view = RunEncrypt({path}, "pw");
    _exit(view.outcomes.size() == 1 ? static_cast<int>(view.outcomes[0]) : 101);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return static_cast<Outcome>(WIFEXITED(status) ? WEXITSTATUS(status) : 102);
}

const uid_t kNobody = 65534;
const gid_t kNogroup = 65534;

// The user can write the folder but not list it, so the folder cannot be
// opened to flush the move: the move is made durable another way, and the
// row is decided by what stands on disk.
TEST(Volumes, AFolderThatCannotBeReadStillFinishesItsRows) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ScratchDir dir;
  const std::string folder = dir / "drop";
  ASSERT_TRUE(MakeFolder(folder));
  WriteBytes(folder + "/a.txt", "inside");
  ASSERT_EQ(chmod(dir.path().c_str(), 0711), 0);
  ASSERT_EQ(chown((folder + "/a.txt").c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chown(folder.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0300), 0);

  EXPECT_EQ(EncryptAs(kNobody, kNogroup, folder + "/a.txt"), Outcome::Done);
  EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"a.p6k"});
  EXPECT_EQ(ReadBytes(folder + "/a.p6k"), ContainerFromLayout("inside", "txt", DeriveKey("pw")));
}

// A run as root over another user's file leaves an output that the user owns,
// so the user can still decrypt it.
TEST(Volumes, OutputKeepsTheSourcesOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "theirs");
  ASSERT_EQ(chown((dir / "a.txt").c_str(), kNobody, kNogroup), 0);
  RecordingListener view = RunEncrypt({dir / "a.txt"}, "pw");
  ASSERT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
  struct stat st;
  ASSERT_EQ(stat((dir / "a.p6k").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNogroup);
}

}  // namespace
#endif
