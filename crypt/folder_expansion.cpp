#include "crypt/folder_expansion.h"

#include <algorithm>

#include "crypt/file_names.h"
#include "crypt/output_writer.h"

// One folder being expanded: read as listed, or listed whole and sorted.
struct FolderExpansion::Level {
  std::string folder;
  std::unique_ptr<FolderReader> reader;
  std::vector<FolderEntry> sorted;
  std::size_t next = 0;

  bool Take(FolderEntry& entry) {
    if (reader) return reader->Next(entry);
    if (next == sorted.size()) return false;
    entry = sorted[next++];
    return true;
  }
};

FolderExpansion::FolderExpansion(const std::string& folder, const FolderRules& rules) : m_rules(rules) {
  Enter(folder, m_unlisted);
}

FolderExpansion::~FolderExpansion() = default;

// False, with the row it gives, when the folder cannot be listed.
bool FolderExpansion::Enter(const std::string& folder, std::string& row) {
  std::unique_ptr<Level> level(new Level{folder, nullptr, {}, 0});
  bool listed;
  if (m_rules.byName) {
    listed = ListFolder(folder, level->sorted);
    std::sort(level->sorted.begin(), level->sorted.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  } else {
    level->reader.reset(new FolderReader(folder));
    listed = level->reader->IsOpen();
  }
  if (listed) {
    m_levels.push_back(std::move(level));
    return true;
  }
  if (m_rules.unlistedFolderIsRow) row = folder;
  return false;
}

bool FolderExpansion::Next(std::string& row) {
  if (!m_unlisted.empty()) {
    row.swap(m_unlisted);
    m_unlisted.clear();
    return true;
  }
  FolderEntry entry;
  while (!m_levels.empty()) {
    Level& level = *m_levels.back();
    if (!level.Take(entry)) {
      m_levels.pop_back();
      continue;
    }
    if (m_rules.skipTemporaries && IsTemporaryName(entry.name)) continue;
    std::string path = JoinPath(level.folder, entry.name);
    PathKind kind = entry.kind;
    if (kind == PathKind::Folder) {
      if (!m_rules.recursive) continue;
      // A listing does not show a Unix link seen through Wine; before a
      // folder is entered, it is asked what it really is.
      kind = KindOfPath(path);
      if (kind == PathKind::Folder) {
        row.clear();
        if (Enter(path, row) || row.empty()) continue;
        return true;
      }
    }
    if (kind == PathKind::Special && m_rules.skipSpecial) continue;
    row = path;
    return true;
  }
  return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  PathRules rules = NativePathRules();
  bool endsInSeparator = SplitPath(folder, rules).directory.size() == folder.size();
  return endsInSeparator ? folder + name : folder + (rules.backslashSeparates ? "\\" : "/") + name;
}
