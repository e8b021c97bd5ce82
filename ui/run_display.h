#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/taskbar_progress.h"
#include "ui/window_run_listener.h"
#include "ui/win32/list_view.h"
#include "ui/win32/progress_bar.h"

// The window's side of a run, on the interface thread: the facts a run tells
// shown as the user sees them. Each row takes its path, status text and
// image in the order rows always took them (the command buttons are the
// controller's). What moves faster than a person can follow is shown at
// each look of the window (ShowPending): the hidden progress bar's position,
// and the last row that succeeded scrolled into view, and the share of the
// run's bytes on the taskbar button when there is one. Each row ends with the
// bar at 0 after a success, else at the row's last position.
class RunDisplay : public WindowRunListener {
 public:
  // Scrolling repaints the list (7 ms a time under Wine with 20,000 rows),
  // so the list follows a run at most this often; its end scrolls at once.
  static const DWORD kScrollEveryMs = 200;
  // Milliseconds from any start: the system's tick count unless the caller
  // gives its own.
  using Clock = std::function<DWORD()>;

  RunDisplay(ListView& list, ProgressBar& bar, TaskbarProgress* taskbar = nullptr,
             Clock clock = [] { return GetTickCount(); });

  // On the press, before the worker exists: the end of the run before is
  // forgotten, so only this run's end counts.
  void BeginRun() { m_ended = false; }

  void RowsSized(const std::vector<std::uint64_t>& sizes) override;
  void RunStarted(RunKind run) override;
  void BytesDone(int row, std::uint64_t done, std::uint64_t total) override;
  void RowFinished(int row, const RowResult& result) override;
  void RunEnded(RunKind run) override;

  // The bar to the last position reached, if it moved since it was last
  // set, and the last row that succeeded since the last look into view.
  void ShowPending();
  bool RunHasEnded() const { return m_ended; }

 private:
  void ScrollToLastSuccess(bool now);
  void ShowFailure(int row, const RowResult& result);
  void ShowOutputInPlace(int row, const std::string& outputPath);
  void SetBar(int position);

  ListView& m_list;
  ProgressBar& m_bar;
  TaskbarProgress* m_taskbar;
  Clock m_clock;
  RunKind m_run = RunKind::Encrypt;
  int m_position = 0;     // the last position the bytes have reached
  int m_shown = 0;        // the position the bar shows
  int m_scrollTo = -1;    // the last row that succeeded since the last look
  DWORD m_scrolledAt = 0;
  bool m_hasScrolled = false;
  bool m_ended = false;
};
