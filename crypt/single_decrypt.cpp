#include "single_decrypt.h"

#include "container_format.h"
#include "container_reader.h"
#include "file_names.h"
#include "output_writer.h"
#include "row_steps.h"

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key, FileSystem& fs,
                                   const PathRules& rules) {
  SingleDecryption result;
  FileHandle container;
  if (!fs.OpenExisting(path, container)) {
    result.outcome = Outcome::OpenFailed;
    return result;
  }
  FileStamp stamp;
  if (!fs.Stamp(container, stamp)) {
    fs.Close(container);
    result.outcome = Outcome::ReadFailed;
    return result;
  }
  TrailerReading trailer = ReadTrailer(fs, container, stamp.size, path, key, rules);
  result.outcome = trailer.outcome;
  result.restoredPath = trailer.restoredPath;
  if (trailer.outcome == Outcome::Done) {
    OutputJob job;
    job.source = container;
    job.dataLength = stamp.size - container::kTrailerSize;
    job.mask = container::DataMask(key, job.dataLength);
    job.folder = SplitPath(path, rules).directory;
    job.finalPath = trailer.restoredPath;
    result.outcome = WriteOutput(fs, job);
  }
  fs.Close(container);
  if (result.outcome == Outcome::Done) result.outcome = RemoveSource(fs, path, stamp);
  return result;
}
