// The packages as a user receives them. The portable zip holds the Windows
// release's six files under their own names, the texts in a form Notepad
// reads; the Debian package holds p6k, its manual page, the copyright file and
// the changelog, the very files `cmake --install` installs, its p6k runs and
// lintian finds nothing to say. Every time inside them is the build's
// SOURCE_DATE_EPOCH.
//
// They check the test trees' packages; scripts/package.sh points them at the
// release with SORVAN_DIST (the packages' folder) and SORVAN_NATIVE_BUILD_DIR
// and SORVAN_WIN32_BUILD_DIR (the trees it built them in).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>

#include <unistd.h>

#include "tests/cli/p6k_process.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/windows_trees.h"

namespace {

std::string FromEnvironment(const char* name, const std::string& otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? value : otherwise;
}

const std::string kVersion = SORVAN_VERSION;
const std::string kNativeTree = FromEnvironment("SORVAN_NATIVE_BUILD_DIR", SORVAN_NATIVE_BUILD_DIR);
const std::string kWin32Tree = FromEnvironment("SORVAN_WIN32_BUILD_DIR", SORVAN_WIN32_BUILD_DIR);
const std::string kZip = FromEnvironment("SORVAN_DIST", kWin32Tree + "/dist") + "/Tavrel-" + kVersion + "-win32.zip";
const std::string kStage = kWin32Tree + "/packaging/windows/stage/";
const char kGuide[] = "使用说明.txt";
const char kNotes[] = "更新说明.txt";
const char kLicense[] = "LICENSE.txt";

// The one moment the build dates everything by: ctest gives the tree's,
// scripts/package.sh the release's.
std::time_t Epoch() {
  const char* value = std::getenv("SOURCE_DATE_EPOCH");
  return value ? static_cast<std::time_t>(std::strtoll(value, nullptr, 10)) : 0;
}

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
  std::uint16_t time, date;  // MS-DOS form
  std::size_t extraLength;
  std::size_t localHeader;
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
    entries.push_back({zip.substr(at + 46, nameLength), static_cast<std::uint16_t>(Little(zip, at + 8, 2)),
                       static_cast<std::uint16_t>(Little(zip, at + 12, 2)),
                       static_cast<std::uint16_t>(Little(zip, at + 14, 2)), Little(zip, at + 30, 2),
                       Little(zip, at + 42, 4)});
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
    SKIP_WITHOUT_WINDOWS_TREE(PathExists(kZip), "no Windows build at " << SORVAN_WIN32_BUILD_DIR);
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
  EXPECT_EQ(names, (std::set<std::string>{"sorvan.exe", "p6k.exe", "default1.htm", kGuide, kNotes, kLicense}));
  EXPECT_EQ(entries.size(), 6u);
}

// The zip has no time but the build's: each entry's MS-DOS time (UTC, to the
// even second the format holds) in both headers, and no extra field where zip
// tools keep access and change times.
TEST_F(ZipTest, EveryTimeIsTheBuildsEpoch) {
  ASSERT_GT(Epoch(), 0) << "SOURCE_DATE_EPOCH is not set";
  std::time_t epoch = Epoch();
  std::tm utc = *std::gmtime(&epoch);
  const unsigned time = utc.tm_hour << 11 | utc.tm_min << 5 | utc.tm_sec / 2;
  const unsigned date = (utc.tm_year - 80) << 9 | (utc.tm_mon + 1) << 5 | utc.tm_mday;
  std::optional<std::string> read = ReadBytes(kZip);
  ASSERT_TRUE(read.has_value()) << kZip;
  const std::string& zip = *read;
  std::vector<ZipEntry> entries = CentralDirectory(zip);
  ASSERT_FALSE(entries.empty());
  for (const ZipEntry& e : entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.time, time);
    EXPECT_EQ(e.date, date);
    EXPECT_EQ(e.extraLength, 0u);
    ASSERT_EQ(zip.compare(e.localHeader, 4, "PK\x03\x04", 4), 0);
    EXPECT_EQ(Little(zip, e.localHeader + 10, 2), time);
    EXPECT_EQ(Little(zip, e.localHeader + 12, 2), date);
    EXPECT_EQ(Little(zip, e.localHeader + 28, 2), 0u) << "an extra field in the local header";
  }
}

