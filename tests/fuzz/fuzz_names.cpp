// The name rules over arbitrary paths, read under code page 936 with Windows
// separators and as POSIX names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crypt/file_names.h"

namespace {

void Check(const std::string& path, const PathRules& rules) {
  SplitName split = SplitPath(path, rules);
  std::string joined = split.directory + split.baseName + (split.hasDot ? "." : "") + split.extension;
  if (joined != path) std::abort();
  if (!split.directory.empty()) {
    char last = split.directory.back();
    if (last != '/' && !(rules.backslashSeparates && last == '\\')) std::abort();
  }
  std::string container = ContainerName(path, rules);
  if (container.compare(0, split.directory.size(), split.directory) != 0) std::abort();
  if (!HasContainerSuffix(container)) std::abort();
  // The restored name stays in the container's folder.
  std::string restored = RestoredName(container, split.extension, rules);
  if (restored.compare(0, split.directory.size(), split.directory) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string path(reinterpret_cast<const char*>(data), size);
  Check(path, Cp936WindowsRules());
  Check(path, PathRules{&NoLeadByte, false});
  return 0;
}
