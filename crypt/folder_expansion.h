#pragma once
#include <memory>
#include <string>
#include <vector>

#include "crypt/path_facts.h"

// How a folder becomes rows. The window and p6k differ only in these rules.
struct FolderRules {
  bool byName;              // in byte order of the names; else as the system lists them
  bool recursive;           // sub-folders entered where their names fall; else skipped
  bool skipTemporaries;     // the runs' own temporary files give no row
  bool skipSpecial;         // devices, pipes and sockets give no row
  bool unlistedFolderIsRow; // a folder that cannot be listed is a row, which fails
};

// The window: the files directly inside, as listed; everything that is not
// a folder is a row, whose run tells what it is.
inline FolderRules WindowFolderRules() { return FolderRules{false, false, false, false, false}; }
// p6k: sorted, its own temporaries and special files left out.
inline FolderRules CommandLineFolderRules(bool recursive) {
  return FolderRules{true, recursive, true, true, true};
}

// A folder's rows one at a time, so that a window can list thousands
// between its messages. Links are rows that the engine refuses, never
// followed.
class FolderExpansion {
 public:
  FolderExpansion(const std::string& folder, const FolderRules& rules);
  ~FolderExpansion();
  FolderExpansion(const FolderExpansion&) = delete;
  FolderExpansion& operator=(const FolderExpansion&) = delete;

  // The next row's path; false once there are no more.
  bool Next(std::string& row);

 private:
  struct Level;
  bool Enter(const std::string& folder, std::string& row);

  FolderRules m_rules;
  std::vector<std::unique_ptr<Level>> m_levels;
  std::string m_unlisted;  // a folder that could not be listed, still to be told
};

// folder + separator + name; a folder that already ends in a separator keeps it.
std::string JoinPath(const std::string& folder, const std::string& name);
