#include "single_decrypt.h"

#include "container_format.h"
#include "container_reader.h"
#include "file_names.h"
#include "output_writer.h"
#include "row_steps.h"

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key, FileSystem& fs,
                                   const PathRules& rules) {
  SingleDecryption result;
  FileWork work = OpenSource(fs, path);
  result.outcome = work.outcome;
  if (work.outcome != Outcome::Done) return result;
  std::uint64_t length = work.sourceStamp.size;
  TrailerReading trailer = ReadTrailer(fs, work.source, length, path, key, rules);
  result.outcome = trailer.outcome;
  result.restoredPath = trailer.restoredPath;
  if (trailer.outcome == Outcome::Done) {
    OutputJob job;
    job.source = work.source;
    job.dataLength = length - container::kTrailerSize;
    job.mask = container::DataMask(key, job.dataLength);
    job.folder = SplitPath(path, rules).directory;
    job.finalPath = trailer.restoredPath;
    result.outcome = WriteOutput(fs, job);
  }
  if (result.outcome == Outcome::Done)
    result.outcome = RemoveSource(fs, path, work);
  else
    CloseSource(fs, work);
  return result;
}
