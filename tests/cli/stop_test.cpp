#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "output_writer.h"
#include "p6k_process.h"
#include "run_helpers.h"
#include "scratch_dir.h"

namespace {

using Lines = std::vector<std::string>;

bool HasTemporaryFile(const ScratchDir& dir) {
  for (auto& name : dir.Names())
    if (IsTemporaryName(name)) return true;
  return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The signal is sent once the run's temporary file exists, that is while the
// data moves. A run that ends first is tried again with a larger file.
TEST(Stop, SignalLeavesNoPartialFileAndExits130) {
  struct Case { const char* what; int signal; const char* command; } cases[] = {
      {"SIGINT while encrypting", SIGINT, "encrypt"},
      {"SIGTERM while encrypting", SIGTERM, "encrypt"},
      {"SIGINT while decrypting", SIGINT, "decrypt"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool caught = false;
    for (std::uint64_t size = 64ull << 20; size <= (1ull << 30) && !caught; size *= 2) {
      ScratchDir dir;
      const bool encrypt = std::string(c.command) == "encrypt";
      const std::string source = dir / (encrypt ? "big.bin" : "big.p6k");
      const std::string output = dir / (encrypt ? "big.p6k" : "big.bin");
      if (encrypt) {
        ASSERT_TRUE(MakeSizedFile(source, size));
      } else {
        ASSERT_TRUE(MakeSizedFile(dir / "big.bin", size));
        ASSERT_EQ(P6k({"encrypt", dir / "big.bin"}).exitCode, 0);
      }
      struct stat before;
      ASSERT_EQ(stat(source.c_str(), &before), 0);

      ChildProcess child(P6kCommand({c.command, source}), {{"P6K_PASSWORD", "pw"}});
      auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!HasTemporaryFile(dir) && !PathExists(output) &&
             std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      child.Signal(c.signal);
      ProcessResult r = child.Wait();

      EXPECT_FALSE(HasTemporaryFile(dir));
      if (r.exitCode == 0 || r.OutLines() == Lines{Line(kSuccess, output)}) {
        // Finished before the signal: the output is whole and the source gone.
        EXPECT_EQ(dir.Names().size(), 1u);
        continue;
      }
      caught = true;
      EXPECT_EQ(r.exitCode, 130);
      EXPECT_EQ(r.OutLines(), Lines{Line("就绪", source)});
      EXPECT_EQ(dir.Names(), Lines{encrypt ? "big.bin" : "big.p6k"});
      struct stat after;
      ASSERT_EQ(stat(source.c_str(), &after), 0);
      EXPECT_TRUE(SameFile(before, after));
    }
    EXPECT_TRUE(caught) << "every run ended before the signal";
  }
}

}  // namespace
