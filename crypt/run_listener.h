#pragma once
#include <cstdint>
#include <string>

#include "crypt/open_failure.h"
#include "crypt/outcome.h"

// How one row ended.
struct RowResult {
  Outcome outcome = Outcome::Done;
  // What the row stands for afterwards: the output on success, else the
  // row's own path.
  std::string shownPath;
  // An output that stood complete under its name, also when the row then
  // failed because its source changed or could not be removed; else empty.
  std::string outputPath;
  // With OpenFailed: what the path named instead of a file to work on.
  OpenFailure openFailure = OpenFailure::None;
};

// What a run tells while it works: facts, not widgets. The front ends
// decide how each fact looks (the window's rows, the console's lines). The run
// calls these on its own thread and waits for nothing but the call.
class RunListener {
 public:
  virtual ~RunListener() = default;
  virtual void RunStarted(RunKind run) { (void)run; }
  // The run reached a row and read its path.
  virtual void RowStarted(int row, const std::string& path) { (void)row; (void)path; }
  // Bytes of the row's file handled so far, of its total (a container's
  // total counts its trailer too).
  virtual void BytesDone(int row, std::uint64_t done, std::uint64_t total) {
    (void)row; (void)done; (void)total;
  }
  virtual void RowFinished(int row, const RowResult& result) { (void)row; (void)result; }
  virtual void RunEnded(RunKind run) { (void)run; }
};
