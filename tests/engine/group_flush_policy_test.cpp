#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "crypt/group_flush_policy.h"

namespace {

// One flush for a group only where it is known to reach the disk for every
// file: local disk file systems on Linux, NTFS and ReFS on Windows. FUSE
// (ntfs-3g, exfat-fuse, fusefat, sshfs), network file systems, memory ones
// and anything unknown flush each file.
TEST(GroupFlushPolicy, OnlyFileSystemsKnownToHonourTheFlushGroup) {
  struct Linux {
    const char* what;
    std::uint64_t type;
    bool together;
  } linuxCases[] = {
      {"ext4", 0xEF53, true},         {"XFS", 0x58465342, true},
      {"Btrfs", 0x9123683E, true},    {"F2FS", 0xF2F52010, true},
      {"FUSE", 0x65735546, false},    {"NFS", 0x6969, false},
      {"CIFS", 0xFF534D42, false},    {"SMB2", 0xFE534D42, false},
      {"tmpfs", 0x01021994, false},   {"msdos", 0x4d44, false},
      {"exfat", 0x2011BAB0, false},   {"unknown", 0, false},
  };
  for (const Linux& c : linuxCases)
    EXPECT_EQ(group_flush_policy::SyncfsReachesTheDisk(c.type), c.together) << c.what;

  struct Windows {
    const wchar_t* name;
    bool together;
  } windowsCases[] = {{L"NTFS", true},   {L"ReFS", true},  {L"FAT", false},  {L"FAT32", false},
                      {L"exFAT", false}, {L"UDF", false},  {L"", false},     {L"ntfs", false}};
  for (const Windows& c : windowsCases)
    EXPECT_EQ(group_flush_policy::DataOnlyThenOneFullFlushSuffices(c.name), c.together)
        << static_cast<int>(c.name[0]);
}

// syncfs tells of a failed write-back from Linux 5.8 on; before, it is
// trusted with nothing.
TEST(GroupFlushPolicy, SyncfsIsTrustedFromTheKernelThatReportsItsErrors) {
  struct Case {
    const char* release;
    bool trusted;
  } cases[] = {
      {"5.8.0", true},           {"5.10.0-8-amd64", true}, {"6.1.0-13-amd64", true},
      {"10.0", true},            {"5.7.19", false},        {"4.19.0-20-amd64", false},
      {"3.10.0-1160.el7", false}, {"5", false},            {"", false},
      {"x.y", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(group_flush_policy::SyncfsReportsWriteErrors(c.release), c.trusted) << c.release;
}

}  // namespace
