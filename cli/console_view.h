#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "path_expansion.h"
#include "run_view.h"
#include "stop_request.h"

// The rows of one run on the console: a line per row on standard output
// (status text, tab, the path the row shows afterwards) and, when asked
// for, a progress bar for large files on standard error.
class ConsoleView : public HeadlessRunView {
 public:
  // When standard output is closed (a pipe whose reader ended), the view
  // asks stop to end the run at the next row.
  ConsoleView(RunKind kind, std::vector<std::string> rows, bool showProgress, StopRequest& stop);

  bool ReadRowPath(int row, std::string& path) override;
  void RowFinished(int row, Outcome outcome, const std::string& shownPath) override;
  void BytesDone(std::uint64_t done, std::uint64_t total) override;

  int RowCount() const { return static_cast<int>(m_rows.size()); }
  // Every row was reported and every one succeeded.
  bool AllSucceeded() const { return m_succeeded == RowCount(); }
  // A line could not be written: standard output is closed.
  bool OutputClosed() const { return m_outputClosed; }

 private:
  void PrintRow(RowStatus status, const std::string& path);
  void ClearProgress();

  RunKind m_kind;
  StopRequest& m_stop;
  bool m_outputClosed = false;
  std::vector<std::string> m_rows;
  bool m_showProgress;
  int m_succeeded = 0;
  std::string m_fileName;  // of the row in hand, for the progress bar
  std::chrono::steady_clock::time_point m_fileStart;
  std::chrono::steady_clock::time_point m_lastDrawn;
  std::size_t m_drawnWidth = 0;
};
