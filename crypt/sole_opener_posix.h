#pragma once

// Whether another process holds a file open, told by a write lease, which
// the kernel grants only to a file's sole opener. While it is held, another
// process's open of the file waits until it is dropped.
namespace sole_opener {

enum class Lease {
  Taken,          // no other process has the file open
  HeldElsewhere,  // another process has it open, for reading or writing
  Unknown,        // no lease to be had here (another user's file, some file systems)
};

Lease Take(int fd);
void Drop(int fd);

}  // namespace sole_opener
