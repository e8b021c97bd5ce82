// Paths in the forms Windows takes: plain, "\\?\C:\..." and the shares'
// "\\server\share\..." and "\\?\UNC\server\share\...". Each names its file,
// and a name no text can carry fails its row for that reason.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "crypt/open_failure.h"
#include "crypt/path_facts.h"
#include "crypt/row_reason.h"
#include "platform/path_text.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;

TEST(PathForms, TheMarkIsLookedForPastTheVerbatimPrefix) {
  struct Case {
    const char* path;
    bool marked;
  };
  const Case cases[] = {
      {"C:\\data\\a.txt", false},
      {"\\\\?\\C:\\data\\a.txt", false},
      {"\\\\?\\UNC\\server\\share\\a.txt", false},
      {"\\\\server\\share\\a.txt", false},
      {"C:\\data\\a?b.txt", true},
      {"C:\\data\\a*.txt", true},
      {"\\\\?\\C:\\data\\a?b.txt", true},
      {"\\\\?\\UNC\\server\\share\\a*.txt", true},
      {"\\\\?\\UNC\\server\\share\\?\\a.txt", true},
      {"\\\\?\\\\?\\C:\\a.txt", true},
      {"?\\\\?\\C:\\a.txt", true},
      {"\\\\.\\?\\C:\\a.txt", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(path_text::HoldsMark(c.path), c.marked);
    EXPECT_EQ(NameCannotBeCarried(c.path), c.marked);
  }
}

// The folder in each form this machine can reach: a share only where Wine
// keeps one for the tests.
std::vector<std::string> FormsOf(const ScratchDir& dir, const LocalShare& share) {
  std::vector<std::string> forms{dir.path(), "\\\\?\\" + dir.path()};
  if (!share.path().empty()) {
    forms.push_back(share.path());
    forms.push_back("\\\\?\\UNC\\" + share.path().substr(2));
  }
  return forms;
}

TEST(PathForms, EveryFormNamesItsFileBothWays) {
  ScratchDir dir;
  LocalShare share(dir.path());
  std::vector<std::string> forms = FormsOf(dir, share);
  ASSERT_EQ(forms.size(), 4u) << "no share \\\\localhost\\... could be made";
  for (const std::string& folder : forms) {
    SCOPED_TRACE(folder);
    WriteBytes(dir / "报告.txt", "report");
    EXPECT_EQ(KindOfPath(folder + "报告.txt"), PathKind::File);
    // With its separator: Wine's share is a Unix link, which the share's
    // own name alone would show as one.
    EXPECT_EQ(KindOfPath(folder), PathKind::Folder);
    EXPECT_EQ(SizeOfPath(folder + "报告.txt"), 6u);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(folder, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "报告.txt");

    RecordingListener masked = RunEncrypt({folder + "报告.txt"}, "pw");
    ASSERT_EQ(masked.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(masked.rows[0].path, folder + "报告.p6k");
    EXPECT_EQ(dir.Names(), Names{"报告.p6k"});
    EXPECT_EQ(ReadBytes(dir / "报告.p6k"), ContainerFromLayout("report", "txt", DeriveKey("pw")));

    RecordingListener restored = RunDecrypt({folder + "报告.p6k"}, "pw");
    ASSERT_EQ(restored.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(restored.rows[0].path, folder + "报告.txt");
    EXPECT_EQ(dir.Names(), Names{"报告.txt"});
    EXPECT_EQ(ReadBytes(dir / "报告.txt"), "report");
    EXPECT_TRUE(DeleteFileW(WideText(dir / "报告.txt").c_str()));
  }
}

// A name holding a lone UTF-16 surrogate comes to the engine with "?" in
// its place. Its row fails and says why: not that the file is missing, but
// that its name cannot be carried. Nothing is written or removed.
TEST(PathForms, ANameNoTextCarriesFailsForThatReason) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WriteBytes(dir / "a.p6k", ContainerFromLayout("a", "txt", DeriveKey("pw")));
  for (const std::wstring& name : {std::wstring(L"a\xD800.txt"), std::wstring(L"\xDC00" L"a.p6k")}) {
    for (const std::string& folder : {dir.path(), "\\\\?\\" + dir.path()}) {
      const std::string path = path_text::FromWide(WideText(folder) + name);
      SCOPED_TRACE(path);
      EXPECT_EQ(WhyNotOpened(path), OpenFailure::NotCarried);
      for (RunKind run : {RunKind::Encrypt, RunKind::Decrypt}) {
        RecordingListener view =
            run == RunKind::Encrypt ? RunEncrypt({path}, "pw") : RunDecrypt({path}, "pw");
        ASSERT_EQ(view.results.size(), 1u);
        EXPECT_EQ(view.results[0].outcome, Outcome::OpenFailed);
        EXPECT_EQ(ReasonOf(run, view.results[0]), Reason::NameNotCarried);
      }
    }
  }
  EXPECT_EQ(dir.Names(), (Names{"a.p6k", "a.txt"}));
}

}  // namespace
#endif
