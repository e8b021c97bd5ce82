#include "row_steps.h"

#include "stop_request.h"

FileWork OpenSource(FileSystem& fs, const std::string& path) {
  FileWork work;
  if (!fs.OpenExisting(path, work.source)) {
    work.outcome = Outcome::OpenFailed;
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

void ReportFailure(RunView& view, RunKind run, int row, const std::string& path, Outcome outcome) {
  RowLook look = LookOf(run, outcome);
  view.SetRowImage(row, look.image);
  view.SetRowPath(row, path);
  view.SetRowStatus(row, look.status);
}

void ReportOutputInPlace(RunView& view, int row, const std::string& outputPath) {
  view.SetRowPath(row, outputPath);
  view.SetRowStatus(row, RowStatus::Success);
  view.SetRowImage(row, RowImage::Tick);
  view.EnsureRowVisible(row);
}

Outcome FinishRow(RunView& view, RunKind run, int row, const std::string& path, FileWork& work,
                  FileSystem& fs) {
  if (work.outcome != Outcome::Done) CloseSource(fs, work);
  if (work.outcome == Outcome::Stopped) {
    view.RowFinished(row, Outcome::Stopped, path);
    return Outcome::Stopped;
  }
  if (work.outcome != Outcome::Done) {
    ReportFailure(view, run, row, path, work.outcome);
    view.RowFinished(row, work.outcome, path);
    return work.outcome;
  }
  ReportOutputInPlace(view, row, work.outputPath);
  Outcome removed = RemoveSource(fs, path, work);
  if (removed == Outcome::Done) {
    view.SetProgress(0);
    view.RowFinished(row, Outcome::Done, work.outputPath);
  } else {
    ReportFailure(view, run, row, path, removed);
    view.RowFinished(row, removed, path);
  }
  return removed;
}

void RunRows(RunView& view, const RunSettings& settings, RunKind run, FileStep step) {
  FileSystem& fs = settings.fileSystem ? *settings.fileSystem : NativeFileSystem();
  bool encrypting = run == RunKind::Encrypt;
  view.EnableCommand(encrypting ? CommandButton::Decrypt : CommandButton::Encrypt, false);
  view.EnableCommand(encrypting ? CommandButton::Encrypt : CommandButton::Decrypt, false);
  for (int row = 0; row < settings.rowCount; ++row) {
    if (settings.stop && settings.stop->Requested()) break;
    std::string path;
    if (!view.ReadRowPath(row, path)) continue;  // a row that is gone names no file
    FileWork work = step(fs, path, settings, view);
    if (FinishRow(view, run, row, path, work, fs) == Outcome::Stopped) break;
  }
  view.EnableCommand(CommandButton::Decrypt, true);
  view.EnableCommand(CommandButton::Encrypt, true);
}
