// What a run killed at a bad moment leaves, the next run settles: its
// temporary files, and an original beside a complete container of itself
// (the kill fell between the move and the source's removal).
#include <gtest/gtest.h>

#include <algorithm>

#include "crypt/output_writer.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

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

std::string WithByteFlipped(std::string bytes, std::size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
  return bytes;
}

// Encryption meets a container under its output's name. Only a container
// that is, byte for byte, what this run would write of this source lets the
// source go; any other file keeps the name taken and nothing changes.
TEST(Leftovers, EncryptionFinishesWhereAKilledRunStopped) {
  const std::uint8_t key = DeriveKey(kPassword);
  const std::string big = PatternBytes(kTransferBufferSize + 100);
  const std::string bigContainer = ContainerFromLayout(big, "txt", key);
  struct Case { const char* what; std::string source; std::string existing; bool settled; } cases[] = {
      {"its complete container", "hello", ContainerFromLayout("hello", "txt", key), true},
      {"an empty file's container", "", ContainerFromLayout("", "txt", key), true},
      {"a long file's container", big, bigContainer, true},
      {"its last data byte differs", big, WithByteFlipped(bigContainer, big.size() - 1), false},
      {"its first data byte differs", big, WithByteFlipped(bigContainer, 0), false},
      {"cut short", big, bigContainer.substr(0, bigContainer.size() - 1), false},
      {"one byte longer", "hello", ContainerFromLayout("hello", "txt", key) + "x", false},
      {"another extension", "hello", ContainerFromLayout("hello", "dat", key), false},
      {"another key", "hello", ContainerFromLayout("hello", "txt", DeriveKey("other")), false},
      {"a file of the same length", "hello", std::string(26, 'h'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteBytes(dir / "f.txt", c.source);
    WriteBytes(dir / "f.p6k", c.existing);
    RecordingListener view = RunEncrypt({dir / "f.txt"}, kPassword);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.settled ? Outcome::Done : Outcome::NameTaken});
    EXPECT_EQ(view.rows[0].status, c.settled ? RowStatus::Success : RowStatus::NameTaken);
    EXPECT_EQ(view.rows[0].path, dir / (c.settled ? "f.p6k" : "f.txt"));
    EXPECT_EQ(ReadBytes(dir / "f.p6k"), c.existing);
    EXPECT_EQ(dir.Names(), c.settled ? Names{"f.p6k"} : (Names{"f.p6k", "f.txt"}));
    if (!c.settled) {
      EXPECT_EQ(ReadBytes(dir / "f.txt"), c.source);
    }
  }
}

// A container that a killed run left under its name may never have been
// made durable: it is flushed, and its name, before the source goes, and a
// source whose container cannot be made durable stays beside it.
TEST(Leftovers, AContainerFoundInPlaceIsMadeDurableBeforeItsSourceGoes) {
  const std::string container = ContainerFromLayout("hello", "txt", DeriveKey(kPassword));
  struct Case { const char* what; bool fails; Op op; } cases[] = {
      {"durable", false, Op::Flush},
      {"its data cannot be flushed", true, Op::Flush},
      {"its name cannot be flushed", true, Op::SyncNames},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteBytes(dir / "f.txt", "hello");
    WriteBytes(dir / "f.p6k", container);
    FaultyFileSystem fs;
    if (c.fails) fs.FailOn(c.op);
    RecordingListener view = RunEncrypt({dir / "f.txt"}, kPassword, &fs);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.fails ? Outcome::WriteFailed : Outcome::Done});
    EXPECT_EQ(fs.Count(Op::Flush), 2);  // the output written in vain, then the one found
    EXPECT_EQ(fs.Count(Op::SyncNames), c.fails && c.op == Op::Flush ? 0 : 1);
    EXPECT_EQ(ReadBytes(dir / "f.p6k"), container);
    EXPECT_EQ(dir.Names(), c.fails ? (Names{"f.p6k", "f.txt"}) : Names{"f.p6k"});
  }
}

// Decryption meets the file its container restores to. When that file is
// the container's content byte for byte, the row has what it asked for and
// succeeds, showing the file; nothing is removed, the container stays too.
TEST(Leftovers, DecryptionKeepsAnOriginalThatStandsRestored) {
  const std::uint8_t key = DeriveKey(kPassword);
  const std::string big = PatternBytes(kTransferBufferSize + 100);
  struct Case { const char* what; std::string plain; std::string existing; bool restored; } cases[] = {
      {"the very content", "hello", "hello", true},
      {"an empty file", "", "", true},
      {"a long file", big, big, true},
      {"its last byte differs", big, WithByteFlipped(big, big.size() - 1), false},
      {"cut short", "hello", "hell", false},
      {"one byte longer", "hello", "hello!", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string container = ContainerFromLayout(c.plain, "txt", key);
    WriteBytes(dir / "f.p6k", container);
    WriteBytes(dir / "f.txt", c.existing);
    RecordingListener view = RunDecrypt({dir / "f.p6k"}, kPassword);
    EXPECT_EQ(view.outcomes,
              std::vector<Outcome>{c.restored ? Outcome::AlreadyInPlace : Outcome::NameTaken});
    EXPECT_EQ(view.rows[0].status, c.restored ? RowStatus::Success : RowStatus::NameTaken);
    EXPECT_EQ(view.rows[0].path, dir / (c.restored ? "f.txt" : "f.p6k"));
    EXPECT_EQ(ReadBytes(dir / "f.p6k"), container);
    EXPECT_EQ(ReadBytes(dir / "f.txt"), c.existing);
    EXPECT_EQ(dir.Names(), (Names{"f.p6k", "f.txt"}));
  }
}

}  // namespace
