// The manifest each built sorvan.exe carries names that program's own
// machine, for itself and for the Common Controls it asks for: an x86_64
// program that asks for the x86 Common Controls is refused at start by
// Windows ("side-by-side configuration is incorrect") and gets the old
// version 5 under Wine.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "tests/packaging/embedded_manifest.h"
#include "tests/support/windows_trees.h"

namespace {

struct Tree {
  const char* folder;
  std::uint16_t machine;
  const char* architecture;
};

const Tree kTrees[] = {
    {SORVAN_WIN32_BUILD_DIR, 0x14c, "x86"},
    {SORVAN_WIN64_BUILD_DIR, 0x8664, "amd64"},
};

// Every processorArchitecture="..." the manifest's text holds, in order.
std::vector<std::string> Architectures(const std::string& manifest) {
  const std::string key = "processorArchitecture=\"";
  std::vector<std::string> found;
  for (std::size_t at = manifest.find(key); at != std::string::npos; at = manifest.find(key, at)) {
    at += key.size();
    found.push_back(manifest.substr(at, manifest.find('"', at) - at));
  }
  return found;
}

class ProgramManifest : public ::testing::TestWithParam<Tree> {};

TEST_P(ProgramManifest, NamesTheProgramsOwnMachine) {
  const Tree& tree = GetParam();
  const std::string program = std::string(tree.folder) + "/sorvan.exe";
  SKIP_WITHOUT_WINDOWS_TREE(access(program.c_str(), R_OK) == 0,
                            program << " is not built; build the Windows trees to run this test");
  ProgramImage image;
  ASSERT_TRUE(ReadProgramImage(program, image)) << program;
  EXPECT_EQ(image.machine, tree.machine);
  ASSERT_NE(image.manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  std::vector<std::string> named = Architectures(image.manifest);
  EXPECT_EQ(named, std::vector<std::string>(2, tree.architecture));
}

INSTANTIATE_TEST_SUITE_P(EachWindowsTree, ProgramManifest, ::testing::ValuesIn(kTrees),
                         [](const ::testing::TestParamInfo<Tree>& info) {
                           return std::string(info.param.architecture);
                         });

}  // namespace
