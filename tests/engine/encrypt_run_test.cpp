#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;

TEST(EncryptRun, WritesTheContainerBytesAndRemovesTheSource) {
  struct Case { std::string name; std::string content; std::string container; std::string ext; } cases[] = {
      {"a.txt", "hello", "a.p6k", "txt"},
      {"empty.dat", "", "empty.p6k", "dat"},
      {"archive.tar.gz", PatternBytes(1000), "archive.tar.p6k", "gz"},
      {"data.properties", "x", "data.p6k", "properti"},
      {"eight.12345678", "y", "eight.p6k", "12345678"},
      {"README", "no dot", "README.p6k", ""},
      {std::string("\xE6\x8A\xA5\xE5\x91\x8A.\xE6\x96\x87\xE6\xA1\xA3"),
       "chinese", std::string("\xE6\x8A\xA5\xE5\x91\x8A.p6k"),
       "\xCE\xC4\xB5\xB5" /* code page 936 bytes, on every platform */},
  };
  // 密码 as the Windows program holds it; on POSIX the caller converts UTF-8 first.
  const std::string password = "\xC3\xDC\xC2\xEB";
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    WriteBytes(dir / c.name, c.content);
    RecordingListener view = RunEncrypt({dir / c.name}, password);
    ASSERT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(view.rows[0].path, dir / c.container);
    EXPECT_EQ(view.rows[0].status, RowStatus::Success);
    EXPECT_EQ(dir.Names(), Names{c.container});
    EXPECT_EQ(ReadBytes(dir / c.container), ContainerFromLayout(c.content, c.ext, DeriveKey(password)));
  }
}

TEST(EncryptRun, RefusalsLeaveTheFileAsItWas) {
  ScratchDir dir;
  const std::string key = "pw";
  // A container renamed to another suffix, made under the same key byte.
  std::string renamed = ContainerFromLayout("inner", "txt", DeriveKey(key));
  struct Case { std::string name; std::string content; Outcome outcome; RowStatus status; } cases[] = {
      {"x.p6k", "plain", Outcome::NamedAsContainer, RowStatus::AlreadyEncrypted},
      {"notap6k", "plain", Outcome::NamedAsContainer, RowStatus::AlreadyEncrypted},
      {"renamed.dat", renamed, Outcome::RecognisedByTrailer, RowStatus::AlreadyEncrypted},
  };
  std::vector<std::string> paths;
  for (auto& c : cases) {
    WriteBytes(dir / c.name, c.content);
    paths.push_back(dir / c.name);
  }
  paths.push_back(dir / "missing.txt");
  RecordingListener view = RunEncrypt(paths, key);
  ASSERT_EQ(view.outcomes.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(view.outcomes[i], cases[i].outcome);
    EXPECT_EQ(view.rows[i].status, cases[i].status);
    EXPECT_EQ(view.rows[i].path, paths[i]);
    EXPECT_EQ(ReadBytes(paths[i]), cases[i].content);
  }
  EXPECT_EQ(view.outcomes[3], Outcome::OpenFailed);
  EXPECT_EQ(view.rows[3].status, RowStatus::Failed);
  EXPECT_EQ(dir.Names(), (Names{"notap6k", "renamed.dat", "x.p6k"}));
}

// The trailer test on the encrypt side: a file of 21 bytes and more is a
// container when marker and tag both read back under the run's key; a
// shorter one never is, whatever its bytes.
TEST(EncryptRun, TrailerTestNeedsTwentyOneBytesMarkerAndTag) {
  const std::string key = "pw";
  const std::string empty = ContainerFromLayout("", "", DeriveKey(key));  // 21 bytes
  std::string damagedTag = ContainerFromLayout("inner", "txt", DeriveKey(key));
  damagedTag[damagedTag.size() - 10] ^= 0x01;
  struct Case { const char* what; std::string content; const char* password; Outcome outcome; } cases[] = {
      {"21 bytes that read back", empty, "pw", Outcome::RecognisedByTrailer},
      {"20 bytes that read back as far as they go", empty.substr(1), "pw", Outcome::Done},
      {"another key byte", ContainerFromLayout("inner", "txt", DeriveKey(key)), "other", Outcome::Done},
      {"marker reads back, tag does not", damagedTag, "pw", Outcome::Done},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteBytes(dir / "f.dat", c.content);
    RecordingListener view = RunEncrypt({dir / "f.dat"}, c.password);
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.outcome});
    if (c.outcome == Outcome::Done) {
      EXPECT_EQ(ReadBytes(dir / "f.p6k"), ContainerFromLayout(c.content, "dat", DeriveKey(c.password)));
    } else {
      EXPECT_EQ(ReadBytes(dir / "f.dat"), c.content);
    }
  }
}

