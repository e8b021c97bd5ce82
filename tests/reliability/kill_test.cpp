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
// file once a temporary file of the run has grown to a size. Nothing here
// gives up after a time but a wait that sees no progress for minutes.
#include <gtest/gtest.h>
#include <fcntl.h>
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
#include "tests/support/windows_trees.h"

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

// The temporary files that lie in the folder before a run, each held open
// by the test: a file held open keeps its inode, so no file the run makes
// can share its identity, whatever the coarseness of the file times and
// however a name repeats.
class EarlierTemporaries {
 public:
  explicit EarlierTemporaries(const ScratchDir& dir) {
    for (const auto& name : dir.Names()) {
      if (!IsTemporaryName(name)) continue;
      int fd = open((dir / name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      struct stat st;
      if (fd >= 0 && fstat(fd, &st) == 0) m_held.push_back({fd, st.st_dev, st.st_ino});
      else if (fd >= 0) close(fd);
    }
  }
  ~EarlierTemporaries() {
    for (const auto& h : m_held) close(h.fd);
  }
  EarlierTemporaries(const EarlierTemporaries&) = delete;
  EarlierTemporaries& operator=(const EarlierTemporaries&) = delete;

  bool Holds(const struct stat& st) const {
    for (const auto& h : m_held)
      if (h.device == st.st_dev && h.inode == st.st_ino) return true;
    return false;
  }

 private:
  struct Held {
    int fd;
    dev_t device;
    ino_t inode;
  };
  std::vector<Held> m_held;
};

// Checks that every original is recoverable and that nothing else but the
// temporary files of the last run lies in the folder: none of earlier.
// Returns how many are encrypted.
int CheckNothingLost(const ScratchDir& dir, const std::vector<Original>& originals,
                     const EarlierTemporaries& earlier) {
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
      EXPECT_FALSE(stat((dir / name).c_str(), &st) == 0 && earlier.Holds(st))
          << name << ": a temporary file of an earlier kill was left";
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

// The size of the largest temporary file the running tool made, or -1 while
// it has made none: those of earlier kills are not its progress.
long long TemporaryFileSize(const ScratchDir& dir, const EarlierTemporaries& earlier) {
  long long largest = -1;
  for (const auto& name : dir.Names()) {
    struct stat st;
    if (IsTemporaryName(name) && stat((dir / name).c_str(), &st) == 0 && !earlier.Holds(st))
      largest = std::max<long long>(largest, st.st_size);
  }
  return largest;
}

// A tool that shows no progress for this long hangs; a slow one moves on.
const auto kHang = std::chrono::minutes(3);

// Waits for a moment of the run and kills it there. Returns true when the
// kill landed in the middle of a file.
bool KillAtAMoment(ChildProcess& tool, const ScratchDir& dir, const EarlierTemporaries& earlier,
                   std::mt19937& random, bool midFile) {
  const std::size_t rows = 1 + random() % 40;
  const long long grown = 1 + static_cast<long long>(random() % (4u << 20));
  auto lastProgress = std::chrono::steady_clock::now();
  std::pair<std::size_t, long long> seen{0, -1};
  bool reached = false;
  while (!reached && !tool.Exited()) {
    std::pair<std::size_t, long long> now{LinesIn(tool.OutputSoFar()), TemporaryFileSize(dir, earlier)};
    reached = midFile ? now.second >= grown : now.first >= rows;
    if (now != seen) lastProgress = std::chrono::steady_clock::now();
    seen = now;
    if (std::chrono::steady_clock::now() - lastProgress > kHang) {
      ADD_FAILURE() << "the tool showed no progress for minutes";
      break;
    }
    if (!reached) std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  tool.Signal(SIGKILL);
  tool.Wait();
  return midFile && reached;
}

void KillOverAndOver(const Tool& tool, int maxKills) {
  const unsigned seed = std::getenv("KILL_TEST_SEED") ? std::atoi(std::getenv("KILL_TEST_SEED")) : 2026;
  if (std::getenv("KILL_TEST_KILLS")) maxKills = std::atoi(std::getenv("KILL_TEST_KILLS"));
  std::mt19937 random(seed);
  ScratchDir dir;
  std::vector<Original> originals = MakeFolder(dir, random);
  std::string folder = dir.path().substr(0, dir.path().size() - 1);

  int kills = 0, killsDecrypting = 0, killsMidFile = 0;
  bool encrypting = true;
  while (kills < maxKills) {
    const EarlierTemporaries earlier(dir);
    ChildProcess running(tool.Command(encrypting ? "encrypt" : "decrypt", folder),
                         {{"P6K_PASSWORD", kPassword}});
    // Every other kill waits for a file in the middle of its transfer.
    if (KillAtAMoment(running, dir, earlier, random, kills % 2 == 1)) ++killsMidFile;
    ++kills;
    if (!encrypting) ++killsDecrypting;
    int encrypted = CheckNothingLost(dir, originals, earlier);
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
  // A run to its end leaves no temporary file: any left counts as earlier.
  RunToTheEnd(tool, "encrypt", folder);
  EXPECT_EQ(CheckNothingLost(dir, originals, EarlierTemporaries(dir)),
            static_cast<int>(originals.size()));
  std::vector<std::string> containers, restoredNames;
  for (const auto& o : originals) {
    containers.push_back(o.base + ".p6k");
    restoredNames.push_back(o.restoredName);
  }
  std::sort(containers.begin(), containers.end());
  std::sort(restoredNames.begin(), restoredNames.end());
  EXPECT_EQ(dir.Names(), containers);
  RunToTheEnd(tool, "decrypt", folder);
  CheckNothingLost(dir, originals, EarlierTemporaries(dir));
  EXPECT_EQ(dir.Names(), restoredNames);
  for (const auto& o : originals) {
    auto restored = ReadBytes(dir / o.restoredName);
    ASSERT_TRUE(restored.has_value()) << o.restoredName;
    EXPECT_EQ(Digest(*restored), o.digest) << o.name;
  }
}

TEST(KillTest, NothingIsLostWhereverTheToolDies) { KillOverAndOver(kNativeTool, 60); }

TEST(KillTest, NothingIsLostWhereverTheWindowsToolDiesUnderWine) {
  SKIP_WITHOUT_WINDOWS_TREE(access(P6K_EXE_PATH, R_OK) == 0,
                            P6K_EXE_PATH << " is not built; build the Windows tree to run this test");
  KillOverAndOver(kWindowsTool, 24);
}

}  // namespace
