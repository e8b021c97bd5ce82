#include "crypt/open_failure.h"

#include "crypt/file_names.h"
#include "crypt/path_facts.h"

namespace {

// The folder part of path without its last separator, or "" at the top.
std::string ParentOf(const std::string& path) {
  std::string directory = SplitPath(path, NativePathRules()).directory;
  while (!directory.empty() && (directory.back() == '/' || directory.back() == '\\'))
    directory.pop_back();
  return directory;
}

// Nothing stands under the name: the first part above it that stands tells
// whether a folder was missing or a file stood where a folder was expected.
OpenFailure WhyMissing(const std::string& path) {
  for (std::string parent = ParentOf(path); !parent.empty(); parent = ParentOf(parent)) {
    switch (KindOfPath(parent)) {
      case PathKind::Missing: continue;
      case PathKind::File:
      case PathKind::Special: return OpenFailure::UnderAFile;
      default: return OpenFailure::Missing;
    }
  }
  return OpenFailure::Missing;
}

}  // namespace

OpenFailure WhyNotOpened(const std::string& path) {
  if (NameCannotBeCarried(path)) return OpenFailure::NotCarried;
  if (IsRedirectedSystemPath(path)) return OpenFailure::SystemFolder;
  switch (KindOfPath(path)) {
    case PathKind::Missing: return WhyMissing(path);
    case PathKind::Folder: return OpenFailure::Folder;
    case PathKind::Link: return OpenFailure::Link;
    case PathKind::Special: return OpenFailure::Special;
    case PathKind::File: return OpenFailure::Refused;
  }
  return OpenFailure::Refused;
}
