#include <dirent.h>
#include <sys/stat.h>

#include "path_facts.h"

PathKind KindOfPath(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  if (S_ISREG(st.st_mode)) return PathKind::File;
  return PathKind::Special;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back(FolderEntry{name, PathKind::Missing});
  }
  closedir(dir);
  for (FolderEntry& e : entries) e.kind = KindOfPath(prefix + e.name);
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
