#include "crypt/existing_output.h"

#include <cstring>
#include <memory>
#include <new>

#include "crypt/container_format.h"
#include "crypt/stop_request.h"

namespace {

bool SameTail(FileSystem& fs, const OutputJob& job, FileHandle existing) {
  if (job.tail.empty()) return true;
  std::string found(job.tail.size(), '\0');
  return fs.ReadAt(existing, job.dataLength, &found[0], found.size()) && found == job.tail;
}

// The source's data, masked, against the existing file's first bytes, in
// the two halves of one transfer buffer.
Outcome SameData(FileSystem& fs, const OutputJob& job, FileHandle existing) {
  constexpr std::size_t kHalf = kTransferBufferSize / 2;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[2 * kHalf]);
  if (!buffer) return Outcome::NameTaken;
  unsigned char* expected = buffer.get();
  unsigned char* found = expected + kHalf;
  for (std::uint64_t done = 0; done < job.dataLength;) {
    if (job.stop && job.stop->Requested()) return Outcome::Stopped;
    std::uint64_t left = job.dataLength - done;
    std::size_t size = left < kHalf ? static_cast<std::size_t>(left) : kHalf;
    if (!fs.ReadAt(job.source, done, expected, size) || !fs.ReadAt(existing, done, found, size))
      return Outcome::NameTaken;
    container::ApplyMask(expected, size, job.mask);
    if (std::memcmp(expected, found, size) != 0) return Outcome::NameTaken;
    done += size;
    if (job.onBytes) job.onBytes(done);
  }
  return Outcome::AlreadyInPlace;
}

}  // namespace

Outcome CompareWithExisting(FileSystem& fs, const OutputJob& job) {
  FileHandle existing = 0;
  if (!fs.OpenExisting(job.finalPath, existing)) return Outcome::NameTaken;
  FileStamp stamp;
  Outcome outcome = Outcome::NameTaken;
  if (fs.Stamp(existing, stamp) && stamp.size == job.dataLength + job.tail.size() &&
      SameTail(fs, job, existing))
    outcome = SameData(fs, job, existing);
  fs.Close(existing);
  return outcome;
}
