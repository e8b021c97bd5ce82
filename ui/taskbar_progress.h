#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "ui/taskbar_button.h"

// What the taskbar button shows of a run: the share of the run's bytes done,
// every row's size counting, at the pace the window looks at the run; no
// progress once it ends, and a flash when a long run ends while the user is
// elsewhere.
class TaskbarProgress {
 public:
  // A run shorter than this ends under the user's eyes, or nearly.
  static const std::uint64_t kFlashAfterMs = 3000;

  using Clock = std::function<std::uint64_t()>;
  using InForeground = std::function<bool()>;
  TaskbarProgress(TaskbarButton& button, InForeground inForeground, Clock clock);

  void RowsSized(const std::vector<std::uint64_t>& sizes);
  void RunStarted();
  void BytesDone(int row, std::uint64_t done);
  // A row counts whole once it ends, whatever its outcome.
  void RowFinished(int row);
  // Sets the button when the share moved since it was last set.
  void ShowPending();
  void RunEnded();

 private:
  std::uint64_t SizeOf(int row) const;

  TaskbarButton& m_button;
  InForeground m_inForeground;
  Clock m_clock;
  std::vector<std::uint64_t> m_sizes;
  std::uint64_t m_total = 0;
  std::uint64_t m_finished = 0;  // the bytes of the rows that ended
  std::uint64_t m_current = 0;   // the bytes done of the row under way
  std::uint64_t m_shown = ~0ull;
  std::uint64_t m_startedAt = 0;
  bool m_running = false;
};
