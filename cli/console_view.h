#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "crypt/run_listener.h"
#include "crypt/stop_request.h"

// The rows of one run on the console: a line per row on standard output
// (status text, tab, the path the row shows afterwards) and, when asked
// for, a progress bar for large files on standard error.
class ConsoleView : public RunListener {
 public:
  // When standard output is closed (a pipe whose reader ended), the view
  // asks stop to end the run at the next row.
  ConsoleView(RunKind kind, int rowCount, bool showProgress, StopRequest& stop);

  void RowStarted(int row, const std::string& path) override;
  void BytesDone(int row, std::uint64_t done, std::uint64_t total) override;
  void RowFinished(int row, const RowResult& result) override;

  // Every row was reported and every one succeeded.
  bool AllSucceeded() const { return m_succeeded == m_rowCount; }
  // A line could not be written: standard output is closed.
  bool OutputClosed() const { return m_outputClosed; }

 private:
  void PrintRow(RowStatus status, const std::string& path);
  void ClearProgress();

  RunKind m_kind;
  StopRequest& m_stop;
  bool m_outputClosed = false;
  int m_rowCount;
  bool m_showProgress;
  int m_succeeded = 0;
  std::string m_fileName;  // of the row in hand, for the progress bar
  std::chrono::steady_clock::time_point m_fileStart;
  std::chrono::steady_clock::time_point m_lastDrawn;
  std::size_t m_drawnWidth = 0;
};
