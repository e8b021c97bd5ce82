#include "crypt/output_writer.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <random>
#include <thread>

#include "crypt/container_format.h"
#include "crypt/existing_output.h"
#include "crypt/stop_request.h"

namespace {

unsigned RandomBits() {
  thread_local std::mt19937 generator(static_cast<unsigned>(
      std::random_device{}() ^
      std::chrono::high_resolution_clock::now().time_since_epoch().count() ^
      std::hash<std::thread::id>{}(std::this_thread::get_id())));
  return generator();
}

// Creates "~p6kXXXX.tmp" in folder, trying other names while one is taken.
CreateResult CreateTemporary(FileSystem& fs, const OutputJob& job, std::string& path,
                             FileHandle& file) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "~p6k%04x.tmp", RandomBits() & 0xFFFF);
    path = job.folder + name;
    CreateResult r = fs.CreateNew(path, job.source, file);
    if (r != CreateResult::Exists) return r;
  }
  return CreateResult::Failed;
}

// Streams the masked data and the tail into the open temporary file.
Outcome Transfer(FileSystem& fs, const OutputJob& job, FileHandle out) {
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kTransferBufferSize]);
  if (!buffer) return Outcome::ReadFailed;
  for (std::uint64_t done = 0; done < job.dataLength;) {
    if (job.stop && job.stop->Requested()) return Outcome::Stopped;
    std::uint64_t left = job.dataLength - done;
    std::size_t size = left < kTransferBufferSize ? static_cast<std::size_t>(left)
                                                  : kTransferBufferSize;
    if (!fs.ReadAt(job.source, done, buffer.get(), size)) return Outcome::ReadFailed;
    container::ApplyMask(buffer.get(), size, job.mask);
    if (!fs.Write(out, buffer.get(), size)) return Outcome::WriteFailed;
    done += size;
    if (job.onBytes) job.onBytes(done);
  }
  if (job.stop && job.stop->Requested()) return Outcome::Stopped;
  if (!job.tail.empty() && !fs.Write(out, job.tail.data(), job.tail.size()))
    return Outcome::WriteFailed;
  return Outcome::Done;
}

// A taken name is found only once the temporary file is written, so its
// removal is part of rows that did not fail: a removal refused once (a
// scanner that opened the new file, say) is tried again once nothing of
// this run holds the file.
void Discard(FileSystem& fs, const StagedOutput& staged) {
  bool removed = fs.Delete(staged.temporary);
  fs.Close(staged.file);
  if (!removed) fs.Delete(staged.temporary);
}

// How a row whose output did not reach its name ends: as the file under the
// name makes it end, if there is one.
Outcome Settle(FileSystem& fs, const OutputJob& job, Outcome outcome) {
  if (outcome == Outcome::NameTaken) {
    OutputJob compared = job;
    compared.onBytes = nullptr;  // the bytes were told as they were written
    return CompareWithExisting(fs, compared);
  }
  // A row that failed before its move, under a name that is taken, ends as
  // it would have ended had the name been probed for first.
  if (outcome != Outcome::Done && fs.Exists(job.finalPath)) return CompareWithExisting(fs, job);
  return outcome;
}

}  // namespace

Outcome StageOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged) {
  // A free name is the rule, and the move, which never replaces, finds a
  // taken one. A probe first would cost every row: under Wine a name that
  // does not exist is looked for through the whole folder. Only an output
  // larger than one buffer is probed for, as writing it in vain would cost
  // more than the probe.
  if (job.dataLength > kTransferBufferSize && fs.Exists(job.finalPath))
    return CompareWithExisting(fs, job);
  if (CreateTemporary(fs, job, staged.temporary, staged.file) != CreateResult::Created)
    return Settle(fs, job, Outcome::CreateFailed);
  Outcome outcome = Transfer(fs, job, staged.file);
  if (outcome == Outcome::Done) return outcome;
  return DropOutput(fs, job, staged, outcome);
}

// The temporary file stays open, and so held, until its name is durable: a
// sweep by another run must never take it from under the move, and a file
// system that makes names durable only through a file's flush is given it.
Outcome PlaceOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged) {
  MoveResult moved = fs.RenameNoReplace(staged.temporary, job.finalPath);
  if (moved == MoveResult::Moved) return Outcome::Done;
  if (moved == MoveResult::Taken) {
    Discard(fs, staged);
    return Outcome::NameTaken;
  }
  return DropOutput(fs, job, staged, Outcome::WriteFailed);
}

Outcome SettleTakenName(FileSystem& fs, const OutputJob& job) {
  return Settle(fs, job, Outcome::NameTaken);
}

Outcome DropOutput(FileSystem& fs, const OutputJob& job, StagedOutput& staged, Outcome why) {
  Discard(fs, staged);
  return Settle(fs, job, why);
}

// The flush has told every write error; the close only lets the hold go.
Outcome SettleOutput(FileSystem& fs, const OutputJob& job, const StagedOutput& staged,
                     bool named) {
  if (named) {
    fs.Close(staged.file);
    return Outcome::Done;
  }
  if (fs.RenameNoReplace(job.finalPath, staged.temporary) == MoveResult::Moved)
    Discard(fs, staged);
  else
    fs.Close(staged.file);
  return Outcome::WriteFailed;
}

bool IsTemporaryName(const std::string& name) {
  if (name.size() != 12 || name.compare(0, 4, "~p6k") != 0 || name.compare(8, 4, ".tmp") != 0)
    return false;
  for (int i = 4; i < 8; ++i) {
    char c = name[i];
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}
