// p6k is started on a folder of a hundred and more files and killed with
// SIGKILL, over and over, encrypting and decrypting: the Linux tool, and the
// Windows tool under Wine, whose file layer (temporary file, flush, move
// without replacing) is another. After every kill each original must still
// be recoverable byte for byte: either the untouched source, or a complete
// container that decrypts to it. The only debris allowed is the killed
// run's temporary files ~p6kXXXX.tmp (a group's at most, as a group's outputs
// are made durable together): the next run removes those of the runs killed
// before, and finishes the files whose containers stood complete.
//
// The moments follow the tool's progress, not the clock, so a slower machine
// sees the same kills: after a number of finished rows, or in the middle of a
// file once its temporary file has grown to a size.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "crypt/container_text.h"
#include "crypt/key.h"
#include "crypt/output_writer.h"
#include "crypt/run_settings.h"
#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

const char kPassword[] = "kill-test";

// A build of the tool and how it is started on a folder.
struct Tool {
  const char* name;
  std::vector<std::string> launcher;  // prepended to the tool's arguments
  bool windows;
  std::vector<std::string> Command(const std::string& command, const std::string& folder) const {
    std::vector<std::string> argv = launcher;
    argv.push_back(command);
    argv.push_back(windows ? WinePath(folder) : folder);
    return argv;
  }
  // A status text as this build prints it.
  std::string Status(const std::string& utf8) const {
    return windows ? container_text::ToContainer(utf8).value_or(utf8) : utf8;
  }
};

const Tool kNativeTool = {"p6k", {P6K_PATH}, false};
const Tool kWindowsTool = {"p6k.exe under Wine", {WINE_RUN_PATH, P6K_EXE_PATH}, true};

struct Original {
  std::string name;
  std::string base;
  std::string extension;
  std::string restoredName;  // the field keeps 8 bytes of the extension
  std::size_t size;
  std::uint64_t digest;
};

std::uint64_t Digest(const std::string& bytes) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h ^ bytes.size();
}

// The plain bytes of a container as the layout defines them, or nothing when
// the trailer does not read back under the key.
std::optional<std::string> Unmask(const std::string& container, std::uint8_t key,
                                  std::string& extension) {
  if (container.size() < 21) return std::nullopt;
  std::string trailer = container.substr(container.size() - 21);
  for (auto& c : trailer) c = static_cast<char>(c ^ key);
  if (trailer.compare(8, 13, std::string("love\0qvtormx\0", 13)) != 0) return std::nullopt;
  extension = trailer.substr(0, trailer.find('\0') < 8 ? trailer.find('\0') : 8);
  std::string data = container.substr(0, container.size() - 21);
  std::uint8_t mask = static_cast<std::uint8_t>(key ^ (data.size() & 0xFF));
  for (auto& c : data) c = static_cast<char>(c ^ mask);
  return data;
}

std::vector<Original> MakeFolder(const ScratchDir& dir, std::mt19937& random) {
  std::vector<Original> originals;
  const char* extensions[] = {"txt", "bin", "jpeg", "", "tar", "properties"};
  for (int i = 0; i < 120; ++i) {
    std::size_t size;
    if (i % 20 == 0) size = (8u << 20) + random() % (16u << 20);   // tens of MiB
    else if (i % 10 == 0) size = random() % (2u << 20);
    else if (i % 7 == 0) size = 0;
    else size = random() % 20000;
    Original o;
    o.base = "file" + std::to_string(i);
    o.extension = extensions[i % 6];
    o.name = o.extension.empty() ? o.base : o.base + "." + o.extension;
    o.restoredName = o.extension.empty() ? o.base : o.base + "." + o.extension.substr(0, 8);
    std::string content = PatternBytes(size, static_cast<unsigned>(i + 7));
    o.size = size;
    o.digest = Digest(content);
    WriteBytes(dir / o.name, content);
    originals.push_back(o);
  }
  return originals;
}

std::int64_t NowTicks() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A moment that the files of runs before it predate and the files of the
// run started next postdate, whatever the coarseness of the file times.
std::int64_t MomentBeforeARun() {
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  std::int64_t moment = NowTicks() - 15000000;
  return moment;
}

// Checks that every original is recoverable and that nothing else but the
// temporary files of the run started after runStart lies in the folder.
// Returns how many are encrypted.
int CheckNothingLost(const ScratchDir& dir, const std::vector<Original>& originals,
                     std::int64_t runStart) {
  std::uint8_t key = DeriveKey(kPassword);
  std::map<std::string, bool> expected;
  int encrypted = 0;
  for (const auto& o : originals) {
    bool recoverable = false;
    for (const std::string& name : {o.name, o.restoredName}) {
      if (auto plain = ReadBytes(dir / name)) {
        if (Digest(*plain) == o.digest) recoverable = true;
        expected[name] = true;
      }
    }
    if (auto container = ReadBytes(dir / (o.base + ".p6k"))) {
      std::string extension;
      auto plain = Unmask(*container, key, extension);
      EXPECT_TRUE(plain.has_value()) << o.name << ": a container that does not read back";
      if (plain && Digest(*plain) == o.digest && extension == o.extension.substr(0, 8)) {
        recoverable = true;
        ++encrypted;
      }
      expected[o.base + ".p6k"] = true;
    }
    EXPECT_TRUE(recoverable) << o.name << " is lost";
  }
  int temporaries = 0;
  for (const auto& name : dir.Names()) {
    if (IsTemporaryName(name)) {
      ++temporaries;
      struct stat st;
      bool earlier = stat((dir / name).c_str(), &st) == 0 &&
                     static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 +
                             st.st_ctim.tv_nsec < runStart;
      EXPECT_FALSE(earlier) << name << ": a temporary file of an earlier kill was left";
      continue;
    }
    EXPECT_TRUE(expected.count(name)) << "unexpected file " << name;
  }
  EXPECT_LE(temporaries, static_cast<int>(RunSettings().groupFiles))
      << "more temporary files than one group makes";
  return encrypted;
}

