#include <gtest/gtest.h>

#include "output_writer.h"
#include "run_helpers.h"
#include "scratch_dir.h"

namespace {

// The per-byte rule: after byte j, if j mod C == 0, the bar goes to j / C.
std::vector<int> PerByteRule(std::uint64_t total) {
  std::uint64_t step = total / 100 == 0 ? 1 : total / 100;
  std::vector<int> positions;
  for (std::uint64_t j = 0; j < total; ++j)
    if (j % step == 0) positions.push_back(static_cast<int>(j / step));
  return positions;
}

TEST(Progress, SameAsThePerByteRule) {
  const std::uint64_t lengths[] = {0, 10, 150, 199, 299, 1000, 1021,
                                   kTransferBufferSize + 12345};
  for (std::uint64_t length : lengths) {
    SCOPED_TRACE(length);
    ScratchDir dir;
    WriteBytes(dir / "f.bin", PatternBytes(length));
    RecordingView encrypted = RunEncrypt({dir / "f.bin"}, "pw");
    std::vector<int> expected = PerByteRule(length);
    expected.push_back(0);  // back to 0 after a successful row
    EXPECT_EQ(encrypted.progress, expected);

    RecordingView decrypted = RunDecrypt({dir / "f.p6k"}, "pw");
    expected = PerByteRule(length + 21);  // the whole container, trailer included
    expected.push_back(0);
    EXPECT_EQ(decrypted.progress, expected);
  }
}

// Where the bar stands at the end of a file, before it returns to 0, for the
// sizes the rule was stated with: a file below 100 bytes ends short of
// full, smaller files of 100 bytes and more run past the range's end, and
// decryption counts the trailer too.
TEST(Progress, StatedExamples) {
  struct Case { bool encrypt; std::size_t dataLength; int last; } cases[] = {
      {true, 10, 9}, {true, 150, 149}, {true, 299, 149}, {true, 1000, 99}, {false, 1000, 102},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dataLength) + (c.encrypt ? " encrypt" : " decrypt"));
    ScratchDir dir;
    const std::string data = PatternBytes(c.dataLength);
    WriteBytes(dir / (c.encrypt ? "f.bin" : "f.p6k"),
               c.encrypt ? data : ContainerFromLayout(data, "bin", DeriveKey("pw")));
    RecordingView view = c.encrypt ? RunEncrypt({dir / "f.bin"}, "pw") : RunDecrypt({dir / "f.p6k"}, "pw");
    ASSERT_GE(view.progress.size(), 2u);
    EXPECT_EQ(view.progress[view.progress.size() - 2], c.last);
    EXPECT_EQ(view.progress.back(), 0);
  }
}

TEST(Progress, FailedRowsLeaveTheBarWhereItWas) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "x");
  WriteBytes(dir / "a.doc", PatternBytes(500));
  RecordingView view = RunEncrypt({dir / "a.txt", dir / "a.doc"}, "pw");
  // a.txt: position 0 then reset; a.doc: its name is taken before any data moves.
  EXPECT_EQ(view.progress, (std::vector<int>{0, 0}));
}

}  // namespace
