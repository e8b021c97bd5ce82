#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;
using Op = FaultyFileSystem::Op;

// Files f0.txt.. in the folders named, count in each, in this order.
std::vector<std::string> MakeFiles(const ScratchDir& dir,
                                   const std::vector<std::pair<std::string, int>>& folders) {
  std::vector<std::string> paths;
  for (const auto& folder : folders) {
    MakeFolder(dir / folder.first);
    for (int i = 0; i < folder.second; ++i) {
      std::string path = dir / (folder.first + kSeparator + "f" + std::to_string(i) + ".txt");
      WriteBytes(path, PatternBytes(100 + i, i));
      paths.push_back(path);
    }
  }
  return paths;
}

// Records whether a row told finished with success had its source gone and
// its output in place at that moment.
class SourceWatcher : public RecordingListener {
 public:
  using RecordingListener::RecordingListener;
  std::vector<std::string> sources;
  int successesShownEarly = 0;
  void RowFinished(int row, const RowResult& result) override {
    if (result.outcome == Outcome::Done &&
        (PathExists(sources.at(row)) || !PathExists(result.outputPath)))
      ++successesShownEarly;
    RecordingListener::RowFinished(row, result);
  }
};

// Groups end at their count and at the end of a folder. Where the file
// system honours one flush for a group, a group of more than one has its
// data flushed once and its names once; elsewhere, and for a group of one,
// each output has its own flush of each. The rows are
// told started and finished in row order, and a success only once its
// source is gone.
TEST(GroupedFlushes, GroupsEndAtTheirBoundAndAtAFolderAndFinishInRowOrder) {
  struct Case {
    bool together;
    int flushes;
    int togetherFlushes;
    int nameFlushes;
  } cases[] = {{true, 4, 3, 4}, {false, 9, 0, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.together ? "flushes together" : "flushes each file");
    ScratchDir dir;
    std::vector<std::string> paths = MakeFiles(dir, {{"one", 7}, {"two", 2}});
    FaultyFileSystem fs;
    fs.SayFlushesTogether(c.together);
    SourceWatcher view(paths);
    view.sources = paths;
    RunSettings settings = SettingsFor(view, "pw", &fs);
    settings.groupFiles = 3;
    EncryptRows(view, settings);

    const std::vector<std::string> expected = {
        "started",
        "row 0", "row 1", "row 2", "finished 0", "finished 1", "finished 2",
        "row 3", "row 4", "row 5", "finished 3", "finished 4", "finished 5",
        "row 6", "finished 6",                                  // the folder's end
        "row 7", "row 8", "finished 7", "finished 8",
        "ended"};
    EXPECT_EQ(view.log, expected);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>(9, Outcome::Done));
    EXPECT_EQ(view.successesShownEarly, 0);
    EXPECT_EQ(fs.Count(Op::Flush), c.flushes);
    EXPECT_EQ(fs.TogetherCount(), c.togetherFlushes);
    EXPECT_EQ(fs.Count(Op::SyncNames), c.nameFlushes);
    EXPECT_EQ(fs.Count(Op::Move), 9);
    for (int i = 0; i < 7; ++i) {
      std::string name = "f" + std::to_string(i) + ".p6k";
      EXPECT_TRUE(PathExists(dir / ("one" + std::string(kSeparator) + name)));
    }
    EXPECT_EQ(ListFolder(dir / "two"), (Names{"f0.p6k", "f1.p6k"}));
  }
}

