#include "crypt/group_flush_policy.h"

#include <cstdlib>

namespace group_flush_policy {

namespace {

// statfs magic numbers, from linux/magic.h.
constexpr std::uint64_t kExt = 0xEF53;  // ext2, ext3 and ext4 share it
constexpr std::uint64_t kXfs = 0x58465342;
constexpr std::uint64_t kBtrfs = 0x9123683E;
constexpr std::uint64_t kF2fs = 0xF2F52010;

}  // namespace

bool SyncfsReachesTheDisk(std::uint64_t fsType) {
  return fsType == kExt || fsType == kXfs || fsType == kBtrfs || fsType == kF2fs;
}

bool SyncfsReportsWriteErrors(const std::string& release) {
  const char* text = release.c_str();
  char* end = nullptr;
  long major = std::strtol(text, &end, 10);
  if (end == text || *end != '.') return false;
  const char* minorText = end + 1;
  long minor = std::strtol(minorText, &end, 10);
  if (end == minorText) return false;
  return major > 5 || (major == 5 && minor >= 8);
}

bool DataOnlyThenOneFullFlushSuffices(const std::wstring& fileSystem) {
  return fileSystem == L"NTFS" || fileSystem == L"ReFS";
}

}  // namespace group_flush_policy
