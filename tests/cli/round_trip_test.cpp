#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <map>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Files = std::map<std::string, std::string>;

// Every file below folder, by its path relative to it.
void AddTree(const std::string& folder, const std::string& prefix, Files& files) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    std::string full = folder + "/" + name;
    if (lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      AddTree(full, prefix + name + "/", files);
    else
      files[prefix + name] = ReadBytes(full).value_or("<unreadable>");
  }
  closedir(dir);
}

Files TreeOf(const std::string& folder) {
  Files files;
  AddTree(folder, "", files);
  return files;
}

// A mixed folder comes back as it was, except that an extension keeps at most
// its first eight bytes.
TEST(RoundTrip, MixedFolderComesBack) {
  const Files original{
      {"empty.txt", ""},
      {"报告.txt", "中文内容 and ASCII"},
      {"数据.文档", PatternBytes(5000, 2)},
      {"archive.tar.gz", PatternBytes(300, 3)},
      {"data.properties", "key=value"},
      {"eight.abcdefgh", "eight bytes of extension"},
      {"README", "no extension at all"},
      {"子目录/长文件名.javascript", "# title"},
      {"子目录/noext", PatternBytes(4 * 1024 * 1024 + 7, 4)},
  };
  Files restored = original;
  restored.erase("data.properties");
  restored["data.properti"] = "key=value";
  restored.erase("子目录/长文件名.javascript");
  restored["子目录/长文件名.javascri"] = "# title";

  ScratchDir dir;
  MakeFolder(dir / "子目录");
  for (auto& [name, content] : original) WriteBytes(dir / name, content);
  const Environment env{{"P6K_PASSWORD", "密码"}};

  ProcessResult encrypted = P6k({"encrypt", "-r", dir.path()}, env);
  EXPECT_EQ(encrypted.exitCode, 0) << encrypted.err;
  ASSERT_EQ(encrypted.OutLines().size(), original.size());
  for (auto& line : encrypted.OutLines())
    EXPECT_EQ(line.compare(0, 7, std::string(kSuccess) + "\t"), 0) << line;
  const std::map<std::string, std::string> containerOf{
      {"empty.txt", "empty.p6k"}, {"报告.txt", "报告.p6k"}, {"数据.文档", "数据.p6k"},
      {"archive.tar.gz", "archive.tar.p6k"}, {"data.properties", "data.p6k"},
      {"eight.abcdefgh", "eight.p6k"}, {"README", "README.p6k"},
      {"子目录/长文件名.javascript", "子目录/长文件名.p6k"}, {"子目录/noext", "子目录/noext.p6k"}};
  std::map<std::string, std::size_t> expectedSizes, sizes;
  for (auto& [name, content] : original) expectedSizes[containerOf.at(name)] = content.size() + 21;
  for (auto& [name, content] : TreeOf(dir.path())) sizes[name] = content.size();
  EXPECT_EQ(sizes, expectedSizes);

  ProcessResult decrypted = P6k({"decrypt", "-r", dir.path()}, env);
  EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
  EXPECT_EQ(decrypted.OutLines().size(), original.size());
  Files now = TreeOf(dir.path());
  std::vector<std::string> names, expectedNames;
  for (auto& entry : now) names.push_back(entry.first);
  for (auto& entry : restored) expectedNames.push_back(entry.first);
  ASSERT_EQ(names, expectedNames);
  for (auto& [name, content] : restored) EXPECT_TRUE(now[name] == content) << name;
}

// A name whose extension the decryption would refuse is never encrypted:
// its row fails and the file stays as it was, beside the one that comes back.
TEST(RoundTrip, ExtensionsTheDecryptionRefusesAreNotEncrypted) {
  const std::vector<std::string> refused{"notes.a|b", "back.a\\b", "meeting.10:30", "q.what?",
                                         "star.a*b",  "lt.a<b",    "quote.x\"y",   "tab.a\tb"};
  ScratchDir dir;
  std::vector<std::string> args{"encrypt"};
  for (const std::string& name : refused) {
    WriteBytes(dir / name, "data of " + name);
    args.push_back(dir / name);
  }
  WriteBytes(dir / "plain.txt", "plain");
  args.push_back(dir / "plain.txt");

  ProcessResult encrypted = P6k(args);
  EXPECT_EQ(encrypted.exitCode, 1) << encrypted.err;
  std::vector<std::string> expected;
  for (const std::string& name : refused) expected.push_back(Line(kFailed, dir / name));
  expected.push_back(Line(kSuccess, dir / "plain.p6k"));
  EXPECT_EQ(encrypted.OutLines(), expected);
  for (const std::string& name : refused) EXPECT_EQ(ReadBytes(dir / name), "data of " + name);

  ProcessResult decrypted = P6k({"decrypt", dir / "plain.p6k"});
  EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
  EXPECT_EQ(ReadBytes(dir / "plain.txt"), "plain");
  EXPECT_EQ(dir.Names().size(), refused.size() + 1);
}

}  // namespace
