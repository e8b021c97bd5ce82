#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "crypt/file_system.h"
#include "crypt/outcome.h"
#include "crypt/stop_request.h"
#include "ui/prompt_progress.h"
#include "ui/queued_run_listener.h"
#include "ui/taskbar_button.h"
#include "ui/taskbar_progress.h"
#include "ui/window_worker.h"
#include "ui/win32/progress_bar.h"

// What the prompt's worker is handed, made ready on the window's thread.
struct RestoreJob {
  std::string path;
  std::uint8_t key = 0;
  FileSystem* fileSystem = nullptr;  // the native one when null
  WindowRunListener* listener = nullptr;
  const StopRequest* stop = nullptr;
};

// The worker's entry: it measures the container and restores it.
unsigned __stdcall RestoreThreadProc(void* job);

// The password prompt's one restore at a time: its worker thread, its stop
// request, and the way its facts reach the prompt's bar and taskbar button.
// The facts travel as the main window's runs send theirs.
class PromptRestore {
 public:
  // Posted to the prompt when the restore's end waits, and the timer the
  // prompt looks at the restore with meanwhile; the prompt answers both
  // with ShowFacts.
  static const UINT kFactsMessage = WM_APP + 1;
  static const UINT_PTR kFactsTimer = 0x5252;
  static const UINT kFactsEveryMs = 50;
  // A restore that ends sooner than this shows no progress.
  static const std::uint64_t kProgressAfterMs = 500;

  PromptRestore() = default;
  ~PromptRestore();
  PromptRestore(const PromptRestore&) = delete;
  PromptRestore& operator=(const PromptRestore&) = delete;

  // Seams, before Bind: the file layer (the native one by default), the
  // taskbar button (the prompt's own by default), and how long a restore
  // lasts before its progress shows.
  void SetFileSystem(FileSystem& fileSystem) { m_fileSystem = &fileSystem; }
  void SetTaskbarButton(TaskbarButton& button) { m_button = &button; }
  void SetProgressDelay(std::uint64_t delayMs) { m_delayMs = delayMs; }

  // Once the prompt and its bar exist.
  void Bind(HWND window, ProgressBar& bar);
  // False when its worker cannot start.
  bool Start(const std::string& path, std::uint8_t key);
  // From the start until the restore's end has been shown.
  bool IsRunning() const { return m_worker.IsRunning(); }
  // On the window's thread, for kFactsMessage and the timer: shows what the
  // restore told. True once, when its end is shown; its outcome is then
  // LastOutcome() and its worker is let go.
  bool ShowFacts();
  Outcome LastOutcome() const { return m_display ? m_display->LastOutcome() : Outcome::Done; }
  // Asks the restore to stop at its next buffer.
  void RequestStop() { m_stop.Request(); }
  // Asks the restore to stop at its next buffer and waits for it, serving
  // the window's messages meanwhile; pump takes one and is false when none
  // waits. Its end is then shown, and LastOutcome() tells how it ended.
  void StopAndWait(const std::function<bool()>& pump);

 private:
  FileSystem* m_fileSystem = nullptr;
  TaskbarButton* m_button = nullptr;
  std::uint64_t m_delayMs = kProgressAfterMs;
  std::unique_ptr<QueuedRunListener> m_queue;
  std::unique_ptr<SystemTaskbarButton> m_systemButton;
  std::unique_ptr<TaskbarProgress> m_taskbar;
  std::unique_ptr<PromptProgress> m_display;
  RestoreJob m_job;
  StopRequest m_stop;
  WindowWorker m_worker;
  bool m_comStarted = false;
};
