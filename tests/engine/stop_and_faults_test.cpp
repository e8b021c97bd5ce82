#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "crypt/output_writer.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;
using Op = FaultyFileSystem::Op;

TEST(StopRequest, AbandonsTheFileInHand) {
  ScratchDir dir;
  std::string big = PatternBytes(3 * kTransferBufferSize + 5);
  WriteBytes(dir / "big.bin", big);
  WriteBytes(dir / "next.txt", "next");
  StopRequest stop;
  RecordingListener view({dir / "big.bin", dir / "next.txt"});
  view.onEvent = [&](const std::string& event, int) {
    if (event == "bytes") stop.Request();
  };
  EncryptRows(view, SettingsFor(view, "pw", nullptr, &stop));
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Stopped});
  EXPECT_EQ(ReadBytes(dir / "big.bin"), big);
  EXPECT_EQ(dir.Names(), (Names{"big.bin", "next.txt"}));  // no partial output
  EXPECT_EQ(view.rows[0].status, RowStatus::Ready);
  EXPECT_EQ(view.log, (std::vector<std::string>{"started", "row 0", "finished 0", "ended"}));
}

// A stop that comes once an output stands is honoured after its group
// ends: each row of the group finishes, its source removed, and no row after
// it starts. On its own (a group of one) only that row finishes.
TEST(StopRequest, RowWithOutputInPlaceFinishesFirst) {
  struct Case { std::size_t groupFiles; std::vector<Outcome> outcomes; Names names; } cases[] = {
      {1, {Outcome::Done}, {"a.p6k", "b.txt", "c.txt"}},
      {2, {Outcome::Done, Outcome::Done}, {"a.p6k", "b.p6k", "c.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("groups of " + std::to_string(c.groupFiles));
    ScratchDir dir;
    for (const char* name : {"a", "b", "c"}) WriteBytes(dir / (std::string(name) + ".txt"), name);
    StopRequest stop;
    FaultyFileSystem fs;
    fs.After(Op::Move, [&] { stop.Request(); });  // the output stands, the source is still there
    RecordingListener view({dir / "a.txt", dir / "b.txt", dir / "c.txt"});
    RunSettings settings = SettingsFor(view, "pw", &fs, &stop);
    settings.groupFiles = c.groupFiles;
    EncryptRows(view, settings);
    EXPECT_EQ(view.outcomes, c.outcomes);
    EXPECT_EQ(dir.Names(), c.names);
  }
}

// Every operation of the file layer failing in turn, at every call a small
// batch makes of it, for both runs: each row ends in a failure or success,
// the run goes on, nothing is lost, and no temporary file stays. The batch
// holds what a killed run leaves too: a temporary file, and a file beside
// its complete output.
struct BatchFile {
  std::string in, out, inBytes, outBytes;
};

const char kLeftover[] = "~p6kdead.tmp";

std::vector<BatchFile> MakeBatch(const ScratchDir& dir, bool encrypt) {
  const std::uint8_t key = DeriveKey("pw");
  std::vector<BatchFile> files;
  const std::pair<const char*, std::string> plain[] = {
      {"big", PatternBytes(kTransferBufferSize + 100)}, {"empty", ""}, {"small", "small"},
      {"pair", "pair"}};
  for (const auto& p : plain) {
    BatchFile f;
    std::string name = p.first, container = ContainerFromLayout(p.second, "txt", key);
    f.in = dir / (name + (encrypt ? ".txt" : ".p6k"));
    f.out = dir / (name + (encrypt ? ".p6k" : ".txt"));
    f.inBytes = encrypt ? p.second : container;
    f.outBytes = encrypt ? container : p.second;
    WriteBytes(f.in, f.inBytes);
    if (name == "pair") WriteBytes(f.out, f.outBytes);
    files.push_back(f);
  }
  WriteBytes(dir / kLeftover, "left by a dead run");
  return files;
}

RecordingListener RunBatch(const std::vector<BatchFile>& files, bool encrypt, FileSystem& fs) {
  std::vector<std::string> paths;
  for (const auto& f : files) paths.push_back(f.in);
  return encrypt ? RunEncrypt(paths, "pw", &fs) : RunDecrypt(paths, "pw", &fs);
}

TEST(FaultInjection, NothingIsLostWhateverFails) {
  int injected = 0;
  int injectedOf[static_cast<int>(Op::Count)] = {};
  for (bool encrypt : {true, false}) {
    FaultyFileSystem counter;
    {
      ScratchDir dir;
      RunBatch(MakeBatch(dir, encrypt), encrypt, counter);
    }
    for (int kind = 0; kind < static_cast<int>(Op::Count); ++kind) {
      const Op op = static_cast<Op>(kind);
      for (int n = 1; n <= counter.Count(op); ++n, ++injected, ++injectedOf[kind]) {
        SCOPED_TRACE(std::string(encrypt ? "encrypt" : "decrypt") + " op " +
                     std::to_string(static_cast<int>(op)) + " call " + std::to_string(n));
        ScratchDir dir;
        std::vector<BatchFile> files = MakeBatch(dir, encrypt);
        FaultyFileSystem fs;
        fs.FailOn(op, n);
        RecordingListener view = RunBatch(files, encrypt, fs);
        ASSERT_EQ(view.outcomes.size(), files.size());  // the run went on
        Names left = dir.Names();
        bool sweepFailed = op == Op::List || op == Op::DeleteAbandoned;
        EXPECT_EQ(std::count(left.begin(), left.end(), kLeftover), sweepFailed ? 1 : 0);
        left.erase(std::remove(left.begin(), left.end(), kLeftover), left.end());
        EXPECT_TRUE(NoTemporaryFiles(left));
        for (std::size_t i = 0; i < files.size(); ++i) {
          bool hasIn = ReadBytes(files[i].in) == files[i].inBytes;
          bool hasOut = ReadBytes(files[i].out) == files[i].outBytes;
          EXPECT_TRUE(hasIn || hasOut) << files[i].in << " is lost";
          if (view.outcomes[i] == Outcome::Done) {
            EXPECT_TRUE(hasOut && !PathExists(files[i].in));
          } else if (view.outcomes[i] == Outcome::AlreadyInPlace) {
            EXPECT_TRUE(hasIn && hasOut);
          } else {
            EXPECT_TRUE(hasIn);
            EXPECT_FALSE(PathExists(files[i].out) && !hasOut) << "a partial output stayed";
            EXPECT_EQ(view.rows[i].path, files[i].in);
          }
        }
      }
    }
  }
  // A call the engine no longer makes (a flush dropped, say) would be failed
  // nowhere: every kind of operation must have been failed at least once.
  for (Op op : {Op::Open, Op::Stamp, Op::Read, Op::Create, Op::Write, Op::Flush, Op::Close,
                Op::Move, Op::Exists, Op::Unchanged, Op::DeleteOpened, Op::List,
                Op::DeleteAbandoned, Op::SyncNames})
    EXPECT_GT(injectedOf[static_cast<int>(op)], 0) << "operation " << static_cast<int>(op);
  RecordProperty("faults_injected", injected);
  std::printf("faults injected: %d\n", injected);
}

// What each failing operation makes of a row, whichever call of that kind it
// is: a file with a trailer to test, and one too short to have one.
TEST(FaultInjection, EachFailureHasItsOutcome) {
  struct Case { Op op; Outcome outcome; bool outputKept; } cases[] = {
      {Op::Open, Outcome::OpenFailed, false},
      {Op::Stamp, Outcome::ReadFailed, false},
      {Op::Create, Outcome::CreateFailed, false},
      {Op::Read, Outcome::ReadFailed, false},
      {Op::Write, Outcome::WriteFailed, false},
      {Op::Flush, Outcome::WriteFailed, false},
      {Op::Move, Outcome::WriteFailed, false},
      {Op::Unchanged, Outcome::SourceChanged, true},
      {Op::DeleteOpened, Outcome::DeleteFailed, true},
  };
  for (std::size_t length : {300, 20}) {
    for (auto& c : cases) {
      SCOPED_TRACE(std::to_string(length) + " bytes, op " + std::to_string(static_cast<int>(c.op)));
      ScratchDir dir;
      WriteBytes(dir / "f.txt", PatternBytes(length));
      FaultyFileSystem fs;
      fs.FailOn(c.op);
      RecordingListener view = RunEncrypt({dir / "f.txt"}, "pw", &fs);
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.outcome});
      EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
      EXPECT_EQ(ReadBytes(dir / "f.txt"), PatternBytes(length));
      EXPECT_EQ(dir.Names(), c.outputKept ? (Names{"f.p6k", "f.txt"}) : Names{"f.txt"});
    }
  }
}

