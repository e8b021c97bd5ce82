#include <gtest/gtest.h>

#include "tests/support/name_table.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Names = std::vector<std::string>;

// Every name the system holds is masked and restored byte for byte under
// the same name; only an extension code page 936 cannot hold is refused,
// before anything is written.
TEST(WholeNames, EveryNameGoesBothWaysOrIsRefusedUntouched) {
  const std::string password = "\xC3\xDC\xC2\xEB";  // 密码 in code page 936
  for (const NameCase& c : NameTable()) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    WriteBytes(dir / c.name, ContentOf(c));
    RecordingListener masked = RunEncrypt({dir / c.name}, password);
    if (c.container.empty()) {
      EXPECT_EQ(masked.outcomes, std::vector<Outcome>{Outcome::NameNotConvertible});
      EXPECT_EQ(dir.Names(), Names{c.name});
      EXPECT_EQ(ReadBytes(dir / c.name), ContentOf(c));
      continue;
    }
    ASSERT_EQ(masked.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(masked.rows[0].path, dir / c.container);
    EXPECT_EQ(dir.Names(), Names{c.container});
    EXPECT_EQ(ReadBytes(dir / c.container),
              ContainerFromLayout(ContentOf(c), c.field, DeriveKey(password)));

    RecordingListener restored = RunDecrypt({dir / c.container}, password);
    ASSERT_EQ(restored.outcomes, std::vector<Outcome>{Outcome::Done});
    EXPECT_EQ(restored.rows[0].path, dir / c.name);
    EXPECT_EQ(dir.Names(), Names{c.name});
    EXPECT_EQ(ReadBytes(dir / c.name), ContentOf(c));
  }
}

// A base name ending in "." with an empty extension field restores as
// "dots.": Linux holds it, Windows would drop the dot and so write another
// name, and refuses it as such, the container kept as it was.
TEST(WholeNames, ARestoredNameTheSystemCannotHoldIsRefusedAsSuch) {
  ScratchDir dir;
  const std::string container = ContainerFromLayout("dotted", "", DeriveKey("pw"));
  WriteBytes(dir / "dots..p6k", container);
  RecordingListener view = RunDecrypt({dir / "dots..p6k"}, "pw");
#ifdef _WIN32
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::NameNotHeld});
  EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
  EXPECT_EQ(dir.Names(), Names{"dots..p6k"});
  EXPECT_EQ(ReadBytes(dir / "dots..p6k"), container);
#else
  EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::Done});
  EXPECT_EQ(dir.Names(), Names{"dots."});
  EXPECT_EQ(ReadBytes(dir / "dots."), "dotted");
#endif
}

}  // namespace
