#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "crypt/outcome.h"
#include "ui/taskbar_progress.h"
#include "ui/window_run_listener.h"
#include "ui/win32/progress_bar.h"

// The prompt's side of its restore, on the interface thread: the share of
// the container's bytes done, in the prompt's bar and on its taskbar button,
// shown at each look of the prompt once the restore has lasted the delay.
// A restore that ends sooner shows nothing at all.
class PromptProgress : public WindowRunListener {
 public:
  using Clock = std::function<std::uint64_t()>;
  PromptProgress(ProgressBar& bar, TaskbarProgress& taskbar, Clock clock)
      : m_bar(bar), m_taskbar(taskbar), m_clock(std::move(clock)) {}

  void SetDelay(std::uint64_t delayMs) { m_delayMs = delayMs; }
  // On the press, before the worker exists: the delay counts from here, and
  // only this restore's end counts.
  void BeginRestore();

  void RowsSized(const std::vector<std::uint64_t>& sizes) override;
  void BytesDone(int row, std::uint64_t done, std::uint64_t total) override;
  void RowFinished(int row, const RowResult& result) override;
  void RunEnded(RunKind run) override;

  // The bar and the button to the bytes done so far, once the delay is over.
  void ShowPending();
  bool HasEnded() const { return m_ended; }
  Outcome LastOutcome() const { return m_outcome; }

 private:
  int Position() const;

  ProgressBar& m_bar;
  TaskbarProgress& m_taskbar;
  Clock m_clock;
  std::uint64_t m_delayMs = 0;
  std::uint64_t m_pressedAt = 0;
  std::vector<std::uint64_t> m_sizes;
  std::uint64_t m_done = 0;
  std::uint64_t m_total = 0;
  Outcome m_outcome = Outcome::Done;
  bool m_running = false;
  bool m_shown = false;
  bool m_ended = false;
};
