#include <gtest/gtest.h>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

// The bar goes to standard error, only on a terminal and only for a file of
// more than a few MiB; standard output keeps its one line per row.
TEST(Progress, BarOnlyOnATerminalAndForLargeFiles) {
  struct Case { const char* what; bool terminal; std::uint64_t size; bool bar; } cases[] = {
      {"large file on a terminal", true, 12u << 20, true},
      {"small file on a terminal", true, 1u << 20, false},
      {"large file, error stream redirected", false, 12u << 20, false},
  };
  const Environment env{{"P6K_PASSWORD", "pw"}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    ASSERT_TRUE(MakeSizedFile(dir / "进度.bin", c.size));
    const std::vector<std::string> args{"encrypt", dir / "进度.bin"};
    std::string shown;
    if (c.terminal) {
      TerminalRun run = RunOnTerminal(args, env, {});
      EXPECT_EQ(run.exitCode, 0);
      shown = run.screen;
    } else {
      ProcessResult r = P6k(args, env);
      EXPECT_EQ(r.exitCode, 0);
      EXPECT_EQ(r.OutLines(), std::vector<std::string>{Line(kSuccess, dir / "进度.p6k")});
      shown = r.err;
    }
    bool bar = shown.find("进度.bin [") != std::string::npos &&
               shown.find("100%") != std::string::npos && shown.find("MiB/s") != std::string::npos;
    EXPECT_EQ(bar, c.bar) << shown;
    if (c.terminal) {
      EXPECT_NE(shown.find(Line(kSuccess, dir / "进度.p6k")), std::string::npos);
    }
  }
}

}  // namespace
