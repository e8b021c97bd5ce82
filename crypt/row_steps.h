#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crypt/file_system.h"
#include "crypt/open_failure.h"
#include "crypt/outcome.h"
#include "crypt/output_writer.h"
#include "crypt/run_listener.h"
#include "crypt/run_settings.h"

// Pieces the two runs and the single-file decryption share.

// How far one file got: an outcome, or Done with its output in place or
// staged for its group to place. The source stays open from its first read
// until the row's end, so that the file removed is the very file that was read.
struct FileWork {
  Outcome outcome = Outcome::Done;
  std::string outputPath;
  bool sourceOpen = false;
  FileHandle source = 0;
  FileStamp sourceStamp;
  OpenFailure openFailure = OpenFailure::None;  // with OpenFailed
  // An output found standing under its name, byte for byte, ends the row as
  // Done (the source goes: encryption) or as AlreadyInPlace (both stay).
  bool sourceGoesBesideExisting = false;
  // Done with the output written but not yet durable nor under its name.
  bool staged = false;
  OutputJob job;  // what was staged, without its progress callback
  StagedOutput output;
  // Bytes told done, of as many, once the staged output stands (0: none).
  std::uint64_t bytesWhenPlaced = 0;
};

// Told the bytes handled so far of a file's total, as the data moves.
using BytesDoneCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Opens the row's file and takes its stamp: OpenFailed (with what the path
// named instead) or ReadFailed when that cannot be done, with nothing left open.
FileWork OpenSource(FileSystem& fs, const std::string& path);
void CloseSource(FileSystem& fs, FileWork& work);

// Stages the job's output in the work: Done and staged, or how the row ended.
void StageInWork(FileSystem& fs, OutputJob job, FileWork& work);

// How a group's outputs are made durable: each output by its own flushes of
// data and name, or the data of all by one flush and their names by one
// flush of their folder, where the folder's file system honours that
// (FileSystem::FlushesTogether).
enum class GroupFlush { EachFile, Together };

// Places the staged outputs of rows in one folder, made durable together:
// their data, then their names, as flush says (one output alone always by
// its own flushes); only then may their sources go.
// Each work ends Done with its output in place, or with the outcome that
// stopped it, its source kept.
void PlaceTogether(FileSystem& fs, const std::vector<FileWork*>& works, GroupFlush flush);

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
// left there. Rows are ended in groups (see RunSettings): a group's outputs
// are made durable together before its sources go, and its rows are then
// told finished in their order. A group ends at its bounds, at the end of a
// folder, and before a stop is honoured.
void RunRows(RunListener& listener, const RunSettings& settings, RunKind run, FileStep step);

// The tail of a row once its file work is known: for output in place the
// removal of the source; an output that stood already (AlreadyInPlace) is
// shown and nothing is removed. Closes the source and returns how the row ended.
RowResult FinishRow(FileSystem& fs, const std::string& path, FileWork& work);
