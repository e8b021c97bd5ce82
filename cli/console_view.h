#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "path_expansion.h"
#include "run_view.h"

// The rows of one run on the console: a line per row on standard output
// (status text, tab, the path the row shows afterwards) and, when asked
// for, a progress bar for large files on standard error.
class ConsoleView : public HeadlessRunView {
 public:
  ConsoleView(RunKind kind, std::vector<Row> rows, bool showProgress);

  bool ReadRowPath(int row, std::string& path) override;
  void RowFinished(int row, Outcome outcome, const std::string& shownPath) override;
  void BytesDone(std::uint64_t done, std::uint64_t total) override;

  int RowCount() const { return static_cast<int>(m_rows.size()); }
  // Every row was reported and every one succeeded.
  bool AllSucceeded() const { return m_succeeded == RowCount(); }

 private:
  void PrintRow(RowStatus status, const std::string& path);
  void ClearProgress();

  RunKind m_kind;
  std::vector<Row> m_rows;
  bool m_showProgress;
  int m_succeeded = 0;
  std::string m_fileName;  // of the row in hand, for the progress bar
  std::chrono::steady_clock::time_point m_fileStart;
  std::chrono::steady_clock::time_point m_lastDrawn;
  std::size_t m_drawnWidth = 0;
};