TEST(EncryptRun, SizeLimitUsesTheWholeLength) {
  ScratchDir dir;
  // 4 GiB + 10 bytes must not pass for 10 bytes; one byte over the limit fails too.
  for (std::uint64_t length : {(4ull << 30) + 10, 1107296257ull}) {
    SCOPED_TRACE(length);
    ASSERT_TRUE(MakeSizedFile(dir / "big.bin", length));
    RecordingListener view = RunEncrypt({dir / "big.bin"}, "pw");
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::TooLarge});
    EXPECT_EQ(view.rows[0].status, RowStatus::TooLargeEncrypt);
    EXPECT_EQ(dir.Names(), Names{"big.bin"});
  }
}

TEST(EncryptRun, NeverReplacesAnExistingName) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "text");
  WriteBytes(dir / "a.doc", "document");
  RecordingListener view = RunEncrypt({dir / "a.txt", dir / "a.doc"}, "pw");
  EXPECT_EQ(view.outcomes, (std::vector<Outcome>{Outcome::Done, Outcome::NameTaken}));
  EXPECT_EQ(view.rows[1].status, RowStatus::NameTaken);
  EXPECT_EQ(view.rows[1].path, dir / "a.doc");
  EXPECT_EQ(ReadBytes(dir / "a.doc"), "document");
  EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout("text", "txt", DeriveKey("pw")));
  EXPECT_EQ(dir.Names(), (Names{"a.doc", "a.p6k"}));
}

TEST(EncryptRun, FolderEndingInTrailByte5CIsNotSplitThere) {
  ScratchDir dir;
  // 昞 is 0x95 0x5C in code page 936: its second byte is the backslash.
  const std::string folder = dir / std::string("ab\xE6\x98\x9E");
  ASSERT_TRUE(MakeFolder(folder));
  const std::string source = folder + kSeparator + "x.txt";
  WriteBytes(source, "inside");
  RecordingListener view = RunEncrypt({source}, "pw");
  ASSERT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
  EXPECT_EQ(view.rows[0].path, folder + kSeparator + "x.p6k");
  EXPECT_EQ(ReadBytes(folder + kSeparator + "x.p6k"),
            ContainerFromLayout("inside", "txt", DeriveKey("pw")));
  EXPECT_EQ(dir.Names().size(), 1u);  // nothing written beside the folder
}

// The facts of a run, in order: the run, each row reached with its path,
// the bytes of a file as they move, each row's end, the run's end.
TEST(EncryptRun, TellsItsFactsInOrder) {
  ScratchDir dir;
  WriteBytes(dir / "ok.txt", "fine");
  RecordingListener view = RunEncrypt({dir / "missing.txt", dir / "ok.txt"}, "pw");
  EXPECT_EQ(view.log, (std::vector<std::string>{"started", "row 0", "finished 0", "row 1",
                                                "finished 1", "ended"}));
  EXPECT_TRUE(view.bytes[0].empty());
  EXPECT_EQ(view.bytes[1], (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{4, 4}}));
  EXPECT_EQ(view.results[1].shownPath, dir / "ok.p6k");
  EXPECT_EQ(view.results[1].outputPath, dir / "ok.p6k");
  EXPECT_EQ(view.results[0].shownPath, dir / "missing.txt");
  EXPECT_EQ(view.results[0].outputPath, "");
}

#ifdef _WIN32
TEST(EncryptRun, FileHeldOpenByAnotherProgramFails) {
  ScratchDir dir;
  WriteBytes(dir / "held.txt", "busy");
  ExclusiveLock lock(dir / "held.txt");
  ASSERT_TRUE(lock.held());
  RecordingListener view = RunEncrypt({dir / "held.txt"}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::OpenFailed});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
}