// The names of a group could not be made durable, and its outputs cannot
// be taken back under their temporary names either: they stand under their
// names, not durable, so every source stays beside its output and every row
// fails. A group of one goes the same way.
TEST(GroupedFlushes, AnOutputWhoseNameIsNotDurableNeverCostsItsSource) {
  const std::pair<int, bool> groups[] = {{3, true}, {3, false}, {1, true}};
  for (const auto& group : groups) {
    const int count = group.first;
    SCOPED_TRACE(std::to_string(count) + " files, together " + std::to_string(group.second));
    ScratchDir dir;
    std::vector<std::string> paths = MakeFiles(dir, {{"one", count}});
    FaultyFileSystem fs;
    fs.SayFlushesTogether(group.second);
    fs.FailOn(Op::SyncNames);
    for (int back = count + 1; back <= 2 * count; ++back) fs.FailOn(Op::Move, back);
    RecordingListener view(paths);
    EncryptRows(view, SettingsFor(view, "pw", &fs));
    EXPECT_EQ(view.outcomes, std::vector<Outcome>(count, Outcome::WriteFailed));
    EXPECT_EQ(fs.Count(Op::Move), 2 * count);
    Names expected;
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(ReadBytes(paths[i]), PatternBytes(100 + i, i));
      EXPECT_EQ(view.rows[i].path, paths[i]);
      expected.push_back("f" + std::to_string(i) + ".p6k");
      expected.push_back("f" + std::to_string(i) + ".txt");
    }
    EXPECT_EQ(ListFolder(dir / "one"), expected);
  }
}

// A group whose data or whose names cannot be made durable fails every row
// in it and takes every output back: the sources stay, nothing else is left.
TEST(GroupedFlushes, AGroupThatCannotBeMadeDurableKeepsItsSources) {
  for (Op failing : {Op::Flush, Op::SyncNames}) {
    SCOPED_TRACE("op " + std::to_string(static_cast<int>(failing)));
    ScratchDir dir;
    std::vector<std::string> paths = MakeFiles(dir, {{"one", 3}});
    FaultyFileSystem fs;
    fs.FailOn(failing);
    RecordingListener view(paths);
    EncryptRows(view, SettingsFor(view, "pw", &fs));
    EXPECT_EQ(view.outcomes, std::vector<Outcome>(3, Outcome::WriteFailed));
    EXPECT_EQ(ListFolder(dir / "one"), (Names{"f0.txt", "f1.txt", "f2.txt"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(paths[i]), PatternBytes(100 + i, i));
  }
}

// Two sources of one folder that make the same container, as a killed run
// and a restore under a shortened extension can leave them: the second
// finds the first's output under the name once the group is placed, and
// being that very container, its source goes too, in a group or alone.
TEST(GroupedFlushes, ASecondSourceOfTheSameContainerInAGroupGoesBesideIt) {
  for (bool together : {true, false}) {
    SCOPED_TRACE(together ? "flushes together" : "flushes each file");
    ScratchDir dir;
    const std::string content = PatternBytes(300, 7);
    const std::vector<std::string> paths = {dir / "notes.properti", dir / "notes.properties"};
    for (const std::string& path : paths) WriteBytes(path, content);
    FaultyFileSystem fs;
    fs.SayFlushesTogether(together);
    RecordingListener view(paths);
    EncryptRows(view, SettingsFor(view, "pw", &fs));
    EXPECT_EQ(view.outcomes, (std::vector<Outcome>{Outcome::Done, Outcome::Done}));
    EXPECT_EQ(dir.Names(), (Names{"notes.p6k"}));
    EXPECT_EQ(ReadBytes(dir / "notes.p6k"), ContainerFromLayout(content, "properti", DeriveKey("pw")));
  }
}

// Restoring in groups: the bytes of each row are told complete once its
// restored file stands, before its row is told finished.
TEST(GroupedFlushes, DecryptionTellsEachRowCompleteBeforeItsEnd) {
  ScratchDir dir;
  std::vector<std::string> plain = MakeFiles(dir, {{"one", 4}});
  RunEncrypt(plain, "pw");
  std::vector<std::string> containers;
  for (const std::string& path : plain) containers.push_back(path.substr(0, path.size() - 3) + "p6k");
  RecordingListener view = RunDecrypt(containers, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>(4, Outcome::Done));
  for (int i = 0; i < 4; ++i) {
    ASSERT_FALSE(view.bytes[i].empty());
    std::uint64_t total = 100 + i + 21;
    EXPECT_EQ(view.bytes[i].back(), std::make_pair(total, total));
    EXPECT_EQ(ReadBytes(plain[i]), PatternBytes(100 + i, i));
  }
}

}  // namespace
