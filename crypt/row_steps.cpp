#include "crypt/row_steps.h"

#include <set>
#include <utility>

#include "crypt/file_names.h"
#include "crypt/leftover_sweep.h"
#include "crypt/stop_request.h"

namespace {

// Whether the row ends with its source removed, once its output stands.
bool SourceGoes(const FileWork& work) {
  return work.outcome == Outcome::Done ||
         (work.outcome == Outcome::AlreadyInPlace && work.sourceGoesBesideExisting);
}

}  // namespace

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

void StageInWork(FileSystem& fs, OutputJob job, FileWork& work) {
  work.outputPath = job.finalPath;
  work.outcome = StageOutput(fs, job, work.output);
  if (work.outcome != Outcome::Done) return;
  work.staged = true;
  job.onBytes = nullptr;  // its captures live only as long as the row's step
  work.job = std::move(job);
}

namespace {

bool FlushEach(FileSystem& fs, const std::vector<FileHandle>& files) {
  for (FileHandle file : files)
    if (!fs.Flush(file)) return false;
  return true;
}

}  // namespace

void PlaceTogether(FileSystem& fs, const std::vector<FileWork*>& works, GroupFlush flush) {
  std::vector<FileWork*> staged;
  std::vector<FileHandle> files;
  for (FileWork* work : works) {
    if (!work->staged) continue;
    staged.push_back(work);
    files.push_back(work->output.file);
  }
  if (staged.empty()) return;
  // One flush for all pays only for more than one output.
  const bool together = flush == GroupFlush::Together && files.size() > 1;
  const bool flushed = together ? fs.FlushTogether(files) : FlushEach(fs, files);
  std::vector<FileWork*> moved, taken;
  for (FileWork* work : staged) {
    work->staged = false;
    if (!flushed) {
      work->outcome = DropOutput(fs, work->job, work->output, Outcome::WriteFailed);
      continue;
    }
    work->outcome = PlaceOutput(fs, work->job, work->output);
    if (work->outcome == Outcome::Done) moved.push_back(work);
    if (work->outcome == Outcome::NameTaken) taken.push_back(work);
  }
  // Where the group's data took one flush, one flush of its folder makes
  // every move durable; elsewhere each name is made durable on its own. A
  // move that cannot be made durable is taken back, and its source stays.
  bool named = true;
  for (std::size_t i = 0; i < moved.size(); ++i) {
    if (i == 0 || !together) named = fs.SyncNames(moved[i]->job.finalPath, moved[i]->output.file);
    moved[i]->outcome = SettleOutput(fs, moved[i]->job, moved[i]->output, named);
  }
  for (FileWork* work : taken) work->outcome = SettleTakenName(fs, work->job);
}

Outcome RemoveSource(FileSystem& fs, const std::string& path, FileWork& work) {
  Outcome outcome = Outcome::SourceChanged;
  if (fs.Unchanged(work.source, path, work.sourceStamp))
    outcome = fs.DeleteOpened(work.source, path) ? Outcome::Done : Outcome::DeleteFailed;
  CloseSource(fs, work);
  return outcome;
}

namespace {

// An output that a run which died left under its name may never have been
// made durable, its name least of all: it is, before its source may go.
bool MakeDurable(FileSystem& fs, const std::string& path) {
  FileHandle file = 0;
  if (!fs.OpenExisting(path, file)) return false;
  bool durable = fs.Flush(file) && fs.SyncNames(path, file);
  fs.Close(file);
  return durable;
}

}  // namespace

