#include <gtest/gtest.h>

#include "output_writer.h"
#include "run_helpers.h"
#include "scratch_dir.h"

namespace {

using Names = std::vector<std::string>;
using Op = FaultyFileSystem::Op;

TEST(StopRequest, AbandonsTheFileInHand) {
  ScratchDir dir;
  std::string big = PatternBytes(3 * kTransferBufferSize + 5);
  WriteBytes(dir / "big.bin", big);
  WriteBytes(dir / "next.txt", "next");
  StopRequest stop;
  RecordingView view({dir / "big.bin", dir / "next.txt"});
  view.onEvent = [&](const std::string& event, int) {
    if (event == "progress") stop.Request();
  };
  EncryptRows(view, SettingsFor(view, "pw", nullptr, &stop));
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Stopped});
  EXPECT_EQ(ReadBytes(dir / "big.bin"), big);
  EXPECT_EQ(dir.Names(), (Names{"big.bin", "next.txt"}));  // no partial output
  EXPECT_EQ(view.rows[0].status, RowStatus::Ready);
  EXPECT_EQ(view.log.back(), "enable encrypt");
}

TEST(StopRequest, RowWithOutputInPlaceFinishesFirst) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WriteBytes(dir / "b.txt", "b");
  StopRequest stop;
  RecordingView view({dir / "a.txt", dir / "b.txt"});
  view.onEvent = [&](const std::string& event, int) {
    if (event == "visible") stop.Request();
  };
  EncryptRows(view, SettingsFor(view, "pw", nullptr, &stop));
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
  EXPECT_EQ(dir.Names(), (Names{"a.p6k", "b.txt"}));
}

// Every operation of the file layer failing once, in turn, for both runs:
// each row ends in a failure or success, nothing is lost, no temporary file stays.
TEST(FaultInjection, NothingIsLostWhateverFails) {
  const Op ops[] = {Op::Open, Op::Stamp, Op::Read, Op::Create, Op::Write, Op::Flush,
                    Op::Close, Op::Move, Op::Delete, Op::StampAt};
  const std::string content = PatternBytes(kTransferBufferSize + 100);
  for (bool encrypt : {true, false}) {
    for (Op op : ops) {
      for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(std::string(encrypt ? "encrypt" : "decrypt") + " op " +
                     std::to_string(static_cast<int>(op)) + " call " + std::to_string(n));
        ScratchDir dir;
        std::string in = encrypt ? "f.txt" : "f.p6k";
        std::string out = encrypt ? "f.p6k" : "f.txt";
        std::string inBytes = encrypt ? content : ContainerFromLayout(content, "txt", DeriveKey("pw"));
        std::string outBytes = encrypt ? ContainerFromLayout(content, "txt", DeriveKey("pw")) : content;
        WriteBytes(dir / in, inBytes);
        WriteBytes(dir / "second.bin", "second");
        FaultyFileSystem fs;
        fs.FailOn(op, n);
        RecordingView view = encrypt ? RunEncrypt({dir / in, dir / "second.bin"}, "pw", &fs)
                                     : RunDecrypt({dir / in, dir / "second.bin"}, "pw", &fs);
        ASSERT_EQ(view.outcomes.size(), 2u);  // the run went on with the next row
        Names names = dir.Names();
        EXPECT_TRUE(NoTemporaryFiles(names));
        bool hasIn = ReadBytes(dir / in) == inBytes;
        bool hasOut = ReadBytes(dir / out) == outBytes;
        EXPECT_TRUE(hasIn || hasOut);
        if (view.outcomes[0] == Outcome::Done) {
          EXPECT_TRUE(hasOut && !PathExists(dir / in));
        } else {
          EXPECT_TRUE(hasIn);
          EXPECT_EQ(view.rows[0].image, view.outcomes[0] == Outcome::RecognisedByTrailer
                                            ? RowImage::Dot : RowImage::Cross);
          EXPECT_EQ(view.rows[0].path, dir / in);
        }
      }
    }
  }
}

TEST(FaultInjection, EachFailureHasItsOutcome) {
  struct Case { Op op; int n; Outcome outcome; bool outputKept; } cases[] = {
      {Op::Open, 1, Outcome::OpenFailed, false},
      {Op::Create, 1, Outcome::CreateFailed, false},
      {Op::Read, 1, Outcome::ReadFailed, false},   // the trailer test's first read
      {Op::Read, 3, Outcome::ReadFailed, false},   // the data
      {Op::Write, 1, Outcome::WriteFailed, false},
      {Op::Flush, 1, Outcome::WriteFailed, false},
      {Op::Move, 1, Outcome::WriteFailed, false},
      {Op::Delete, 1, Outcome::DeleteFailed, true},
      {Op::StampAt, 1, Outcome::SourceChanged, true},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.op));
    ScratchDir dir;
    WriteBytes(dir / "f.txt", PatternBytes(300));
    FaultyFileSystem fs;
    fs.FailOn(c.op, c.n);
    RecordingView view = RunEncrypt({dir / "f.txt"}, "pw", &fs);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.outcome});
    EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
    EXPECT_EQ(view.rows[0].image, RowImage::Cross);
    EXPECT_EQ(ReadBytes(dir / "f.txt"), PatternBytes(300));
    EXPECT_EQ(dir.Names(), c.outputKept ? (Names{"f.p6k", "f.txt"}) : Names{"f.txt"});
  }
}

TEST(FaultInjection, DeleteFailureReplacesTheSuccessShownAMomentBefore) {
  ScratchDir dir;
  WriteBytes(dir / "f.p6k", ContainerFromLayout("data", "txt", DeriveKey("pw")));
  FaultyFileSystem fs;
  fs.FailOn(Op::Delete, 1);
  RecordingView view = RunDecrypt({dir / "f.p6k"}, "pw", &fs);
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::DeleteFailed});
  EXPECT_EQ(view.Updates(), (std::vector<std::string>{
                                "disable encrypt", "disable decrypt",
                                "path 0", "status 0 Success", "image 0 0", "visible 0",
                                "image 0 2", "path 0", "status 0 Failed",
                                "enable decrypt", "enable encrypt"}));
  EXPECT_EQ(view.rows[0].path, dir / "f.p6k");
  EXPECT_EQ(dir.Names(), (Names{"f.p6k", "f.txt"}));
}

TEST(SourceChanged, ASourceChangedWhileEncryptedIsKept) {
  ScratchDir dir;
  WriteBytes(dir / "f.txt", "original");
  RecordingView view({dir / "f.txt"});
  // Another program writes to the source after its container is in place.
  view.onEvent = [&](const std::string& event, int) {
    if (event == "visible") AppendByte(dir / "f.txt");
  };
  EncryptRows(view, SettingsFor(view, "pw"));
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::SourceChanged});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(ReadBytes(dir / "f.txt"), "original!");
  EXPECT_EQ(ReadBytes(dir / "f.p6k"), ContainerFromLayout("original", "txt", DeriveKey("pw")));
}

}  // namespace
