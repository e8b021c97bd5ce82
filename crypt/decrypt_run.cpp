#include "batch_run.h"
#include "container_format.h"
#include "container_reader.h"
#include "file_names.h"
#include "output_writer.h"
#include "progress_steps.h"
#include "row_steps.h"

namespace {

FileWork RestoreFile(FileSystem& fs, FileHandle container, const std::string& path,
                     const RunSettings& settings, RunView& view, FileWork work) {
  std::uint64_t length = work.sourceStamp.size;
  TrailerReading trailer = ReadTrailer(fs, container, length, path, settings.key, settings.rules);
  if (trailer.outcome != Outcome::Done) {
    work.outcome = trailer.outcome;
    return work;
  }
  std::uint64_t dataLength = length - container::kTrailerSize;
  // The bar's steps count the whole container, trailer included.
  ProgressSteps steps(length);
  auto show = [&](int position) { view.SetProgress(position); };
  OutputJob job;
  job.source = container;
  job.dataLength = dataLength;
  job.mask = container::DataMask(settings.key, dataLength);
  job.folder = SplitPath(path, settings.rules).directory;
  job.finalPath = trailer.restoredPath;
  job.stop = settings.stop;
  job.onProgress = [&](std::uint64_t from, std::uint64_t to) {
    steps.Cover(from, to, show);
    view.BytesDone(to, dataLength);
  };
  work.outcome = WriteOutput(fs, job);
  work.outputPath = job.finalPath;
  if (work.outcome == Outcome::Done) steps.Cover(dataLength, length, show);
  return work;
}

FileWork DecryptFile(FileSystem& fs, const std::string& path, const RunSettings& settings,
                     RunView& view) {
  FileWork work = OpenSource(fs, path);
  if (work.outcome != Outcome::Done) return work;
  if (container::ContainerExceedsSizeLimit(work.sourceStamp.size))
    work.outcome = Outcome::TooLarge;
  else if (!HasContainerSuffix(path))
    work.outcome = Outcome::NotNamedAsContainer;
  else
    work = RestoreFile(fs, work.source, path, settings, view, work);
  return work;
}

}  // namespace

void DecryptRows(RunView& view, const RunSettings& settings) {
  RunRows(view, settings, RunKind::Decrypt, &DecryptFile);
}
