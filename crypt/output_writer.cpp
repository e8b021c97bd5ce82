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
  return fs.Flush(out) ? Outcome::Done : Outcome::WriteFailed;
}

}  // namespace

Outcome WriteOutput(FileSystem& fs, const OutputJob& job) {
  // Checked first so a taken name costs no writing, only a comparison with
  // what is there; the move below still never replaces.
  if (fs.Exists(job.finalPath)) return CompareWithExisting(fs, job);
  std::string temporary;
  FileHandle out = 0;
  if (CreateTemporary(fs, job, temporary, out) != CreateResult::Created)
    return Outcome::CreateFailed;
  Outcome outcome = Transfer(fs, job, out);
  // The temporary file stays open, and so held, until it has its final name:
  // a sweep by another run must never take it from under the move. The flush
  // has told every write error; the close only lets the hold go.
  if (outcome == Outcome::Done) {
    MoveResult moved = fs.MoveNoReplace(temporary, job.finalPath);
    if (moved == MoveResult::Moved) {
      fs.Close(out);
      return Outcome::Done;
    }
    outcome = moved == MoveResult::Taken ? Outcome::NameTaken : Outcome::WriteFailed;
  }
  fs.Delete(temporary);
  fs.Close(out);
  return outcome;
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
