#include "ui/taskbar_progress.h"

#include <algorithm>
#include <numeric>

TaskbarProgress::TaskbarProgress(TaskbarButton& button, InForeground inForeground, Clock clock)
    : m_button(button), m_inForeground(std::move(inForeground)), m_clock(std::move(clock)) {}

void TaskbarProgress::RowsSized(const std::vector<std::uint64_t>& sizes) {
  m_sizes = sizes;
  m_total = std::accumulate(sizes.begin(), sizes.end(), std::uint64_t(0));
}

void TaskbarProgress::RunStarted() {
  m_running = true;
  m_finished = m_current = 0;
  m_shown = ~0ull;
  m_startedAt = m_clock();
  ShowPending();
}

void TaskbarProgress::BytesDone(int row, std::uint64_t done) {
  // A container's count includes its trailer, which its size already holds.
  m_current = std::min(done, SizeOf(row));
}

void TaskbarProgress::RowFinished(int row) {
  m_finished += SizeOf(row);
  m_current = 0;
}

// A run of empty files counts its rows instead: the button still moves.
void TaskbarProgress::ShowPending() {
  if (!m_running) return;
  std::uint64_t done = std::min(m_finished + m_current, m_total);
  if (done == m_shown) return;
  m_shown = done;
  if (m_total > 0) m_button.ShowProgress(done, m_total);
}

void TaskbarProgress::RunEnded() {
  if (!m_running) return;
  m_running = false;
  m_sizes.clear();
  m_total = 0;
  m_button.ShowNoProgress();
  if (m_clock() - m_startedAt >= kFlashAfterMs && !m_inForeground()) m_button.Flash();
}

std::uint64_t TaskbarProgress::SizeOf(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_sizes.size()) return 0;
  return m_sizes[static_cast<std::size_t>(row)];
}
