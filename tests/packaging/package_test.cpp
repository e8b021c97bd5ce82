// The packages as a user receives them. The portable zip holds the Windows
// release's four files under their own names, the guide in a form Notepad
// reads; the Debian package holds p6k, its manual page and the copyright file,
// the very files `cmake --install` installs, and its p6k runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>

#include <unistd.h>

#include "tests/cli/p6k_process.h"
#include "tests/support/scratch_dir.h"

namespace {

const std::string kVersion = SORVAN_VERSION;
const std::string kZip = std::string(SORVAN_WIN32_BUILD_DIR) + "/dist/Tavrel-" + kVersion + "-win32.zip";
const std::string kStage = std::string(SORVAN_WIN32_BUILD_DIR) + "/packaging/windows/stage/";
const char kGuide[] = "使用说明.txt";

// A tool found on PATH, as a shell finds it.
std::string Tool(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = std::min(folders.find(':', start), folders.size());
    std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;
}

ProcessResult RunTool(std::vector<std::string> argv, const Environment& env = {}) {
  if (argv[0].find('/') == std::string::npos) argv[0] = Tool(argv[0]);
  return RunProcess(argv, env);
}

struct ZipEntry {
  std::string name;
  std::uint16_t flags;
};

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// The entries of the zip's central directory, as an unzipping program reads them.
std::vector<ZipEntry> CentralDirectory(const std::string& zip) {
  std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos) return {};
  std::size_t count = Little(zip, end + 10, 2), at = Little(zip, end + 16, 4);
  std::vector<ZipEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    if (zip.compare(at, 4, "PK\x01\x02", 4) != 0) return {};
    std::size_t nameLength = Little(zip, at + 28, 2);
    entries.push_back({zip.substr(at + 46, nameLength), static_cast<std::uint16_t>(Little(zip, at + 8, 2))});
    at += 46 + nameLength + Little(zip, at + 30, 2) + Little(zip, at + 32, 2);
  }
  return entries;
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class ZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PathExists(kZip)) GTEST_SKIP() << "no Windows build at " << SORVAN_WIN32_BUILD_DIR;
  }
};

TEST_F(ZipTest, HoldsTheFourFilesUnderTheirNames) {
  std::vector<ZipEntry> entries = CentralDirectory(*ReadBytes(kZip));
  std::set<std::string> names;
  for (const ZipEntry& e : entries) {
    names.insert(e.name);
    // Bit 11: the name is UTF-8, so no reader takes it for the system's code page.
    if (!IsAscii(e.name)) {
      EXPECT_TRUE(e.flags & 0x0800) << e.name;
    }
  }
  EXPECT_EQ(names, (std::set<std::string>{"sorvan.exe", "p6k.exe", "default1.htm", kGuide}));
  EXPECT_EQ(entries.size(), 4u);
}

TEST_F(ZipTest, UnzipsToTheReleasedFiles) {
  ScratchDir dir;
  ProcessResult unzip = RunTool({"unzip", "-q", kZip, "-d", dir.path()});
  ASSERT_EQ(unzip.exitCode, 0) << unzip.err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"default1.htm", "p6k.exe", "sorvan.exe", kGuide}));
  for (const std::string& name : dir.Names()) {
    std::optional<std::string> unpacked = ReadBytes(dir / name), staged = ReadBytes(kStage + name);
    EXPECT_TRUE(unpacked && unpacked == staged) << name << " differs from the release's file";
  }
}

// Notepad reads UTF-8 by its byte-order mark on any Windows, and breaks lines
// only at CR LF in its older versions.
TEST_F(ZipTest, GuideIsForNotepadAndSaysWhatItMust) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"unzip", "-q", kZip, kGuide, "-d", dir.path()}).exitCode, 0);
  std::string guide = *ReadBytes(dir / kGuide);
  ASSERT_EQ(guide.compare(0, 3, "\xEF\xBB\xBF"), 0);
  for (std::size_t at = guide.find('\n'); at != std::string::npos; at = guide.find('\n', at + 1))
    ASSERT_EQ(guide[at - 1], '\r') << "a bare line feed at byte " << at;
  EXPECT_EQ(guide.find('\r', guide.size() - 2), guide.size() - 2) << "the last line ends too";

  struct Topic { const char* what; const char* says; } topics[] = {
      {"title with the release", "Tavrel文件加密 " SORVAN_VERSION " 使用说明"},
      {"what it does", "一、这是什么"},
      {"the security note, plainly", ".p6k 文件不是真正的加密，只能防止别人随意查看。"},
      {"why: one byte", "256 种可能"},
      {"the window", "三、主窗口"},
      {"the window's buttons", "“加密文件”或“解密文件”"},
      {"double-click", "四、双击打开 .p6k 文件"},
      {"p6k", "五、命令行工具 p6k"},
      {"p6k's usage", "p6k encrypt [-r] [--password-file 文件] 路径..."},
      {"p6k's password sources", "P6K_PASSWORD"},
      {"p6k's exit codes", "退出码"},
      {"what a container keeps of a name", "扩展名的前 8 个字节"},
      {"one container name for two extensions", "不会丢失任何文件"},
  };
  for (const Topic& t : topics) EXPECT_NE(guide.find(t.says), std::string::npos) << t.what;
}

