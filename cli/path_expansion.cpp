#include "cli/path_expansion.h"

#include "crypt/file_names.h"
#include "crypt/folder_expansion.h"
#include "crypt/output_writer.h"
#include "crypt/path_facts.h"

namespace {

void AddPath(const std::string& path, bool recursive, Expansion& expansion) {
  if (IsTemporaryName(FileNameOf(path))) {
    expansion.leftOut.push_back({path, LeftOut::Why::Temporary});
    return;
  }
  switch (KindOfPath(path)) {
    case PathKind::Missing:
    case PathKind::File:
    case PathKind::Link:  // the engine opens no link: the row fails
      expansion.rows.push_back(path);
      break;
    case PathKind::Folder: {
      std::size_t before = expansion.rows.size();
      FolderExpansion folder(path, CommandLineFolderRules(recursive));
      for (std::string row; folder.Next(row);) expansion.rows.push_back(row);
      if (expansion.rows.size() == before)
        expansion.leftOut.push_back(
            {path, recursive ? LeftOut::Why::EmptyTree : LeftOut::Why::EmptyFolder});
      break;
    }
    case PathKind::Special:
      expansion.leftOut.push_back({path, LeftOut::Why::Special});
      break;
  }
}

}  // namespace

Expansion ExpandPaths(const std::vector<std::string>& paths, bool recursive) {
  Expansion expansion;
  for (const std::string& path : paths) AddPath(path, recursive, expansion);
  return expansion;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(SplitPath(path, NativePathRules()).directory.size());
}
