#include "crypt/file_names.h"

namespace {

bool IsSeparator(char c, const PathRules& rules) {
  return c == '/' || (rules.backslashSeparates && c == '\\');
}

// Index just past the last separator, stepping over double-byte characters.
std::size_t FileNameStart(const std::string& path, const PathRules& rules) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (rules.isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (IsSeparator(path[i], rules)) {
      start = i + 1;
    }
  }
  return start;
}

// Index of the last "." in name, or npos.
std::size_t LastDot(const std::string& name, const PathRules& rules) {
  std::size_t dot = std::string::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (rules.isLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      ++i;
    } else if (name[i] == '.') {
      dot = i;
    }
  }
  return dot;
}

}  // namespace

SplitName SplitPath(const std::string& path, const PathRules& rules) {
  SplitName split;
  std::size_t nameStart = FileNameStart(path, rules);
  split.directory = path.substr(0, nameStart);
  std::string name = path.substr(nameStart);
  std::size_t dot = LastDot(name, rules);
  if (dot == std::string::npos) {
    split.baseName = name;
  } else {
    split.hasDot = true;
    split.baseName = name.substr(0, dot);
    split.extension = name.substr(dot + 1);
  }
  return split;
}

std::string SplitFileName(const std::string& path, std::string& extension,
                          const PathRules& rules) {
  SplitName split = SplitPath(path, rules);
  extension = split.extension;
  return split.baseName;
}

std::string ContainerName(const std::string& sourcePath, const PathRules& rules) {
  SplitName split = SplitPath(sourcePath, rules);
  return split.directory + split.baseName + ".p6k";
}

std::string RestoredName(const std::string& containerPath, const std::string& extension,
                         const PathRules& rules) {
  SplitName split = SplitPath(containerPath, rules);
  std::string restored = split.directory + split.baseName;
  if (!extension.empty()) restored += "." + extension;
  return restored;
}

bool HasContainerSuffix(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, "p6k") == 0;
}