const std::string kDeb = std::string(SORVAN_NATIVE_BUILD_DIR) + "/dist/p6k_" + kVersion + "_" +
                         SORVAN_DEB_ARCHITECTURE + ".deb";

std::string DebField(const std::string& field) {
  ProcessResult r = RunTool({"dpkg-deb", "-f", kDeb, field});
  return r.exitCode == 0 ? r.out : "(dpkg-deb failed: " + r.err + ")";
}

// The regular files under a folder, as paths relative to it.
std::set<std::string> FilesBelow(const std::string& root) {
  ProcessResult r = RunTool({"find", root, "-type", "f", "-printf", "%P\\n"});
  std::vector<std::string> lines = r.OutLines();
  return std::set<std::string>(lines.begin(), lines.end());
}

const std::set<std::string> kDebFiles = {"usr/bin/p6k", "usr/share/man/man1/p6k.1.gz",
                                         "usr/share/doc/p6k/copyright"};

TEST(DebTest, HoldsP6kItsManualAndTheCopyright) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, dir.path()}).exitCode, 0);
  EXPECT_EQ(FilesBelow(dir.path()), kDebFiles);

  // Owned by root, the program executable and the rest plain readable files.
  ProcessResult listing = RunTool({"dpkg-deb", "-c", kDeb});
  for (const std::string& line : listing.OutLines()) {
    EXPECT_NE(line.find(" root/root "), std::string::npos) << line;
    const bool program = line.find("./usr/bin/p6k") != std::string::npos;
    const bool document = line.find(".gz") != std::string::npos || line.find("copyright") != std::string::npos;
    if (program || document) {
      EXPECT_EQ(line.compare(0, 10, program ? "-rwxr-xr-x" : "-rw-r--r--"), 0) << line;
    }
  }

  struct Field { const char* name; std::string value; } fields[] = {
      {"Package", "p6k\n"}, {"Version", kVersion + "\n"}, {"Architecture", SORVAN_DEB_ARCHITECTURE "\n"},
  };
  for (const Field& f : fields) EXPECT_EQ(DebField(f.name), f.value) << f.name;
  EXPECT_NE(DebField("Depends").find("libc6 (>="), std::string::npos) << DebField("Depends");
  EXPECT_NE(DebField("Description").find("not cryptographic protection"), std::string::npos);
  EXPECT_NE(DebField("Maintainer"), "\n");
}

TEST(DebTest, ItsP6kRuns) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, dir.path()}).exitCode, 0);
  ProcessResult version = RunTool({dir / "usr/bin/p6k", "--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "p6k " + kVersion + "\n");
}

TEST(DebTest, ManualPageRendersEverySection) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, dir.path()}).exitCode, 0);
  ASSERT_EQ(RunTool({"gzip", "-d", dir / "usr/share/man/man1/p6k.1.gz"}).exitCode, 0);
  // -ww: every warning groff knows; a roff mistake shows as one.
  ProcessResult page = RunTool({"groff", "-k", "-man", "-rHY=0", "-Tutf8", "-ww", "-P-cbou",
                            dir / "usr/share/man/man1/p6k.1"},
                           {{"LC_ALL", "C.UTF-8"}});
  ASSERT_EQ(page.exitCode, 0);
  EXPECT_EQ(page.err, "");
  for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "PASSWORD SOURCES",
                              "STATUS LINES", "NAMES", "EXIT STATUS", "EXAMPLES", "SECURITY"})
    EXPECT_NE(page.out.find(std::string("\n") + section + "\n"), std::string::npos) << section;
  // Filled lines break anywhere: the text is read with single blanks.
  std::string text;
  for (char c : page.out)
    if (!std::isspace(static_cast<unsigned char>(c)))
      text += c;
    else if (!text.empty() && text.back() != ' ')
      text += ' ';
  for (const char* says : {"p6k " SORVAN_VERSION, "失败,文件已存在", "P6K_PASSWORD", "256 possible keys",
                           "share one container name", "at most its first 8 bytes",
                           "hides content from casual eyes and nothing more"})
    EXPECT_NE(text.find(says), std::string::npos) << says;
}

TEST(DebTest, InstallRulesInstallTheSameFiles) {
  ScratchDir dir;
  ProcessResult install = RunTool({CMAKE_COMMAND, "--install", SORVAN_NATIVE_BUILD_DIR, "--prefix", "/usr"},
                                     {{"DESTDIR", dir.path()}});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  EXPECT_EQ(FilesBelow(dir.path()), kDebFiles);
  ScratchDir deb;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, deb.path()}).exitCode, 0);
  for (const char* file : {"usr/share/man/man1/p6k.1.gz", "usr/share/doc/p6k/copyright"})
    EXPECT_EQ(ReadBytes(dir / file), ReadBytes(deb / file)) << file;
}

}  // namespace
