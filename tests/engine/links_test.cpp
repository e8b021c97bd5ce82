// Links are never followed, on either platform: under Wine a Unix link looks
// like an ordinary file, and following it would remove its target, which lies
// elsewhere, and leave the link dangling.
#include <gtest/gtest.h>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "crypt/single_decrypt.h"

namespace {

using Names = std::vector<std::string>;

std::string WithoutSeparator(const std::string& folder) {
  return folder.substr(0, folder.size() - 1);
}

// Links in a folder beyond 260 characters too, where the engine learns a
// file's final path another way than below.
TEST(Links, ALinkFailsItsRowAndNeitherItNorItsTargetChanges) {
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "deep" : "shallow");
    ScratchDir outside, dir;
    std::string folder = WithoutSeparator(dir.path());
    if (deep) {
      const std::string path = PathOfWindowsLength(dir, 500);
      folder = path.substr(0, path.rfind(kSeparator));
    }
    const std::string link = folder + kSeparator + "link";
    const std::string container = ContainerFromLayout("inside", "txt", DeriveKey("pw"));
    WriteBytes(outside / "target.txt", "target");
    WriteBytes(outside / "box.p6k", container);
    ASSERT_TRUE(MakeLink(outside / "target.txt", link + ".txt"));
    ASSERT_TRUE(MakeLink(outside / "box.p6k", link + ".p6k"));

    struct Case { const char* run; std::string link; } cases[] = {
        {"encrypt", link + ".txt"}, {"decrypt", link + ".p6k"}, {"prompt", link + ".p6k"}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.run);
      Outcome outcome;
      if (std::string(c.run) == "prompt") {
        outcome = DecryptSingleFile(c.link, DeriveKey("pw")).outcome;
      } else {
        RecordingListener view = std::string(c.run) == "encrypt" ? RunEncrypt({c.link}, "pw")
                                                              : RunDecrypt({c.link}, "pw");
        EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
        EXPECT_EQ(view.rows[0].path, c.link);
        outcome = view.outcomes.at(0);
      }
      EXPECT_EQ(outcome, Outcome::OpenFailed);
      if (!deep) {
        EXPECT_EQ(dir.Names(), (Names{"link.p6k", "link.txt"}));
      }
      EXPECT_EQ(ReadBytes(link + ".txt"), "target");  // through the link, which stands
      EXPECT_EQ(ReadBytes(link + ".p6k"), container);
      EXPECT_EQ(outside.Names(), (Names{"box.p6k", "target.txt"}));
      EXPECT_EQ(ReadBytes(outside / "target.txt"), "target");
      EXPECT_EQ(ReadBytes(outside / "box.p6k"), container);
    }
  }
}

// A redirected Documents folder, say: the file itself is no link.
TEST(Links, AFileInAFolderReachedThroughALinkIsEncrypted) {
  ScratchDir real, dir;
  WriteBytes(real / "a.txt", "document");
  ASSERT_TRUE(MakeLink(WithoutSeparator(real.path()), dir / "docs"));
  const std::string through = dir / "docs" + kSeparator;
  RecordingListener view = RunEncrypt({through + "a.txt"}, "pw");
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
  EXPECT_EQ(view.rows[0].path, through + "a.p6k");
  EXPECT_EQ(real.Names(), Names{"a.p6k"});
  EXPECT_EQ(ReadBytes(real / "a.p6k"), ContainerFromLayout("document", "txt", DeriveKey("pw")));
}

}  // namespace
