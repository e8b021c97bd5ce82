#include "path_expansion.h"

#include <algorithm>

#include "file_names.h"
#include "output_writer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

enum class Kind { Missing, File, Folder, Link, Special };

struct Entry {
  std::string name;
  Kind kind;
};

#ifdef _WIN32
const char kSeparator[] = "\\";

Kind KindOf(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Kind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Kind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return Kind::Special;
  return Kind::File;
}

Kind KindAt(const std::string& path) { return KindOf(GetFileAttributesA(path.c_str())); }

bool ListFolder(const std::string& folder, std::vector<Entry>& entries) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(Entry{name, KindOf(data.dwFileAttributes)});
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return true;
}
#else
const char kSeparator[] = "/";

Kind KindAt(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return Kind::Missing;
  if (S_ISLNK(st.st_mode)) return Kind::Link;
  if (S_ISDIR(st.st_mode)) return Kind::Folder;
  if (S_ISREG(st.st_mode)) return Kind::File;
  return Kind::Special;
}

bool ListFolder(const std::string& folder, std::vector<Entry>& entries) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back(Entry{name, Kind::Missing});
  }
  closedir(dir);
  for (Entry& e : entries) e.kind = KindAt(folder + kSeparator + e.name);
  return true;
}
#endif

// folder + separator + name; a folder that already ends in a separator keeps it.
std::string Join(const std::string& folder, const std::string& name) {
  bool endsInSeparator = SplitPath(folder, NativePathRules()).directory.size() == folder.size();
  return endsInSeparator ? folder + name : folder + kSeparator + name;
}

void AddPath(const std::string& path, Kind kind, bool given, bool recursive,
             std::vector<Row>& rows);

void AddFolder(const std::string& folder, bool recursive, std::vector<Row>& rows) {
  std::vector<Entry> entries;
  if (!ListFolder(folder, entries)) {
    // A row the engine cannot open: the folder is reported as failed.
    rows.push_back(Row{folder, false});
    return;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  for (const Entry& e : entries) AddPath(Join(folder, e.name), e.kind, false, recursive, rows);
}

void AddPath(const std::string& path, Kind kind, bool given, bool recursive,
             std::vector<Row>& rows) {
  if (IsTemporaryName(FileNameOf(path))) return;
  switch (kind) {
    case Kind::Missing:
    case Kind::File:
      rows.push_back(Row{path, false});
      break;
    case Kind::Link:
#ifdef _WIN32
      rows.push_back(Row{path, true});
#else
      rows.push_back(Row{path, false});  // the engine opens no link
#endif
      break;
    case Kind::Folder:
      if (given || recursive) AddFolder(path, recursive, rows);
      break;
    case Kind::Special:
      break;
  }
}

}  // namespace

std::vector<Row> ExpandPaths(const std::vector<std::string>& paths, bool recursive) {
  std::vector<Row> rows;
  for (const std::string& path : paths) AddPath(path, KindAt(path), true, recursive, rows);
  return rows;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(SplitPath(path, NativePathRules()).directory.size());
}
