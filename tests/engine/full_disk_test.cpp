#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>

#include "run_helpers.h"
#include "scratch_dir.h"

namespace {

// A real full disk: a 4 MiB tmpfs holding a 3 MiB source has no room for its
// container. Mounting needs root; elsewhere the test says why it skipped.
class SmallVolume {
 public:
  explicit SmallVolume(const std::string& folder) : m_folder(folder) {
    m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m") == 0;
  }
  ~SmallVolume() {
    if (m_mounted) umount(m_folder.c_str());
  }
  bool mounted() const { return m_mounted; }

 private:
  std::string m_folder;
  bool m_mounted;
};

TEST(FullDisk, EncryptionThatDoesNotFitFailsAndLeavesTheSource) {
  ScratchDir dir;
  std::string volume = dir / "small";
  ASSERT_TRUE(MakeFolder(volume));
  SmallVolume small(volume);
  if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  const std::string source = volume + "/big.bin";
  const std::string content = PatternBytes(3u << 20);
  WriteBytes(source, content);
  RecordingView view = RunEncrypt({source}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::WriteFailed});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(view.rows[0].image, RowImage::Cross);
  EXPECT_EQ(ReadBytes(source), content);
  EXPECT_FALSE(PathExists(volume + "/big.p6k"));
  EXPECT_TRUE(NoTemporaryFiles(ListFolder(volume)));
}

}  // namespace
#endif
