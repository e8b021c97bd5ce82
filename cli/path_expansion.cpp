#include "path_expansion.h"

#include <algorithm>

#include "file_names.h"
#include "output_writer.h"
#include "path_facts.h"

namespace {

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

// folder + separator + name; a folder that already ends in a separator keeps it.
std::string Join(const std::string& folder, const std::string& name) {
  bool endsInSeparator = SplitPath(folder, NativePathRules()).directory.size() == folder.size();
  return endsInSeparator ? folder + name : folder + kSeparator + name;
}

void AddPath(const std::string& path, PathKind kind, bool given, bool recursive,
             std::vector<std::string>& rows);

void AddFolder(const std::string& folder, bool recursive, std::vector<std::string>& rows) {
  std::vector<FolderEntry> entries;
  // A folder that cannot be listed is a row the engine cannot open: it fails.
  if (!ListFolder(folder, entries)) return rows.push_back(folder);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  for (const FolderEntry& e : entries) {
    std::string path = Join(folder, e.name);
    // A listing does not show a Unix link seen through Wine; before a folder
    // is entered, it is asked what it really is.
    PathKind kind = e.kind == PathKind::Folder && recursive ? KindOfPath(path) : e.kind;
    AddPath(path, kind, false, recursive, rows);
  }
}

void AddPath(const std::string& path, PathKind kind, bool given, bool recursive,
             std::vector<std::string>& rows) {
  if (IsTemporaryName(FileNameOf(path))) return;
  switch (kind) {
    case PathKind::Missing:
    case PathKind::File:
    case PathKind::Link:  // the engine opens no link: the row fails
      rows.push_back(path);
      break;
    case PathKind::Folder:
      if (given || recursive) AddFolder(path, recursive, rows);
      break;
    case PathKind::Special:
      break;
  }
}

}  // namespace

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool recursive) {
  std::vector<std::string> rows;
  for (const std::string& path : paths) AddPath(path, KindOfPath(path), true, recursive, rows);
  return rows;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(SplitPath(path, NativePathRules()).directory.size());
}
