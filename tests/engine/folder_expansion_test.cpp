// The two ways a folder becomes rows, side by side on one folder: the
// window's (as listed, everything but folders) and p6k's (sorted, without
// temporaries or special files, sub-folders only when recursive).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>

#include "crypt/folder_expansion.h"
#include "tests/support/scratch_dir.h"

namespace {

using Rows = std::vector<std::string>;

Rows RowsOf(const std::string& folder, const FolderRules& rules) {
  Rows rows;
  FolderExpansion expansion(folder, rules);
  for (std::string row; expansion.Next(row);) rows.push_back(row);
  return rows;
}

// The files as the system lists them, folders left out.
Rows AsListed(const std::string& folder) {
  std::vector<FolderEntry> entries;
  EXPECT_TRUE(ListFolder(folder, entries));
  Rows rows;
  for (const FolderEntry& e : entries)
    if (e.kind != PathKind::Folder) rows.push_back(JoinPath(folder, e.name));
  return rows;
}

TEST(FolderExpansion, TheWindowAndTheCommandLineRulesOnOneFolder) {
  ScratchDir dir;
  const std::string top = dir / "top";
  MakeFolder(top);
  for (const char* name : {"b.txt", "a.txt", "~p6k1a2b.tmp"}) WriteBytes(JoinPath(top, name), name);
  MakeFolder(JoinPath(top, "sub"));
  WriteBytes(JoinPath(JoinPath(top, "sub"), "in.txt"), "in");
#ifndef _WIN32
  ASSERT_EQ(mkfifo(JoinPath(top, "pipe").c_str(), 0600), 0);
#endif
  auto at = [&](Rows names) {
    for (std::string& name : names) name = JoinPath(top, name);
    return names;
  };

  Rows window = RowsOf(top, WindowFolderRules());
  EXPECT_EQ(window, AsListed(top));
  Rows sortedWindow = window;
  std::sort(sortedWindow.begin(), sortedWindow.end());
#ifdef _WIN32
  EXPECT_EQ(sortedWindow, at({"a.txt", "b.txt", "~p6k1a2b.tmp"}));
#else
  EXPECT_EQ(sortedWindow, at({"a.txt", "b.txt", "pipe", "~p6k1a2b.tmp"}));
#endif
  EXPECT_EQ(RowsOf(top, CommandLineFolderRules(false)), at({"a.txt", "b.txt"}));
  EXPECT_EQ(RowsOf(top, CommandLineFolderRules(true)),
            at({"a.txt", "b.txt", JoinPath("sub", "in.txt")}));
}

TEST(FolderExpansion, AFolderThatCannotBeListed) {
  ScratchDir dir;
  const std::string missing = dir / "missing";
  EXPECT_EQ(RowsOf(missing, WindowFolderRules()), Rows{});
  EXPECT_EQ(RowsOf(missing, CommandLineFolderRules(true)), Rows{missing});
}

}  // namespace