// Windows refuses a read-only file to any writer, and Wine lets root open it
// all the same: the runs refuse it by its attribute before writing anything.
TEST(ReadOnlySource, FailsBeforeAnythingIsWritten) {
  ScratchDir dir;
  const std::string container = ContainerFromLayout("x", "txt", DeriveKey("pw"));
  WriteBytes(dir / "a.txt", "plain");
  WriteBytes(dir / "b.p6k", container);
  for (std::string name : {"a.txt", "b.p6k"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(SetFileAttributesW(WideText(dir / name).c_str(), FILE_ATTRIBUTE_READONLY));
    RecordingListener view = name == "a.txt" ? RunEncrypt({dir / name}, "pw") : RunDecrypt({dir / name}, "pw");
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::OpenFailed});
    EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
    EXPECT_EQ(dir.Names(), (Names{"a.txt", "b.p6k"}));
  }
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "plain");
  EXPECT_EQ(ReadBytes(dir / "b.p6k"), container);
}

TEST(EncryptRun, UpperCaseSuffixOnACaseInsensitiveVolumeIsNotReplaced) {
  // REPORT.P6K fails the suffix test, and its container name REPORT.p6k is
  // the file itself on a volume that ignores case.
  ScratchDir dir;
  WriteBytes(dir / "REPORT.P6K", "mine");
  RecordingListener view = RunEncrypt({dir / "REPORT.P6K"}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::NameTaken});
  EXPECT_EQ(ReadBytes(dir / "REPORT.P6K"), "mine");
  EXPECT_EQ(dir.Names(), Names{"REPORT.P6K"});
}
#else
TEST(EncryptRun, PosixRefusesNamesCodePage936CannotHold) {
  ScratchDir dir;
  WriteBytes(dir / "smile.\xF0\x9F\x98\x80", "s");
  RecordingListener view = RunEncrypt({dir / "smile.\xF0\x9F\x98\x80"}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::NameNotConvertible});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(dir.Names(), Names{"smile.\xF0\x9F\x98\x80"});
}

// A name whose stored extension the restore would refuse is refused before
// anything is written, so that no container leaves the tool that the tool
// will not give back. Only the eight bytes the trailer keeps count.
TEST(EncryptRun, PosixRefusesExtensionsTheRestoreWouldRefuse) {
  struct Case { const char* name; Outcome outcome; const char* container; } cases[] = {
      {"notes.a|b", Outcome::ExtensionNotRestorable, nullptr},
      {"back.a\\b", Outcome::ExtensionNotRestorable, nullptr},
      {"meeting.10:30", Outcome::ExtensionNotRestorable, nullptr},
      {"q.what?", Outcome::ExtensionNotRestorable, nullptr},
      {"star.a*b", Outcome::ExtensionNotRestorable, nullptr},
      {"lt.a<b", Outcome::ExtensionNotRestorable, nullptr},
      {"gt.a>b", Outcome::ExtensionNotRestorable, nullptr},
      {"quote.x\"y", Outcome::ExtensionNotRestorable, nullptr},
      {"tab.a\tb", Outcome::ExtensionNotRestorable, nullptr},
      {"bell.\x07", Outcome::ExtensionNotRestorable, nullptr},
      {"cut.abcdefgh|", Outcome::Done, "cut.p6k"},       // the "|" is past the kept bytes
      {"colon:in.base", Outcome::Done, "colon:in.p6k"},  // the base name stays as it is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    WriteBytes(dir / c.name, "kept");
    RecordingListener view = RunEncrypt({dir / c.name}, "pw");
    EXPECT_EQ(view.outcomes, std::vector<Outcome>{c.outcome});
    if (c.container) {
      EXPECT_EQ(dir.Names(), Names{c.container});
      continue;
    }
    EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
    EXPECT_EQ(view.rows[0].path, dir / c.name);
    EXPECT_EQ(ReadBytes(dir / c.name), "kept");
    EXPECT_EQ(dir.Names(), Names{c.name});
  }
}
#endif

}  // namespace
