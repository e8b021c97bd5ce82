#include <gtest/gtest.h>

#include "crypt/container_naming.h"
#include "crypt/file_names.h"

namespace {

const PathRules kWin = Cp936WindowsRules();
const PathRules kPosix{&NoLeadByte, false};

struct NameCase {
  const char* path;
  PathRules rules;
  const char* directory;
  const char* base;
  const char* extension;
  const char* container;
};

TEST(FileNames, SplitAndContainerName) {
  const NameCase cases[] = {
      {"C:\\work\\archive.tar.gz", kWin, "C:\\work\\", "archive.tar", "gz", "C:\\work\\archive.tar.p6k"},
      {"C:\\work\\data.properties", kWin, "C:\\work\\", "data", "properties", "C:\\work\\data.p6k"},
      {"C:\\work\\README", kWin, "C:\\work\\", "README", "", "C:\\work\\README.p6k"},
      {"C:\\work\\file.", kWin, "C:\\work\\", "file", "", "C:\\work\\file.p6k"},
      {"a.txt", kWin, "", "a", "txt", "a.p6k"},
      // Windows takes the slash as a separator too: dir/a.txt writes into dir.
      {"dir/a.txt", kWin, "dir/", "a", "txt", "dir/a.p6k"},
      {"C:\\x/y\\z.doc", kWin, "C:\\x/y\\", "z", "doc", "C:\\x/y\\z.p6k"},
      // A folder name ending in a character whose trail byte is 0x5C.
      {"C:\\ab\x95\x5C\\x.txt", kWin, "C:\\ab\x95\x5C\\", "x", "txt", "C:\\ab\x95\x5C\\x.p6k"},
      {"C:\\\x95\x5C\x95\x5C", kWin, "C:\\", "\x95\x5C\x95\x5C", "", "C:\\\x95\x5C\x95\x5C.p6k"},
      {"C:\\d\\\xB1\xA8\xB8\xE6.\xCE\xC4\xB5\xB5", kWin, "C:\\d\\", "\xB1\xA8\xB8\xE6",
       "\xCE\xC4\xB5\xB5", "C:\\d\\\xB1\xA8\xB8\xE6.p6k"},
      // On POSIX a backslash is an ordinary byte of a name.
      {"/tmp/dir\\a.txt", kPosix, "/tmp/", "dir\\a", "txt", "/tmp/dir\\a.p6k"},
      {"/tmp/\xE6\x8A\xA5\xE5\x91\x8A.txt", kPosix, "/tmp/", "\xE6\x8A\xA5\xE5\x91\x8A", "txt",
       "/tmp/\xE6\x8A\xA5\xE5\x91\x8A.p6k"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    SplitName split = SplitPath(c.path, c.rules);
    EXPECT_EQ(split.directory, c.directory);
    EXPECT_EQ(split.baseName, c.base);
    EXPECT_EQ(split.extension, c.extension);
    std::string extension = "untouched";
    EXPECT_EQ(SplitFileName(c.path, extension, c.rules), c.base);
    EXPECT_EQ(extension, c.extension);
    EXPECT_EQ(ContainerName(c.path, c.rules), c.container);
  }
}

TEST(FileNames, RestoredName) {
  struct Case { const char* container; const char* extension; const char* restored; } cases[] = {
      {"C:\\w\\archive.tar.p6k", "gz", "C:\\w\\archive.tar.gz"},
      {"C:\\w\\data.p6k", "properti", "C:\\w\\data.properti"},
      {"C:\\w\\README.p6k", "", "C:\\w\\README"},          // no dot left dangling
      {"C:\\w\\README.p6k", "README", "C:\\w\\README.README"},  // older containers as they are
      {"C:\\other\\x.p6k", "txt", "C:\\other\\x.txt"},      // the container's own folder
      {"C:\\w\\notap6k", "txt", "C:\\w\\notap6k.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(RestoredName(c.container, c.extension, kWin), c.restored);
}

// The name decrypting a container gives back, as masking asks for it before
// it writes: what the trailer keeps of the extension, read back the way the
// decryption reads it.
TEST(FileNames, NameGivenBack) {
  struct Case { const char* source; PathRules rules; Outcome outcome; const char* container;
                const char* returned; } cases[] = {
      {"C:\\w\\a.txt", kWin, Outcome::Done, "C:\\w\\a.p6k", "C:\\w\\a.txt"},
      {"C:\\w\\data.extension12", kWin, Outcome::Done, "C:\\w\\data.p6k", "C:\\w\\data.extensio"},
      {"C:\\w\\data.12345678", kWin, Outcome::Done, "C:\\w\\data.p6k", "C:\\w\\data.12345678"},
      {"C:\\w\\file.", kWin, Outcome::Done, "C:\\w\\file.p6k", "C:\\w\\file"},
      {"C:\\w\\README", kWin, Outcome::Done, "C:\\w\\README.p6k", "C:\\w\\README"},
      {"/t/archive.tar.gz", kPosix, Outcome::Done, "/t/archive.tar.p6k", "/t/archive.tar.gz"},
      // A character the restore refuses in a name is refused before masking.
      {"/t/a.x:y", kPosix, Outcome::ExtensionNotRestorable, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    for (std::uint8_t key : {0x00, 0x5A}) {
      ContainerNaming naming = NameContainer(c.source, key, c.rules);
      EXPECT_EQ(naming.outcome, c.outcome);
      if (c.outcome != Outcome::Done) continue;
      EXPECT_EQ(naming.containerPath, c.container);
      EXPECT_EQ(naming.returnedPath, c.returned);
      EXPECT_EQ(naming.trailer.size(), 21u);
    }
  }
}

TEST(FileNames, ContainerSuffix) {
  struct Case { const char* path; bool passes; } cases[] = {
      {"C:\\a\\x.p6k", true}, {"C:\\a\\notap6k", true}, {"p6k", true},
      {"C:\\a\\REPORT.P6K", false}, {"C:\\a\\x.p6K", false}, {"6k", false}, {"", false},
      {"C:\\a\\x.p6k.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HasContainerSuffix(c.path), c.passes) << c.path;
}

}  // namespace