// The linker stamps each program's PE header with the build's time.
TEST_F(ZipTest, ProgramsAreStampedWithTheBuildsEpoch) {
  ASSERT_GT(Epoch(), 0) << "SOURCE_DATE_EPOCH is not set";
  ScratchDir dir;
  ASSERT_EQ(RunTool({"unzip", "-q", kZip, "sorvan.exe", "p6k.exe", "-d", dir.path()}).exitCode, 0);
  for (const char* program : {"sorvan.exe", "p6k.exe"}) {
    std::optional<std::string> read = ReadBytes(dir / program);
    ASSERT_TRUE(read.has_value()) << program;
    const std::string& image = *read;
    std::size_t header = Little(image, 0x3C, 4);
    ASSERT_EQ(image.compare(header, 4, std::string("PE\0\0", 4)), 0) << program;
    EXPECT_EQ(Little(image, header + 8, 4), static_cast<std::uint32_t>(Epoch())) << program;
  }
}

// The release's notes and licence, for Notepad as the guide is.
TEST_F(ZipTest, NotesAndLicenceAreForNotepad) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"unzip", "-q", kZip, kNotes, kLicense, "-d", dir.path()}).exitCode, 0);
  struct Text { const char* name; std::vector<std::string> says; } texts[] = {
      {kNotes, {"Tavrel文件加密 " SORVAN_VERSION " 更新说明\r\n", "256 possible keys", "MIT"}},
      {kLicense, {"MIT License\r\n", "Copyright (c) 2026 塔维尔", "WITHOUT WARRANTY OF ANY KIND"}},
  };
  for (const Text& t : texts) {
    SCOPED_TRACE(t.name);
    std::optional<std::string> read = ReadBytes(dir / t.name);
    ASSERT_TRUE(read.has_value());
    const std::string& text = *read;
    ASSERT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
      ASSERT_EQ(text[at - 1], '\r') << "a bare line feed at byte " << at;
    for (const std::string& says : t.says) EXPECT_NE(text.find(says), std::string::npos) << says;
  }
}

TEST_F(ZipTest, UnzipsToTheReleasedFiles) {
  ScratchDir dir;
  ProcessResult unzip = RunTool({"unzip", "-q", kZip, "-d", dir.path()});
  ASSERT_EQ(unzip.exitCode, 0) << unzip.err;
  EXPECT_EQ(dir.Names(),
            (std::vector<std::string>{kLicense, "default1.htm", "p6k.exe", "sorvan.exe", kGuide, kNotes}));
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

const std::string kDeb = FromEnvironment("SORVAN_DIST", kNativeTree + "/dist") + "/p6k_" + kVersion + "_" +
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
                                         "usr/share/doc/p6k/copyright", "usr/share/doc/p6k/changelog.gz"};

TEST(DebTest, HoldsP6kItsManualTheCopyrightAndTheChangelog) {
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

// The page is dated by the release, and "(sorvan.exe)" stays on one line and
// whole at every width a terminal may have.
TEST(DebTest, ManualPageIsDatedAndKeepsTheProgramsNameWhole) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, dir.path()}).exitCode, 0);
  ASSERT_EQ(RunTool({"gzip", "-d", dir / "usr/share/man/man1/p6k.1.gz"}).exitCode, 0);
  char date[16];
  std::time_t epoch = Epoch();
  std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&epoch));
  for (int columns : {60, 65, 70, 72, 75, 78, 80, 85, 90, 100, 120}) {
    SCOPED_TRACE(columns);
    ProcessResult page = RunTool({"groff", "-k", "-man", "-Tutf8", "-P-cbou", "-rLL=" + std::to_string(columns) + "n",
                                  dir / "usr/share/man/man1/p6k.1"},
                                 {{"LC_ALL", "C.UTF-8"}});
    ASSERT_EQ(page.exitCode, 0);
    EXPECT_NE(page.out.find("(sorvan.exe)"), std::string::npos);
    std::vector<std::string> lines = page.OutLines();
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(date), std::string::npos) << lines.back();
  }
}

