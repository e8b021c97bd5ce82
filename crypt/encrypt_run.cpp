#include "crypt/encrypt_run.h"

#include "crypt/container_format.h"
#include "crypt/container_naming.h"
#include "crypt/container_reader.h"
#include "crypt/file_names.h"
#include "crypt/output_writer.h"
#include "crypt/row_steps.h"

namespace {

// Everything before the output is written: size, name and trailer tests.
Outcome CheckSource(FileSystem& fs, FileHandle source, const std::string& path,
                    const FileStamp& stamp, std::uint8_t key) {
  if (container::ExceedsSizeLimit(stamp.size)) return Outcome::TooLarge;
  if (HasContainerSuffix(path)) return Outcome::NamedAsContainer;
  // A source whose trailer reads back with this key is a container already;
  // a source too short for a trailer, or with another, is masked.
  switch (CheckTrailerKey(fs, source, stamp.size, key)) {
    case Outcome::Done: return Outcome::RecognisedByTrailer;
    case Outcome::ReadFailed: return Outcome::ReadFailed;
    default: return Outcome::Done;
  }
}

FileWork WriteContainer(FileSystem& fs, const std::string& path, const RunSettings& settings,
                        const BytesDoneCallback& bytesDone, FileWork work) {
  ContainerNaming naming = NameContainer(path, settings.key, settings.rules);
  if (naming.outcome != Outcome::Done) {
    work.outcome = naming.outcome;
    return work;
  }
  std::uint64_t length = work.sourceStamp.size;
  OutputJob job;
  job.source = work.source;
  job.dataLength = length;
  job.mask = container::DataMask(settings.key, length);
  job.tail = naming.trailer;
  job.folder = SplitPath(path, settings.rules).directory;
  job.finalPath = naming.containerPath;
  job.stop = settings.stop;
  job.onBytes = [&](std::uint64_t done) { bytesDone(done, length); };
  // A run that died before removing this source left its container: the
  // source goes, through the same guarded removal.
  work.sourceGoesBesideExisting = true;
  StageInWork(fs, std::move(job), work);
  return work;
}

FileWork EncryptFile(FileSystem& fs, const std::string& path, const RunSettings& settings,
                     const BytesDoneCallback& bytesDone) {
  FileWork work = OpenSource(fs, path);
  if (work.outcome != Outcome::Done) return work;
  work.outcome = CheckSource(fs, work.source, path, work.sourceStamp, settings.key);
  if (work.outcome == Outcome::Done) work = WriteContainer(fs, path, settings, bytesDone, work);
  return work;
}

}  // namespace

void EncryptRows(RunListener& listener, const RunSettings& settings) {
  RunRows(listener, settings, RunKind::Encrypt, &EncryptFile);
}
