#include <gtest/gtest.h>

#include "crypt/output_writer.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;
const std::string kPassword = "pw";

TEST(DecryptRun, RestoresUnderTheStoredExtension) {
  struct Case { std::string container; std::string plain; std::string field; std::string restored; } cases[] = {
      {"a.p6k", "hello", "txt", "a.txt"},
      {"empty.p6k", "", "dat", "empty.dat"},
      {"data.p6k", PatternBytes(1021), "properti", "data.properti"},
      {"README.p6k", "none", "", "README"},
      {"OLD.p6k", "old", "OLD", "OLD.OLD"},  // a container that carries its whole name
      {"cut.p6k", "c", "abcdefg\xCE", "cut.abcdefg"},  // a lead byte cut off by the field
      {"notap6k", "n", "txt", "notap6k.txt"},
      {"\xE6\x8A\xA5\xE5\x91\x8A.p6k", "zh", "\xCE\xC4\xB5\xB5",
       "\xE6\x8A\xA5\xE5\x91\x8A.\xE6\x96\x87\xE6\xA1\xA3"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.container);
    ScratchDir dir;
    WriteBytes(dir / c.container, ContainerFromLayout(c.plain, c.field, DeriveKey(kPassword)));
    // Another password with the same key byte opens it as well.
    RecordingListener view = RunDecrypt({dir / c.container}, kPassword + "zz");
    ASSERT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(view.rows[0].path, dir / c.restored);
    EXPECT_EQ(view.rows[0].status, RowStatus::Success);
    EXPECT_EQ(dir.Names(), Names{c.restored});
    EXPECT_EQ(ReadBytes(dir / c.restored), c.plain);
  }
}

TEST(DecryptRun, FailuresLeaveTheContainerAsItWas) {
  ScratchDir dir;
  std::string good = ContainerFromLayout("secret", "txt", DeriveKey(kPassword));
  std::string damagedTag = good;
  damagedTag[good.size() - 10] ^= 0x01;
  std::string escaping = ContainerFromLayout("x", "..\\evil", DeriveKey(kPassword));
  std::string slash = ContainerFromLayout("x", "a/b", DeriveKey(kPassword));
  struct Case { std::string name; std::string content; Outcome outcome; RowStatus status; } cases[] = {
      {"wrongkey.p6k", ContainerFromLayout("s", "txt", DeriveKey("other")), Outcome::MarkerMismatch, RowStatus::Failed},
      {"plain.p6k", "an ordinary file given the suffix", Outcome::MarkerMismatch, RowStatus::Failed},
      {"short.p6k", "tiny", Outcome::MarkerMismatch, RowStatus::Failed},
      // 20 bytes whose end reads back as marker and tag: too short all the same.
      {"twenty.p6k", ContainerFromLayout("", "", DeriveKey(kPassword)).substr(1), Outcome::MarkerMismatch, RowStatus::Failed},
      {"tag.p6k", damagedTag, Outcome::TagMismatch, RowStatus::Failed},
      {"escape.p6k", escaping, Outcome::UnsafeExtension, RowStatus::Failed},
      {"slash.p6k", slash, Outcome::UnsafeExtension, RowStatus::Failed},
      {"upper.P6K", good, Outcome::NotNamedAsContainer, RowStatus::NotEncrypted},
      {"plain.txt", good, Outcome::NotNamedAsContainer, RowStatus::NotEncrypted},
  };
  std::vector<std::string> paths;
  Names names;
  for (auto& c : cases) {
    WriteBytes(dir / c.name, c.content);
    paths.push_back(dir / c.name);
    names.push_back(c.name);
  }
  RecordingListener view = RunDecrypt(paths, kPassword);
  ASSERT_EQ(view.outcomes.size(), paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(view.outcomes[i], cases[i].outcome);
    EXPECT_EQ(view.rows[i].status, cases[i].status);
    EXPECT_EQ(view.rows[i].path, paths[i]);
    EXPECT_EQ(ReadBytes(paths[i]), cases[i].content);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(dir.Names(), names);
}

// Both runs share one limit on the data: a container may be 21 bytes longer
// than the largest source, so every container the runs write reads back.
TEST(DecryptRun, SizeLimitAppliesToTheDataLength) {
  const std::uint64_t limit = 1107296256ull;
  struct Case { std::uint64_t dataLength; bool tooLarge; } cases[] = {
      {limit, false}, {limit + 1, true}, {4ull << 30, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataLength);
    ScratchDir dir;
    ASSERT_TRUE(MakeSizedFile(dir / "big.p6k", c.dataLength));
    AppendBytes(dir / "big.p6k", ContainerFromLayout("", "bin", DeriveKey(kPassword)));
    // A container that passes the limit gets as far as its output, which
    // fails to be created here so the test writes no gigabyte.
    FaultyFileSystem fs;
    fs.FailOn(FaultyFileSystem::Op::Create);
    RecordingListener view = RunDecrypt({dir / "big.p6k"}, kPassword, &fs);
    EXPECT_EQ(view.outcomes,
              std::vector<Outcome>{c.tooLarge ? Outcome::TooLarge : Outcome::CreateFailed});
    EXPECT_EQ(view.rows[0].status, c.tooLarge ? RowStatus::TooLargeDecrypt : RowStatus::Failed);
    EXPECT_EQ(dir.Names(), Names{"big.p6k"});
  }
}

TEST(DecryptRun, NeverReplacesAnExistingFileOrFolder) {
  ScratchDir dir;
  std::string container = ContainerFromLayout("new", "txt", DeriveKey(kPassword));
  WriteBytes(dir / "a.p6k", container);
  WriteBytes(dir / "a.txt", "already here");
  WriteBytes(dir / "b.p6k", container);
  ASSERT_TRUE(MakeFolder(dir / "b.txt"));
  RecordingListener view = RunDecrypt({dir / "a.p6k", dir / "b.p6k"}, kPassword);
  EXPECT_EQ(view.outcomes, (std::vector<Outcome>{Outcome::NameTaken, Outcome::NameTaken}));
  EXPECT_EQ(view.rows[0].status, RowStatus::NameTaken);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "already here");
  EXPECT_EQ(ReadBytes(dir / "a.p6k"), container);
  EXPECT_EQ(ReadBytes(dir / "b.p6k"), container);
  EXPECT_EQ(dir.Names(), (Names{"a.p6k", "a.txt", "b.p6k", "b.txt"}));
}

