#pragma once
#include <string>

#include "batch_run.h"
#include "file_system.h"
#include "outcome.h"

// Pieces the two runs and the single-file decryption share.

// How far one file got: an outcome, or Done with its output in place. The
// source stays open from its first read until the row's end, so that the
// file removed is the very file that was read.
struct FileWork {
  Outcome outcome = Outcome::Done;
  std::string outputPath;
  bool sourceOpen = false;
  FileHandle source = 0;
  FileStamp sourceStamp;
};

// Opens the row's file and takes its stamp: OpenFailed or ReadFailed when
// that cannot be done, with nothing left open.
FileWork OpenSource(FileSystem& fs, const std::string& path);
void CloseSource(FileSystem& fs, FileWork& work);

// Removes the source whose output stands in place, unless another program
// changed or replaced it after it was read: Done, SourceChanged or
// DeleteFailed. The source is closed afterwards either way.
Outcome RemoveSource(FileSystem& fs, const std::string& path, FileWork& work);

// Row updates in the run's order.
void ReportFailure(RunView& view, RunKind run, int row, const std::string& path, Outcome outcome);
void ReportOutputInPlace(RunView& view, int row, const std::string& outputPath);

// One file's work up to its output in place, or the outcome that stopped it.
using FileStep = FileWork (*)(FileSystem& fs, const std::string& path, const RunSettings& settings,
                              RunView& view);

// The loop both runs share: the buttons off (the other run's first), every
// row's file work and report, the stop request between rows, the buttons on.
void RunRows(RunView& view, const RunSettings& settings, RunKind run, FileStep step);

// The whole tail of a row once its file work is known: the outcome's row
// updates, and for output in place the removal of the source. Closes the
// source and returns the row's final outcome.
Outcome FinishRow(RunView& view, RunKind run, int row, const std::string& path, FileWork& work,
                  FileSystem& fs);
