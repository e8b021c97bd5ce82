// The progress bar's rule, with the window where the bar is: byte j moves the
// bar to j / C whenever j is a multiple of C, C = total / 100 (at least 1).
// The engine tells the bytes per buffer; the rule covers them.
#include <gtest/gtest.h>

#include "crypt/output_writer.h"
#include "ui/progress_steps.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

std::vector<int> PerByteRule(std::uint64_t total) {
  std::uint64_t step = total / 100 == 0 ? 1 : total / 100;
  std::vector<int> positions;
  for (std::uint64_t j = 0; j < total; ++j)
    if (j % step == 0) positions.push_back(static_cast<int>(j / step));
  return positions;
}

// The positions the bar passes over a row, from the bytes a run told.
std::vector<int> PositionsPassed(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& bytes) {
  std::vector<int> positions;
  std::uint64_t before = 0;
  for (const auto& [done, total] : bytes) {
    ProgressSteps(total).Cover(before, done, [&](int p) { positions.push_back(p); });
    before = done;
  }
  return positions;
}

TEST(ProgressRule, OverARunsBytesTheSameAsByteForByte) {
  const std::uint64_t lengths[] = {0, 10, 150, 199, 299, 1000, 1021, kTransferBufferSize + 12345};
  for (std::uint64_t length : lengths) {
    SCOPED_TRACE(length);
    ScratchDir dir;
    WriteBytes(dir / "f.bin", PatternBytes(length));
    RecordingListener encrypted = RunEncrypt({dir / "f.bin"}, "pw");
    EXPECT_EQ(PositionsPassed(encrypted.bytes[0]), PerByteRule(length));
    // Decryption counts the whole container, trailer included.
    RecordingListener decrypted = RunDecrypt({dir / "f.p6k"}, "pw");
    EXPECT_EQ(PositionsPassed(decrypted.bytes[0]), PerByteRule(length + 21));
  }
}

// Where the bar stands at the end of a file: short of full below 100 bytes,
// past the range's end of 100 for smaller files of 100 bytes and more, 99
// or 100 from 10,000 bytes on.
TEST(ProgressRule, StatedExamples) {
  struct Case { std::uint64_t total; int last; } cases[] = {
      {10, 9}, {150, 149}, {299, 149}, {1000, 99}, {1021, 102}, {10000, 99}, {10050, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressSteps(c.total).PositionAfter(c.total), c.last) << c.total;
  EXPECT_EQ(ProgressSteps(0).PositionAfter(0), -1);
}

}  // namespace
