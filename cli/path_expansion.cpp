#include "cli/path_expansion.h"

#include "crypt/file_names.h"
#include "crypt/folder_expansion.h"
#include "crypt/output_writer.h"
#include "crypt/path_facts.h"

namespace {

void AddPath(const std::string& path, bool recursive, std::vector<std::string>& rows) {
  if (IsTemporaryName(FileNameOf(path))) return;
  switch (KindOfPath(path)) {
    case PathKind::Missing:
    case PathKind::File:
    case PathKind::Link:  // the engine opens no link: the row fails
      rows.push_back(path);
      break;
    case PathKind::Folder: {
      FolderExpansion folder(path, CommandLineFolderRules(recursive));
      for (std::string row; folder.Next(row);) rows.push_back(row);
      break;
    }
    case PathKind::Special:
      break;
  }
}

}  // namespace

std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool recursive) {
  std::vector<std::string> rows;
  for (const std::string& path : paths) AddPath(path, recursive, rows);
  return rows;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(SplitPath(path, NativePathRules()).directory.size());
}
