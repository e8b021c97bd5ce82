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

TEST(Progress, StatedExamples) {
  EXPECT_EQ(PerByteRule(10).back(), 9);
  EXPECT_EQ(PerByteRule(150).back(), 149);
  EXPECT_EQ(PerByteRule(299).back(), 149);
  EXPECT_EQ(PerByteRule(1000).back(), 99);
  EXPECT_EQ(PerByteRule(1021).back(), 102);
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
