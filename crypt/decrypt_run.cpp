#include "crypt/decrypt_run.h"

#include "crypt/container_format.h"
#include "crypt/container_reader.h"
#include "crypt/file_names.h"
#include "crypt/output_writer.h"
#include "crypt/row_steps.h"

namespace {

FileWork WriteRestored(FileSystem& fs, const std::string& path, const RestoreRules& rules,
                       const BytesDoneCallback& bytesDone, FileWork work) {
  std::uint64_t length = work.sourceStamp.size;
  TrailerReading trailer = ReadTrailer(fs, work.source, length, path, rules.key, rules.paths);
  if (trailer.outcome != Outcome::Done) {
    work.outcome = trailer.outcome;
    return work;
  }
  if (!SystemHoldsName(trailer.restoredPath)) {
    work.outcome = Outcome::NameNotHeld;
    return work;
  }
  std::uint64_t dataLength = length - container::kTrailerSize;
  OutputJob job;
  job.source = work.source;
  job.dataLength = dataLength;
  job.mask = container::DataMask(rules.key, dataLength);
  job.folder = SplitPath(path, rules.paths).directory;
  job.finalPath = trailer.restoredPath;
  job.stop = rules.stop;
  // The total counts the whole container, trailer included: the trailer's
  // bytes count as done once the restored file stands.
  if (bytesDone) job.onBytes = [&](std::uint64_t done) { bytesDone(done, length); };
  StageInWork(fs, std::move(job), work);
  if (!bytesDone) return work;
  if (work.staged) work.bytesWhenPlaced = length;
  else if (work.outcome == Outcome::AlreadyInPlace) bytesDone(length, length);
  return work;
}

FileWork DecryptFile(FileSystem& fs, const std::string& path, const RunSettings& settings,
                     const BytesDoneCallback& bytesDone) {
  RestoreRules rules;
  rules.key = settings.key;
  rules.paths = settings.rules;
  rules.stop = settings.stop;
  return RestoreContainer(fs, path, rules, bytesDone);
}

}  // namespace

FileWork RestoreContainer(FileSystem& fs, const std::string& path, const RestoreRules& rules,
                          const BytesDoneCallback& bytesDone) {
  FileWork work = OpenSource(fs, path);
  if (work.outcome != Outcome::Done) return work;
  if (rules.sizeLimit && container::ContainerExceedsSizeLimit(work.sourceStamp.size))
    work.outcome = Outcome::TooLarge;
  else if (rules.suffixNeeded && !HasContainerSuffix(path))
    work.outcome = Outcome::NotNamedAsContainer;
  else
    work = WriteRestored(fs, path, rules, bytesDone, work);
  return work;
}

void DecryptRows(RunListener& listener, const RunSettings& settings) {
  RunRows(listener, settings, RunKind::Decrypt, &DecryptFile);
}