RowResult FinishRow(FileSystem& fs, const std::string& path, FileWork& work) {
  if (work.staged) PlaceTogether(fs, {&work}, GroupFlush::EachFile);
  if (SourceGoes(work) && work.outcome == Outcome::AlreadyInPlace)
    work.outcome = MakeDurable(fs, work.outputPath) ? Outcome::Done : Outcome::WriteFailed;
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

namespace {

// The rows whose ends wait for their group's outputs to be made durable.
class RowGroup {
 public:
  RowGroup(FileSystem& fs, RunListener& listener) : m_fs(fs), m_listener(listener) {}

  // A group never spans folders: one flush of its folder covers its names.
  void EnterFolder(const std::string& folder) {
    if (folder != m_folder) {
      End();
      m_flushDecided = false;
    }
    m_folder = folder;
  }

  // A row that waits on nothing lets its file go at once: a later row of the
  // group may have to open it (a container beside the source it came from).
  void Add(int row, const std::string& path, FileWork work) {
    if (!work.staged && !SourceGoes(work)) CloseSource(m_fs, work);
    if (work.staged) {
      ++m_stagedFiles;
      m_stagedBytes += work.job.dataLength;
    }
    m_rows.push_back(PendingRow{row, path, std::move(work)});
  }

  // Rows that wait on no output are told at once.
  bool Full(const RunSettings& settings) const {
    return m_stagedFiles == 0 || m_stagedFiles >= settings.groupFiles ||
           m_stagedBytes >= settings.groupBytes;
  }

  // The outputs placed together, then each row's end, in row order.
  void End() {
    std::vector<FileWork*> works;
    for (PendingRow& pending : m_rows) works.push_back(&pending.work);
    PlaceTogether(m_fs, works, FlushIn(works));
    for (PendingRow& pending : m_rows) {
      const FileWork& work = pending.work;
      bool inPlace = work.outcome == Outcome::Done || work.outcome == Outcome::AlreadyInPlace;
      if (inPlace && work.bytesWhenPlaced)
        m_listener.BytesDone(pending.row, work.bytesWhenPlaced, work.bytesWhenPlaced);
      m_listener.RowFinished(pending.row, FinishRow(m_fs, pending.path, pending.work));
    }
    m_rows.clear();
    m_stagedFiles = 0;
    m_stagedBytes = 0;
  }

 private:
  // Asked once per folder, of the folder's first staged output: its file
  // system is every later one's.
  GroupFlush FlushIn(const std::vector<FileWork*>& works) {
    if (m_flushDecided) return m_flush;
    for (const FileWork* work : works) {
      if (!work->staged) continue;
      m_flush = m_fs.FlushesTogether(work->output.file) ? GroupFlush::Together
                                                         : GroupFlush::EachFile;
      m_flushDecided = true;
      break;
    }
    return m_flush;
  }

  struct PendingRow {
    int row;
    std::string path;
    FileWork work;
  };
  FileSystem& m_fs;
  RunListener& m_listener;
  std::vector<PendingRow> m_rows;
  std::string m_folder;
  bool m_flushDecided = false;
  GroupFlush m_flush = GroupFlush::EachFile;
  std::size_t m_stagedFiles = 0;
  std::uint64_t m_stagedBytes = 0;
};

}  // namespace

void RunRows(RunListener& listener, const RunSettings& settings, RunKind run, FileStep step) {
  FileSystem& fs = settings.fileSystem ? *settings.fileSystem : NativeFileSystem();
  listener.RunStarted(run);
  // A folder's leftovers are looked for once per run, at its first row:
  // listing it again for each of its rows would cost a run of many rows dear.
  std::set<std::string> swept;
  RowGroup group(fs, listener);
  for (int row = 0; row < static_cast<int>(settings.rows.size()); ++row) {
    if (settings.stop && settings.stop->Requested()) break;
    const std::string& path = settings.rows[row];
    std::string folder = SplitPath(path, settings.rules).directory;
    group.EnterFolder(folder);
    listener.RowStarted(row, path);
    if (swept.insert(folder).second) RemoveAbandonedTemporaries(fs, folder);
    FileWork work = step(fs, path, settings, [&](std::uint64_t done, std::uint64_t total) {
      listener.BytesDone(row, done, total);
    });
    const bool stopped = work.outcome == Outcome::Stopped;
    group.Add(row, path, std::move(work));
    // A stop is honoured once the group's rows already written are finished.
    if (stopped || group.Full(settings) || (settings.stop && settings.stop->Requested()))
      group.End();
    if (stopped) break;
  }
  group.End();
  listener.RunEnded(run);
}
