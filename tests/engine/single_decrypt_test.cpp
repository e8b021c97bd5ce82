#include <gtest/gtest.h>

#include "crypt/stop_request.h"
#include "tests/support/recording_listener.h"
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

// Told as a run of one row, its bytes counting the whole container; a stop
// asked after the first buffer leaves only the container, as it was.
TEST(SingleDecrypt, TellsItsFactsAndStopsAtTheNextBuffer) {
  const std::string plain = PatternBytes((8u << 20) + 5);
  const std::string container = ContainerFromLayout(plain, "txt", DeriveKey("pw"));
  {
    ScratchDir dir;
    WriteBytes(dir / "x.p6k", container);
    RecordingListener heard({dir / "x.p6k"});
    StopRequest stop;
    SingleDecryption result = DecryptSingleFile(dir / "x.p6k", DeriveKey("pw"), NativeFileSystem(),
                                                NativePathRules(), &heard, &stop);
    EXPECT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(heard.log, (std::vector<std::string>{"started", "row 0", "finished 0", "ended"}));
    ASSERT_EQ(heard.bytes.size(), 1u);
    ASSERT_FALSE(heard.bytes[0].empty());
    EXPECT_EQ(heard.bytes[0].front(), std::make_pair(std::uint64_t(4u << 20), std::uint64_t(container.size())));
    EXPECT_EQ(heard.bytes[0].back(), std::make_pair(std::uint64_t(container.size()), std::uint64_t(container.size())));
    EXPECT_EQ(heard.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_TRUE(ReadBytes(dir / "x.txt") == plain);
  }
  {
    ScratchDir dir;
    WriteBytes(dir / "x.p6k", container);
    RecordingListener heard({dir / "x.p6k"});
    StopRequest stop;
    heard.onEvent = [&](const std::string& event, int) {
      if (event == "bytes") stop.Request();
    };
    SingleDecryption result = DecryptSingleFile(dir / "x.p6k", DeriveKey("pw"), NativeFileSystem(),
                                                NativePathRules(), &heard, &stop);
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_EQ(heard.bytes[0].size(), 1u) << "it went on past the buffer after the stop";
    EXPECT_EQ(heard.outcomes, std::vector<Outcome>{Outcome::Stopped});
    EXPECT_EQ(dir.Names(), Names{"x.p6k"});
    EXPECT_TRUE(ReadBytes(dir / "x.p6k") == container) << "the container changed";
  }
}

}  // namespace
