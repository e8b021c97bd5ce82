#pragma once
#include <windows.h>

#include <functional>

#include "ui/win32/worker_thread.h"

// The one worker thread a window has at a time, and the timer the window
// looks at its work with meanwhile. The window's thread never waits for the
// worker but at its end, and then serves what the worker sends it.
class WindowWorker {
 public:
  WindowWorker() = default;
  WindowWorker(const WindowWorker&) = delete;
  WindowWorker& operator=(const WindowWorker&) = delete;

  void Bind(HWND window, UINT_PTR timer, UINT everyMs) {
    m_window = window;
    m_timer = timer;
    m_everyMs = everyMs;
  }
  // How the worker starts: the thread start by default.
  void SetStarter(WorkerStarter starter) { m_start = starter; }

  // False when the worker cannot start; the timer runs while it works.
  bool Start(WorkerEntry entry, void* argument);
  // From the start until the worker is let go.
  bool IsRunning() const { return m_thread != nullptr; }
  // Until the worker ends or is let go, pump takes the window's messages
  // one at a time (false when none waits).
  void WaitServing(const std::function<bool()>& pump);
  // Once the work's end was told, or a wait saw the worker end: its last act
  // is telling that end, so the wait is short. What it sends to this thread
  // meanwhile is carried out.
  void Release();

 private:
  HWND m_window = nullptr;
  UINT_PTR m_timer = 0;
  UINT m_everyMs = 0;
  HANDLE m_thread = nullptr;
  WorkerStarter m_start = &StartWorkerThread;
};
