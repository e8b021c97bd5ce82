#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "crypt/output_writer.h"
#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

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

// Runs the tool with its standard output a pipe that nobody reads (as after
// `| head -1` has ended); returns the raw wait status.
int RunWithClosedOutput(const std::vector<std::string>& args) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  std::vector<std::string> argv = P6kCommand(args);
  std::vector<char*> pointers;
  for (auto& a : argv) pointers.push_back(&a[0]);
  pointers.push_back(nullptr);
  setenv("P6K_PASSWORD", "pw", 1);
  pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    dup2(ends[1], 1);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  unsetenv("P6K_PASSWORD");
  close(ends[0]);
  close(ends[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// A closed standard output ends the run once the group of the row whose
// line could not be written ends: that group's rows are done (their outputs
// were made durable together before any line was told), the rows after it
// are untouched, and the exit status says what happened instead of a death
// by SIGPIPE. A folder ends a group.
TEST(Stop, ClosedStandardOutputStopsAtTheEndOfItsGroup) {
  ScratchDir dir;
  for (const char* folder : {"one", "two"}) mkdir((dir / folder).c_str(), 0755);
  const std::string a = dir / "one/a.txt", b = dir / "one/b.txt", c = dir / "two/c.txt";
  for (const std::string& path : {a, b, c}) WriteBytes(path, path);
  int status = RunWithClosedOutput({"encrypt", a, b, c});
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 141);
  EXPECT_TRUE(PathExists(dir / "one/a.p6k") && !PathExists(a));
  EXPECT_TRUE(PathExists(dir / "one/b.p6k") && !PathExists(b));
  EXPECT_EQ(ReadBytes(c), c);
  EXPECT_FALSE(PathExists(dir / "two/c.p6k"));
}

}  // namespace