// A container's bytes are told against its whole length: the trailer counts
// as done once the restored file stands.
TEST(DecryptRun, TellsTheBytesOfTheWholeContainer) {
  ScratchDir dir;
  const std::string data = PatternBytes(kTransferBufferSize + 10);
  WriteBytes(dir / "x.p6k", ContainerFromLayout(data, "txt", DeriveKey(kPassword)));
  RecordingListener view = RunDecrypt({dir / "x.p6k"}, kPassword);
  const std::uint64_t n = data.size() + 21;
  EXPECT_EQ(view.bytes[0], (std::vector<std::pair<std::uint64_t, std::uint64_t>>{
                               {kTransferBufferSize, n}, {data.size(), n}, {n, n}}));
  EXPECT_EQ(view.log, (std::vector<std::string>{"started", "row 0", "finished 0", "ended"}));
}

TEST(RoundTrip, EncryptThenDecryptTheSameRows) {
  ScratchDir dir;
  Names originals = {"a.txt", "archive.tar.gz", "empty", "image.png"};
  Names containers = {"a.p6k", "archive.tar.p6k", "empty.p6k", "image.p6k"};
  std::vector<std::string> paths, contents;
  for (std::size_t i = 0; i < originals.size(); ++i) {
    contents.push_back(originals[i] == "empty" ? "" : PatternBytes(5000 * i + 7, i));
    WriteBytes(dir / originals[i], contents[i]);
    paths.push_back(dir / originals[i]);
  }
  RecordingListener encrypted = RunEncrypt(paths, "key");
  EXPECT_EQ(encrypted.outcomes, std::vector<Outcome>(originals.size(), Outcome::Done));
  EXPECT_EQ(dir.Names(), containers);
  std::vector<std::string> rows;
  for (auto& row : encrypted.rows) rows.push_back(row.path);
  RecordingListener decrypted = RunDecrypt(rows, "key");
  EXPECT_EQ(decrypted.outcomes, std::vector<Outcome>(originals.size(), Outcome::Done));
  for (std::size_t i = 0; i < originals.size(); ++i) {
    EXPECT_EQ(encrypted.rows[i].path, dir / containers[i]);
    EXPECT_EQ(decrypted.rows[i].path, paths[i]);
    EXPECT_EQ(ReadBytes(paths[i]), contents[i]);
  }
  EXPECT_EQ(dir.Names(), originals);
}

}  // namespace
