#include "ui/prompt_progress.h"

void PromptProgress::BeginRestore() {
  m_pressedAt = m_clock();
  m_sizes.clear();
  m_done = m_total = 0;
  m_outcome = Outcome::Done;
  m_running = true;
  m_shown = false;
  m_ended = false;
}

void PromptProgress::RowsSized(const std::vector<std::uint64_t>& sizes) {
  m_sizes = sizes;
  if (!sizes.empty()) m_total = sizes[0];
}

void PromptProgress::BytesDone(int, std::uint64_t done, std::uint64_t total) {
  m_done = done;
  m_total = total;
}

void PromptProgress::RowFinished(int, const RowResult& result) { m_outcome = result.outcome; }

// A restored file stands complete under a full bar until the success box
// ends the program; after a failure the bar goes, and the prompt is as it was.
void PromptProgress::RunEnded(RunKind) {
  m_running = false;
  m_ended = true;
  if (!m_shown) return;
  m_shown = false;
  m_taskbar.RunEnded();
  if (m_outcome == Outcome::Done) {
    m_bar.SetPos(100);
    return;
  }
  ShowWindow(m_bar.GetSafeHwnd(), SW_HIDE);
  m_bar.SetPos(0);
}

void PromptProgress::ShowPending() {
  if (!m_running) return;
  if (!m_shown) {
    if (m_clock() - m_pressedAt < m_delayMs) return;
    m_shown = true;
    m_bar.SetRange(0, 100);
    m_bar.SetPos(Position());
    ShowWindow(m_bar.GetSafeHwnd(), SW_SHOWNA);
    m_taskbar.RowsSized(m_sizes.empty() ? std::vector<std::uint64_t>{m_total} : m_sizes);
    m_taskbar.RunStarted();
  }
  m_bar.SetPos(Position());
  m_taskbar.BytesDone(0, m_done);
  m_taskbar.ShowPending();
}

int PromptProgress::Position() const {
  if (m_total == 0) return 0;
  return static_cast<int>(m_done * 100 / m_total);
}