// Runs the tool to its end; every line it prints must carry a known status.
// No name is taken: what the kills left, this run settles.
void RunToTheEnd(const Tool& tool, const std::string& command, const std::string& folder) {
  ChildProcess child(tool.Command(command, folder), {{"P6K_PASSWORD", kPassword}});
  ProcessResult result = child.Wait();
  std::vector<std::string> known;
  for (const char* k : {"成功", "失败", "被加密过的", "没有被加密过的"})
    known.push_back(tool.Status(k));
  std::vector<std::string> lines = result.OutLines();
  EXPECT_FALSE(lines.empty());
  for (const auto& line : lines) {
    std::string status = line.substr(0, line.find('\t'));
    bool ok = false;
    for (auto& k : known) ok = ok || status == k;
    EXPECT_TRUE(ok && line.find('\t') != std::string::npos) << line;
  }
}

std::size_t LinesIn(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The size of the run's temporary file in the folder, or -1 when there is none.
long long TemporaryFileSize(const ScratchDir& dir) {
  for (const auto& name : dir.Names()) {
    struct stat st;
    if (IsTemporaryName(name) && stat((dir / name).c_str(), &st) == 0) return st.st_size;
  }
  return -1;
}

// Waits for a moment of the run and kills it there. Returns true when the
// kill landed in the middle of a file.
bool KillAtAMoment(ChildProcess& tool, const ScratchDir& dir, std::mt19937& random,
                   bool midFile) {
  const std::size_t rows = 1 + random() % 40;
  const long long grown = 1 + static_cast<long long>(random() % (4u << 20));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool reached = false;
  while (!reached && !tool.Exited() && std::chrono::steady_clock::now() < deadline) {
    reached = midFile ? TemporaryFileSize(dir) >= grown : LinesIn(tool.OutputSoFar()) >= rows;
    if (!reached) std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  tool.Signal(SIGKILL);
  tool.Wait();
  return midFile && reached;
}

void KillOverAndOver(const Tool& tool, int maxKills) {
  const unsigned seed = std::getenv("KILL_TEST_SEED") ? std::atoi(std::getenv("KILL_TEST_SEED")) : 2026;
  if (std::getenv("KILL_TEST_KILLS")) maxKills = std::atoi(std::getenv("KILL_TEST_KILLS"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
  std::mt19937 random(seed);
  ScratchDir dir;
  std::vector<Original> originals = MakeFolder(dir, random);
  std::string folder = dir.path().substr(0, dir.path().size() - 1);

  int kills = 0, killsDecrypting = 0, killsMidFile = 0;
  bool encrypting = true;
  while (kills < maxKills && std::chrono::steady_clock::now() < deadline) {
    const std::int64_t runStart = MomentBeforeARun();
    ChildProcess running(tool.Command(encrypting ? "encrypt" : "decrypt", folder),
                         {{"P6K_PASSWORD", kPassword}});
    // Every other kill waits for a file in the middle of its transfer.
    if (KillAtAMoment(running, dir, random, kills % 2 == 1)) ++killsMidFile;
    ++kills;
    if (!encrypting) ++killsDecrypting;
    int encrypted = CheckNothingLost(dir, originals, runStart);
    if (::testing::Test::HasFailure()) break;
    // Turn round every few kills, or once a direction has finished, so that
    // kills land in both directions and at every stage of a folder.
    if (kills % 5 == 0 || encrypted == (encrypting ? static_cast<int>(originals.size()) : 0))
      encrypting = !encrypting;
  }
  ::testing::Test::RecordProperty("kills", kills);
  std::printf("%s: kills survived: %d (%d while decrypting, %d in the middle of a file; seed %u)\n",
              tool.name, kills, killsDecrypting, killsMidFile, seed);
  EXPECT_GT(killsDecrypting, 0);
  EXPECT_GT(killsMidFile, 0);

  // Full runs afterwards finish the work and lose nothing. A kill between a
  // move and a delete left source and container side by side: encryption
  // removes such a source. Then nothing but the containers is left, and
  // after decryption nothing but the restored files.
  RunToTheEnd(tool, "encrypt", folder);
  EXPECT_EQ(CheckNothingLost(dir, originals, NowTicks()), static_cast<int>(originals.size()));
  std::vector<std::string> containers, restoredNames;
  for (const auto& o : originals) {
    containers.push_back(o.base + ".p6k");
    restoredNames.push_back(o.restoredName);
  }
  std::sort(containers.begin(), containers.end());
  std::sort(restoredNames.begin(), restoredNames.end());
  EXPECT_EQ(dir.Names(), containers);
  RunToTheEnd(tool, "decrypt", folder);
  CheckNothingLost(dir, originals, NowTicks());
  EXPECT_EQ(dir.Names(), restoredNames);
  for (const auto& o : originals) {
    auto restored = ReadBytes(dir / o.restoredName);
    ASSERT_TRUE(restored.has_value()) << o.restoredName;
    EXPECT_EQ(Digest(*restored), o.digest) << o.name;
  }
}

TEST(KillTest, NothingIsLostWhereverTheToolDies) { KillOverAndOver(kNativeTool, 60); }

TEST(KillTest, NothingIsLostWhereverTheWindowsToolDiesUnderWine) {
  if (access(P6K_EXE_PATH, R_OK) != 0)
    GTEST_SKIP() << P6K_EXE_PATH << " is not built; build the win32 tree to run this test";
  KillOverAndOver(kWindowsTool, 24);
}

}  // namespace
