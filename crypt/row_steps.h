#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "crypt/file_system.h"
#include "crypt/open_failure.h"
#include "crypt/outcome.h"
#include "crypt/run_listener.h"
#include "crypt/run_settings.h"

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
  OpenFailure openFailure = OpenFailure::None;  // with OpenFailed
};

// Told the bytes handled so far of a file's total, as the data moves.
using BytesDoneCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Opens the row's file and takes its stamp: OpenFailed (with what the path
// named instead) or ReadFailed when that cannot be done, with nothing left open.
FileWork OpenSource(FileSystem& fs, const std::string& path);
void CloseSource(FileSystem& fs, FileWork& work);

// Removes the source whose output stands in place, unless another program
// changed or replaced it after it was read: Done, SourceChanged or
// DeleteFailed. The source is closed afterwards either way.
Outcome RemoveSource(FileSystem& fs, const std::string& path, FileWork& work);

// One file's work up to its output in place, or the outcome that stopped it.
using FileStep = FileWork (*)(FileSystem& fs, const std::string& path, const RunSettings& settings,
                              const BytesDoneCallback& bytesDone);

// The loop both runs share: every row's file work and its end, the stop
// request looked at between rows, each fact told to the listener. The first
// row in a folder first clears the folder of temporary files that dead runs
// left there.
void RunRows(RunListener& listener, const RunSettings& settings, RunKind run, FileStep step);

// The tail of a row once its file work is known: for output in place the
// removal of the source; an output that stood already (AlreadyInPlace) is
// shown and nothing is removed. Closes the source and returns how the row ended.
RowResult FinishRow(FileSystem& fs, const std::string& path, FileWork& work);
