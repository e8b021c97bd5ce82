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

// An output written in full under its temporary name, not yet durable, and
// still open (and so held) until it has its final name.
struct StagedOutput {
  std::string temporary;
  FileHandle file = 0;
};

// Writes the output under a temporary name: Done with staged holding it;
// for an output larger than one buffer whose name is taken, what the file
// under the name is (AlreadyInPlace or NameTaken); otherwise CreateFailed,
// ReadFailed, WriteFailed or Stopped, with no output left behind.
Outcome StageOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged);

// Moves a staged output, its data durable, to its final name without
// replacing anything: Done, the output still open (and held) until
// SettleOutput; otherwise NameTaken or WriteFailed, the staged file removed.
// A taken name is not yet compared with what holds it: SettleTakenName does
// that once the run's own outputs are let go.
Outcome PlaceOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged);

// How a row whose name was found taken at its move ends: AlreadyInPlace when
// the file under the name is this very output, else NameTaken. Asked only
// once the group's placed outputs are closed, since one of them may be the
// file under the name (two sources of a folder that make the same container).
Outcome SettleTakenName(FileSystem& fs, const OutputJob& job);

// Removes a staged output that will not be placed; the row ends as why says,
// or as the file under its name makes it end.
Outcome DropOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged, Outcome why);

// Ends a placed output once its folder's names were synced (named: whether
// that worked): Done, closed. When its name is not durable it is taken back
// under its temporary name and removed; where it cannot be taken back it
// stands where it is, and its source must stay beside it all the same. So
// such a row fails (WriteFailed) either way, and the next run settles an
// output it finds under the name.
Outcome SettleOutput(FileSystem& fs, const OutputJob& job, const StagedOutput& staged, bool named);

// The temporary name pattern, "~p6k" + four hex digits + ".tmp".
bool IsTemporaryName(const std::string& fileName);

// Size of the one buffer the data passes through.
constexpr std::size_t kTransferBufferSize = 4u << 20;
