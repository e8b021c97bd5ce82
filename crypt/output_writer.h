#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "crypt/file_system.h"
#include "crypt/outcome.h"

class StopRequest;

// One output file made from an open source: its first dataLength bytes
// masked with one value, then an optional tail (the container's trailer),
// written under a temporary name in the output's folder, flushed, and moved
// to its final name without replacing anything.
struct OutputJob {
  FileHandle source = 0;
  std::uint64_t dataLength = 0;
  std::uint8_t mask = 0;
  std::string tail;
  std::string folder;      // where the temporary file goes ("" = current folder)
  std::string finalPath;
  // Called after each buffer with the source bytes handled so far.
  std::function<void(std::uint64_t done)> onBytes;
  const StopRequest* stop = nullptr;
};

// Done when the output stands complete under finalPath; AlreadyInPlace when
// the name held this very output before; otherwise NameTaken, CreateFailed,
// ReadFailed, WriteFailed or Stopped, with no output left behind.
Outcome WriteOutput(FileSystem& fs, const OutputJob& job);

// The temporary name pattern, "~p6k" + four hex digits + ".tmp".
bool IsTemporaryName(const std::string& fileName);

// Size of the one buffer the data passes through.
constexpr std::size_t kTransferBufferSize = 4u << 20;