// A taken name is found by the move, which never replaces, or, when the row
// fails before its move, by a look afterwards: either way the row ends as
// the file under the name makes it end, another file's "name taken" or this
// very output's success. An output larger than one buffer is compared
// before anything is written.
TEST(FaultInjection, ATakenNameEndsTheRowWhateverFailsBeforeTheMove) {
  for (std::size_t length : {std::size_t{300}, kTransferBufferSize + 10}) {
    const std::string mine = PatternBytes(length);
    const std::string container = ContainerFromLayout(mine, "txt", DeriveKey("pw"));
    struct Taker { const char* what; std::string standing; Outcome outcome; Names names; } takers[] = {
        {"another file", "theirs", Outcome::NameTaken, {"f.p6k", "f.txt"}},
        {"this very output", container, Outcome::Done, {"f.p6k"}},
    };
    for (const Taker& t : takers) {
      const std::optional<Op> failures[] = {std::nullopt, Op::Create, Op::Write, Op::Flush,
                                            Op::Move};
      for (const std::optional<Op>& failing : failures) {
        SCOPED_TRACE(std::to_string(length) + " bytes, " + t.what + ", op " +
                     (failing ? std::to_string(static_cast<int>(*failing)) : "none"));
        ScratchDir dir;
        WriteBytes(dir / "f.txt", mine);
        WriteBytes(dir / "f.p6k", t.standing);
        FaultyFileSystem fs;
        if (failing) fs.FailOn(*failing);
        RecordingListener view = RunEncrypt({dir / "f.txt"}, "pw", &fs);
        // This very output, when it cannot be made durable, keeps its source.
        const bool kept = t.outcome == Outcome::Done && failing && *failing == Op::Flush;
        EXPECT_EQ(view.outcomes, std::vector<Outcome>{kept ? Outcome::WriteFailed : t.outcome});
        EXPECT_EQ(ReadBytes(dir / "f.p6k"), t.standing);
        EXPECT_EQ(dir.Names(), kept ? (Names{"f.p6k", "f.txt"}) : t.names);
        if (length > kTransferBufferSize) {
          EXPECT_EQ(fs.Count(Op::Create), 0);
        }
      }
    }
  }
}

