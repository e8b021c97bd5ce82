#pragma once
#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

#include "ui/window_run_listener.h"

// Carries a run's facts from its worker to the window's thread. Each fact is
// queued as it comes and replayed in order on the window's side when the
// window looks, which it does at a person's pace (on a timer); the run's end
// is posted so that it shows at once. The worker never waits for the window.
// Bytes done between two looks come as their latest count.
class QueuedRunListener : public WindowRunListener {
 public:
  QueuedRunListener(HWND window, UINT message) : m_window(window), m_message(message) {}

  void RowsSized(const std::vector<std::uint64_t>& sizes) override;
  void RunStarted(RunKind run) override;
  void RowStarted(int row, const std::string& path) override;
  void BytesDone(int row, std::uint64_t done, std::uint64_t total) override;
  void RowFinished(int row, const RowResult& result) override;
  void RunEnded(RunKind run) override;

  // On the window's thread: everything queued so far, replayed on target.
  void Replay(WindowRunListener& target);

 private:
  using Fact = std::function<void(WindowRunListener&)>;
  void Queue(Fact fact, bool bytes = false, bool urgent = false);

  HWND m_window;
  UINT m_message;
  std::mutex m_lock;
  std::vector<Fact> m_facts;
  bool m_lastIsBytes = false;  // the last fact queued may be replaced by newer bytes
  bool m_posted = false;
};
