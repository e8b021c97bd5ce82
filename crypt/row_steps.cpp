#include "crypt/row_steps.h"

#include <set>

#include "crypt/file_names.h"
#include "crypt/leftover_sweep.h"
#include "crypt/stop_request.h"

FileWork OpenSource(FileSystem& fs, const std::string& path) {
  FileWork work;
  if (!fs.OpenExisting(path, work.source)) {
    work.outcome = Outcome::OpenFailed;
    work.openFailure = WhyNotOpened(path);
    return work;
  }
  work.sourceOpen = true;
  if (!fs.Stamp(work.source, work.sourceStamp)) {
    work.outcome = Outcome::ReadFailed;
    CloseSource(fs, work);
  }
  return work;
}

void CloseSource(FileSystem& fs, FileWork& work) {
  if (!work.sourceOpen) return;
  fs.Close(work.source);
  work.sourceOpen = false;
}

Outcome RemoveSource(FileSystem& fs, const std::string& path, FileWork& work) {
  Outcome outcome = Outcome::SourceChanged;
  if (fs.Unchanged(work.source, path, work.sourceStamp))
    outcome = fs.DeleteOpened(work.source, path) ? Outcome::Done : Outcome::DeleteFailed;
  CloseSource(fs, work);
  return outcome;
}

RowResult FinishRow(FileSystem& fs, const std::string& path, FileWork& work) {
  RowResult result;
  result.shownPath = path;
  if (work.outcome == Outcome::AlreadyInPlace) {
    // The restored file stood before this run; the container stays beside it.
    CloseSource(fs, work);
    result.outcome = work.outcome;
    result.shownPath = result.outputPath = work.outputPath;
    return result;
  }
  if (work.outcome != Outcome::Done) {
    CloseSource(fs, work);
    result.outcome = work.outcome;
    result.openFailure = work.openFailure;
    return result;
  }
  result.outputPath = work.outputPath;
  result.outcome = RemoveSource(fs, path, work);
  if (result.outcome == Outcome::Done) result.shownPath = work.outputPath;
  return result;
}

void RunRows(RunListener& listener, const RunSettings& settings, RunKind run, FileStep step) {
  FileSystem& fs = settings.fileSystem ? *settings.fileSystem : NativeFileSystem();
  listener.RunStarted(run);
  // A folder's leftovers are looked for once per run, at its first row:
  // listing it again for each of its rows would cost a run of many rows dear.
  std::set<std::string> swept;
  for (int row = 0; row < static_cast<int>(settings.rows.size()); ++row) {
    if (settings.stop && settings.stop->Requested()) break;
    const std::string& path = settings.rows[row];
    listener.RowStarted(row, path);
    std::string folder = SplitPath(path, settings.rules).directory;
    if (swept.insert(folder).second) RemoveAbandonedTemporaries(fs, folder);
    FileWork work = step(fs, path, settings, [&](std::uint64_t done, std::uint64_t total) {
      listener.BytesDone(row, done, total);
    });
    RowResult result = FinishRow(fs, path, work);
    listener.RowFinished(row, result);
    if (result.outcome == Outcome::Stopped) break;
  }
  listener.RunEnded(run);
}