TEST(DebTest, InstallRulesInstallTheSameFiles) {
  ScratchDir dir;
  ProcessResult install = RunTool({CMAKE_COMMAND, "--install", kNativeTree, "--prefix", "/usr"},
                                     {{"DESTDIR", dir.path()}});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  EXPECT_EQ(FilesBelow(dir.path()), kDebFiles);
  ScratchDir deb;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, deb.path()}).exitCode, 0);
  for (const char* file : {"usr/share/man/man1/p6k.1.gz", "usr/share/doc/p6k/copyright",
                           "usr/share/doc/p6k/changelog.gz"})
    EXPECT_EQ(ReadBytes(dir / file), ReadBytes(deb / file)) << file;
}

// lintian, pedantic notes included, finds nothing: hardening, the changelog,
// the machine-readable copyright, the manual page.
TEST(DebTest, LintianHasNothingToSay) {
  // A sanitizer's or a Debug tree's package is for its own tests, not hardened.
  if (!SORVAN_HARDENED) GTEST_SKIP() << "this tree is not built hardened";
  ProcessResult lintian = RunTool({"lintian", "--pedantic", "--no-cfg", kDeb});
  EXPECT_EQ(lintian.exitCode, 0) << lintian.err;
  EXPECT_EQ(lintian.out, "");
}

TEST(DebTest, ChangelogIsThisReleasesInDebiansFormat) {
  ScratchDir dir;
  ASSERT_EQ(RunTool({"dpkg-deb", "-x", kDeb, dir.path()}).exitCode, 0);
  ProcessResult parsed = RunTool({"dpkg-parsechangelog", "-l", dir / "usr/share/doc/p6k/changelog.gz",
                                  "-S", "Version"});
  EXPECT_EQ(parsed.exitCode, 0) << parsed.err;
  EXPECT_EQ(parsed.out, kVersion + "\n");
  ProcessResult timestamp = RunTool({"dpkg-parsechangelog", "-l", dir / "usr/share/doc/p6k/changelog.gz",
                                     "-S", "Timestamp"});
  EXPECT_EQ(timestamp.out, std::to_string(Epoch()) + "\n");
}

// The archive's members and every file and folder in it carry the build's time.
TEST(DebTest, EveryTimeIsTheBuildsEpoch) {
  ASSERT_GT(Epoch(), 0) << "SOURCE_DATE_EPOCH is not set";
  std::optional<std::string> read = ReadBytes(kDeb);
  ASSERT_TRUE(read.has_value()) << kDeb;
  const std::string& deb = *read;
  ASSERT_EQ(deb.compare(0, 8, "!<arch>\n"), 0);
  int members = 0;
  for (std::size_t at = 8; at + 60 <= deb.size(); ++members) {
    std::string name = deb.substr(at, 16);
    EXPECT_EQ(std::strtoll(deb.substr(at + 16, 12).c_str(), nullptr, 10), Epoch()) << name;
    std::size_t size = std::strtoull(deb.substr(at + 48, 10).c_str(), nullptr, 10);
    at += 60 + size + size % 2;
  }
  EXPECT_EQ(members, 3);

  char stamp[32];
  std::time_t epoch = Epoch();
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::gmtime(&epoch));
  for (const char* part : {"--ctrl-tarfile", "--fsys-tarfile"}) {
    ScratchDir dir;
    ProcessResult tar = RunTool({"dpkg-deb", part, kDeb});
    WriteBytes(dir / "part.tar", tar.out);
    ProcessResult listing = RunTool({"tar", "-tvf", dir / "part.tar", "--full-time"}, {{"TZ", "UTC"}});
    ASSERT_FALSE(listing.OutLines().empty()) << part;
    for (const std::string& line : listing.OutLines()) EXPECT_NE(line.find(stamp), std::string::npos) << line;
  }
}

}  // namespace
