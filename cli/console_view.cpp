#include "cli/console_view.h"

#include <cstdio>

#include "cli/name_warning.h"
#include "cli/path_expansion.h"
#include "cli/reasons.h"
#include "cli/status_utf8.h"
#include "cli/terminal.h"
#include "crypt/output_writer.h"
#include "crypt/path_rules.h"

namespace {

// Smaller files pass in a buffer or two: a bar would only flicker.
constexpr std::uint64_t kProgressFloor = 2 * kTransferBufferSize;
constexpr std::size_t kShownNameBytes = 40;

// At most limit bytes of name, never cutting a character in two.
std::string Shortened(const std::string& name, std::size_t limit) {
  if (name.size() <= limit) return name;
  std::size_t end = 0;
  while (end + ConsoleCharacterLength(name, end) <= limit) end += ConsoleCharacterLength(name, end);
  return name.substr(0, end) + "...";
}

}  // namespace

ConsoleView::ConsoleView(RunKind kind, int rowCount, bool showProgress, StopRequest& stop)
    : m_kind(kind), m_stop(stop), m_rowCount(rowCount), m_showProgress(showProgress) {}

void ConsoleView::RowStarted(int, const std::string& path) {
  if (m_kind == RunKind::Encrypt) WarnOfReturnedName(path);
  m_fileName = Shortened(FileNameOf(path), kShownNameBytes);
  m_fileStart = std::chrono::steady_clock::now();
  m_lastDrawn = {};
}

void ConsoleView::RowFinished(int, const RowResult& result) {
  ClearProgress();
  if (StatusOf(m_kind, result.outcome) == RowStatus::Success) ++m_succeeded;
  PrintRow(StatusOf(m_kind, result.outcome), result.shownPath);
  std::string reason = RowReason(m_kind, result);
  if (!reason.empty()) {
    WriteText(stderr, "p6k: " + result.shownPath + ": " + reason + "\n");
  }
}

void ConsoleView::PrintRow(RowStatus status, const std::string& path) {
  if (m_outputClosed) return;
  if (!WriteText(stdout, StatusUtf8(status) + ("\t" + path) + "\n")) {
    // Nobody reads the lines any more: the rows not yet begun stay as they are.
    m_outputClosed = true;
    m_stop.Request();
  }
}

void ConsoleView::BytesDone(int, std::uint64_t done, std::uint64_t total) {
  if (!m_showProgress || total <= kProgressFloor) return;
  auto now = std::chrono::steady_clock::now();
  if (done < total && now - m_lastDrawn < std::chrono::milliseconds(100)) return;
  m_lastDrawn = now;
  double seconds = std::chrono::duration<double>(now - m_fileStart).count();
  double rate = seconds > 0 ? static_cast<double>(done) / (1024.0 * 1024.0) / seconds : 0;
  int percent = static_cast<int>(done * 100 / total);
  const int barWidth = 20;
  std::string bar(static_cast<std::size_t>(percent * barWidth / 100), '#');
  bar.resize(barWidth, '.');
  char figures[64];
  std::snprintf(figures, sizeof figures, " [%s] %3d%% %7.1f MiB/s", bar.c_str(), percent, rate);
  std::string text = m_fileName + figures;
  std::string padding(m_drawnWidth > text.size() ? m_drawnWidth - text.size() : 0, ' ');
  WriteText(stderr, "\r" + text + padding);
  m_drawnWidth = text.size();
}

void ConsoleView::ClearProgress() {
  if (m_drawnWidth == 0) return;
  std::fprintf(stderr, "\r%s\r", std::string(m_drawnWidth, ' ').c_str());
  std::fflush(stderr);
  m_drawnWidth = 0;
}
