#include "ui/run_display.h"

#include "ui/file_rows.h"
#include "ui/progress_steps.h"
#include "ui/row_look.h"
#include "ui/status_text.h"

RunDisplay::RunDisplay(ListView& list, ProgressBar& bar, TaskbarProgress* taskbar, Clock clock)
    : m_list(list), m_bar(bar), m_taskbar(taskbar), m_clock(std::move(clock)) {}

void RunDisplay::RowsSized(const std::vector<std::uint64_t>& sizes) {
  if (m_taskbar) m_taskbar->RowsSized(sizes);
}

void RunDisplay::RunStarted(RunKind run) {
  m_run = run;
  m_ended = false;
  // A row that moves no bytes leaves the bar where the last run left it.
  m_position = m_shown = m_bar.GetPos();
  m_hasScrolled = false;
  if (m_taskbar) m_taskbar->RunStarted();
}

void RunDisplay::BytesDone(int row, std::uint64_t done, std::uint64_t total) {
  if (m_taskbar) m_taskbar->BytesDone(row, done);
  int position = ProgressSteps(total).PositionAfter(done);
  if (position >= 0) m_position = position;
}

void RunDisplay::RowFinished(int row, const RowResult& result) {
  switch (result.outcome) {
    case Outcome::Stopped:
      break;  // the row stays as it was
    case Outcome::Done:
    case Outcome::AlreadyInPlace:
      ShowOutputInPlace(row, result.outputPath);
      m_position = 0;
      break;
    default:
      // An output that stood before its source could not go was shown as a
      // success a moment before the failure replaced it.
      if (!result.outputPath.empty()) ShowOutputInPlace(row, result.outputPath);
      ShowFailure(row, result);
      break;
  }
  SetBar(m_position);
  if (m_taskbar) m_taskbar->RowFinished(row);
}

void RunDisplay::RunEnded(RunKind) {
  ShowPending();
  ScrollToLastSuccess(true);
  if (m_taskbar) m_taskbar->RunEnded();
  m_ended = true;
}

// Scrolling a row into view costs a repaint of the list, so of a burst of
// successes only the last is scrolled to: the list ends where it always did.
void RunDisplay::ShowPending() {
  if (m_position != m_shown) SetBar(m_position);
  ScrollToLastSuccess(false);
  if (m_taskbar) m_taskbar->ShowPending();
}

void RunDisplay::ScrollToLastSuccess(bool now) {
  if (m_scrollTo < 0) return;
  const DWORD tick = m_clock();
  if (!now && m_hasScrolled && tick - m_scrolledAt < kScrollEveryMs) return;
  m_list.EnsureVisible(m_scrollTo, false);
  m_scrollTo = -1;
  m_scrolledAt = tick;
  m_hasScrolled = true;
}

void RunDisplay::ShowFailure(int row, const RowResult& result) {
  ShowRowImage(m_list, row, static_cast<int>(ImageOf(result.outcome)), ReasonOf(m_run, result));
  m_list.SetItemText(row, 0, result.shownPath);
  m_list.SetItemText(row, 1, StatusText(StatusOf(m_run, result.outcome)));
}

void RunDisplay::ShowOutputInPlace(int row, const std::string& outputPath) {
  m_list.SetItemText(row, 0, outputPath);
  m_list.SetItemText(row, 1, StatusText(RowStatus::Success));
  ShowRowImage(m_list, row, static_cast<int>(RowImage::Tick), Reason::None);
  m_scrollTo = row;
}

void RunDisplay::SetBar(int position) {
  m_bar.SetPos(position);
  m_shown = position;
}
