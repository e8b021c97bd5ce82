// What a run killed at a bad moment leaves, the next run settles.
#include <gtest/gtest.h>

#include <algorithm>

#include "output_writer.h"
#include "run_helpers.h"
#include "scratch_dir.h"

namespace {

using Names = std::vector<std::string>;
using Op = FaultyFileSystem::Op;
const std::string kPassword = "pw";

// A writer that is still at work holds its temporary file as the runs hold
// theirs.
class LivingWriter {
 public:
  LivingWriter(const std::string& path, const std::string& likeFile) {
    FileHandle like = 0;
    if (!m_fs.OpenExisting(likeFile, like)) return;
    m_held = m_fs.CreateNew(path, like, m_file) == CreateResult::Created;
    m_fs.Close(like);
  }
  ~LivingWriter() {
    if (m_held) m_fs.Close(m_file);
  }
  bool held() const { return m_held; }

 private:
  FileSystem& m_fs = NativeFileSystem();
  FileHandle m_file = 0;
  bool m_held = false;
};

TEST(Leftovers, ADeadWritersTemporaryGoesEverythingElseStays) {
  for (bool encrypt : {true, false}) {
    SCOPED_TRACE(encrypt ? "encrypt" : "decrypt");
    ScratchDir dir;
    const std::string row = encrypt ? "f.txt" : "f.p6k";
    WriteBytes(dir / row, encrypt ? "plain" : ContainerFromLayout("plain", "txt", DeriveKey(kPassword)));
    WriteBytes(dir / "~p6k1a2b.tmp", PatternBytes(5000));  // its writer died
    WriteBytes(dir / "kept.bin", "a link's target");
    Names stay = {"kept.bin", "~p6k12.tmp", "~p6kxyzw.tmp", "~p6k1234.tmp.part", "a~p6k1234.tmp"};
    for (std::size_t i = 1; i < stay.size(); ++i) WriteBytes(dir / stay[i], "not ours");
    ASSERT_TRUE(MakeFolder(dir / "~p6kd00d.tmp"));
    stay.push_back("~p6kd00d.tmp");
    if (MakeLink(dir / "kept.bin", dir / "~p6kcafe.tmp")) stay.push_back("~p6kcafe.tmp");
    LivingWriter writer(dir / "~p6kbeef.tmp", dir / "kept.bin");
    ASSERT_TRUE(writer.held());
    stay.push_back("~p6kbeef.tmp");

    RecordingListener view = encrypt ? RunEncrypt({dir / row}, kPassword)
                                     : RunDecrypt({dir / row}, kPassword);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
    stay.push_back(encrypt ? "f.p6k" : "f.txt");
    std::sort(stay.begin(), stay.end());
    EXPECT_EQ(dir.Names(), stay);
    EXPECT_EQ(ReadBytes(dir / "kept.bin"), "a link's target");
  }
}

// A run of many rows lists each of its folders once, at the folder's first row.
TEST(Leftovers, EachFolderIsSweptOnceARun) {
  ScratchDir dir;
  ASSERT_TRUE(MakeFolder(dir / "sub"));
  const std::string sub = dir / "sub" + kSeparator;
  std::vector<std::string> rows = {dir / "a.txt", dir / "b.txt", sub + "c.txt", dir / "d.txt"};
  for (const auto& path : rows) WriteBytes(path, "x");
  WriteBytes(dir / "~p6k0001.tmp", "left");
  WriteBytes(sub + "~p6k0002.tmp", "left");
  FaultyFileSystem fs;
  RecordingListener view = RunEncrypt(rows, kPassword, &fs);
  EXPECT_EQ(view.outcomes, std::vector<Outcome>(rows.size(), Outcome::Done));
  EXPECT_EQ(fs.Count(Op::List), 2);
  EXPECT_EQ(dir.Names(), (Names{"a.p6k", "b.p6k", "d.p6k", "sub"}));
  EXPECT_EQ(ListFolder(dir / "sub"), Names{"c.p6k"});
}

}  // namespace
