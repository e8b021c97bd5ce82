// The whole listing of a folder, over the one-at-a-time reader.
#include "crypt/path_facts.h"

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  FolderReader reader(folder);
  if (!reader.IsOpen()) return false;
  FolderEntry entry;
  while (reader.Next(entry)) entries.push_back(entry);
  return true;
}
