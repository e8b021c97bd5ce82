#pragma once
#include <cstdint>
#include <string>

// Which file systems make a group of new files durable with one flush. A
// flush is a promise of the file system underneath, not of the call: where
// the promise is not known to hold, every file is flushed on its own.
namespace group_flush_policy {

// Linux: syncfs writes back every file of the file system and flushes its
// drive on local disk file systems such as ext4, XFS and Btrfs. On a FUSE
// mount (ntfs-3g, exfat-fuse, fusefat, sshfs) it sends the server no request
// at all, and on a network file system it reaches no server's disk; anything
// not named here is treated alike. fsType is statfs's f_type.
bool SyncfsReachesTheDisk(std::uint64_t fsType);

// Linux reports a write-back error through syncfs from 5.8 on; before, a
// syncfs that lost data still succeeds. release is uname's, "5.10.0-8-amd64".
bool SyncfsReportsWriteErrors(const std::string& release);

// Windows: a data-only NtFlushBuffersFileEx of each file, then one full
// FlushFileBuffers, makes the group durable on NTFS and ReFS, whose full
// flush forces the volume's log. FAT and exFAT have no log, and whether one
// file's full flush covers the others there is not shown. fileSystem is the
// name GetVolumeInformationByHandleW gives, "NTFS".
bool DataOnlyThenOneFullFlushSuffices(const std::wstring& fileSystem);

}  // namespace group_flush_policy
