#include <gtest/gtest.h>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "crypt/single_decrypt.h"

namespace {

using Names = std::vector<std::string>;

TEST(SingleDecrypt, Outcomes) {
  std::uint8_t key = DeriveKey("pw");
  std::string good = ContainerFromLayout("content", "txt", key);
  struct Case {
    std::string name; std::string bytes; std::string password; Outcome outcome; Names after;
  } cases[] = {
      {"x.p6k", good, "pw", Outcome::Done, {"x.txt"}},
      {"x.p6k", ContainerFromLayout("", "txt", key), "pw", Outcome::Done, {"x.txt"}},
      {"renamed.bin", good, "pw", Outcome::Done, {"renamed.txt"}},  // no suffix test here
      {"x.p6k", good, "wrong", Outcome::MarkerMismatch, {"x.p6k"}},
      {"x.p6k", "short", "pw", Outcome::MarkerMismatch, {"x.p6k"}},
      // 20 bytes whose end reads back as marker and tag: too short all the same.
      {"x.p6k", ContainerFromLayout("", "", key).substr(1), "pw", Outcome::MarkerMismatch, {"x.p6k"}},
      {"x.p6k", ContainerFromLayout("c", "a:b", key), "pw", Outcome::UnsafeExtension, {"x.p6k"}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name + " " + c.password);
    ScratchDir dir;
    WriteBytes(dir / c.name, c.bytes);
    SingleDecryption result = DecryptSingleFile(dir / c.name, DeriveKey(c.password));
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(dir.Names(), c.after);
  }
}

TEST(SingleDecrypt, MissingFileAndTakenName) {
  ScratchDir dir;
  EXPECT_EQ(DecryptSingleFile(dir / "none.p6k", DeriveKey("pw")).outcome, Outcome::OpenFailed);
  WriteBytes(dir / "x.p6k", ContainerFromLayout("new", "txt", DeriveKey("pw")));
  WriteBytes(dir / "x.txt", "first copy");
  SingleDecryption result = DecryptSingleFile(dir / "x.p6k", DeriveKey("pw"));
  EXPECT_EQ(result.outcome, Outcome::NameTaken);
  EXPECT_EQ(result.restoredPath, dir / "x.txt");
  EXPECT_EQ(ReadBytes(dir / "x.txt"), "first copy");
  EXPECT_EQ(dir.Names(), (Names{"x.p6k", "x.txt"}));
}

// The file stands restored already, byte for byte: the prompt has what it
// was asked for and removes nothing.
TEST(SingleDecrypt, ARestoredFileStandingAlreadyKeepsItsContainer) {
  ScratchDir dir;
  const std::string container = ContainerFromLayout("same", "txt", DeriveKey("pw"));
  WriteBytes(dir / "x.p6k", container);
  WriteBytes(dir / "x.txt", "same");
  SingleDecryption result = DecryptSingleFile(dir / "x.p6k", DeriveKey("pw"));
  EXPECT_EQ(result.outcome, Outcome::AlreadyInPlace);
  EXPECT_EQ(result.restoredPath, dir / "x.txt");
  EXPECT_EQ(ReadBytes(dir / "x.p6k"), container);
  EXPECT_EQ(ReadBytes(dir / "x.txt"), "same");
  EXPECT_EQ(dir.Names(), (Names{"x.p6k", "x.txt"}));
}

TEST(SingleDecrypt, FailedDeleteKeepsBoth) {
  ScratchDir dir;
  WriteBytes(dir / "x.p6k", ContainerFromLayout("data", "txt", DeriveKey("pw")));
  FaultyFileSystem fs;
  fs.FailOn(FaultyFileSystem::Op::DeleteOpened, 1);
  SingleDecryption result = DecryptSingleFile(dir / "x.p6k", DeriveKey("pw"), fs);
  EXPECT_EQ(result.outcome, Outcome::DeleteFailed);
  EXPECT_EQ(ReadBytes(dir / "x.txt"), "data");
  EXPECT_EQ(dir.Names(), (Names{"x.p6k", "x.txt"}));
}

}  // namespace
