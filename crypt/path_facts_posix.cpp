#include <dirent.h>
#include <sys/stat.h>

#include "crypt/path_facts.h"

PathKind KindOfPath(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  if (S_ISREG(st.st_mode)) return PathKind::File;
  return PathKind::Special;
}

struct FolderReader::State {
  DIR* dir;
  std::string prefix;
};

FolderReader::FolderReader(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  m_state.reset(new State{dir, prefix});
}

FolderReader::~FolderReader() {
  if (m_state) closedir(m_state->dir);
}

bool FolderReader::Next(FolderEntry& entry) {
  if (!m_state) return false;
  while (dirent* found = readdir(m_state->dir)) {
    std::string name = found->d_name;
    if (name == "." || name == "..") continue;
    entry = FolderEntry{name, KindOfPath(m_state->prefix + name)};
    return true;
  }
  return false;
}

std::uint64_t SizeOfPath(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsRedirectedSystemPath(const std::string&) { return false; }

bool NameCannotBeCarried(const std::string&) { return false; }