// Another program takes the output's name between the check that it is free
// and the move: the move itself refuses to replace it.
TEST(FaultInjection, ANameTakenJustBeforeTheMoveIsNotReplaced) {
  ScratchDir dir;
  WriteBytes(dir / "f.txt", "mine");
  FaultyFileSystem fs;
  fs.After(Op::Create, [&] { WriteBytes(dir / "f.p6k", "theirs"); });
  RecordingListener view = RunEncrypt({dir / "f.txt"}, "pw", &fs);
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::NameTaken});
  EXPECT_EQ(ReadBytes(dir / "f.p6k"), "theirs");
  EXPECT_EQ(ReadBytes(dir / "f.txt"), "mine");
  EXPECT_EQ(dir.Names(), (Names{"f.p6k", "f.txt"}));
}

// The output stood in place before the source could not be removed: the row
// tells both, for a front end to show the success a moment before the failure.
TEST(FaultInjection, DeleteFailureTellsTheOutputThatStood) {
  ScratchDir dir;
  WriteBytes(dir / "f.p6k", ContainerFromLayout("data", "txt", DeriveKey("pw")));
  FaultyFileSystem fs;
  fs.FailOn(Op::DeleteOpened, 1);
  RecordingListener view = RunDecrypt({dir / "f.p6k"}, "pw", &fs);
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::DeleteFailed});
  EXPECT_EQ(view.results[0].outputPath, dir / "f.txt");
  EXPECT_EQ(view.rows[0].path, dir / "f.p6k");
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(dir.Names(), (Names{"f.p6k", "f.txt"}));
}

}  // namespace
