#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "crypt/batch_run.h"
#include "ui/command_buttons.h"
#include "ui/queued_run_listener.h"
#include "ui/run_display.h"
#include "ui/taskbar_button.h"
#include "ui/taskbar_progress.h"
#include "crypt/stop_request.h"
#include "ui/win32/worker_thread.h"
#include "ui/window_worker.h"

// What the worker thread is handed: one run, made ready on the window's thread.
struct RunJob {
  RunKind kind = RunKind::Encrypt;
  RunSettings settings;
  WindowRunListener* listener = nullptr;
};

// The worker's entry: it takes the RunJob, measures its rows and runs its kind.
unsigned __stdcall RunThreadProc(void* job);

// The one batch run a window has at a time: its worker thread, its stop
// request, the way its facts reach the window's controls, and the command
// buttons, which it alone turns off and on.
class RunController {
 public:
  // Posted to the window when the run's end waits, and the timer the window
  // looks at the run with meanwhile; the window answers both with ShowFacts.
  static const UINT kFactsMessage = WM_APP + 1;
  static const UINT_PTR kFactsTimer = 0x5256;
  static const UINT kFactsEveryMs = 50;

  RunController() = default;
  ~RunController();
  RunController(const RunController&) = delete;
  RunController& operator=(const RunController&) = delete;

  // Once the window and its controls exist.
  void Bind(HWND window, ListView& list, ProgressBar& bar, HWND encryptButton, HWND decryptButton);
  // How the worker starts (the thread start by default) and which file
  // layer the runs use (the native one by default).
  void SetWorkerStarter(WorkerStarter starter) { m_worker.SetStarter(starter); }
  void SetFileSystem(FileSystem& fileSystem) { m_fileSystem = &fileSystem; }
  // Where the run's share of bytes shows; the window's own taskbar button
  // by default. Before Bind.
  void SetTaskbarButton(TaskbarButton& button) { m_button = &button; }

  // Starts a run over the rows' paths: the buttons go off before the worker
  // exists, and come back when its end is shown. False, with the buttons
  // on again, when its worker cannot start.
  bool Start(RunKind kind, std::vector<std::string> rows, std::uint8_t key);
  // From the start until the run's end has been shown.
  bool IsRunning() const { return m_worker.IsRunning(); }
  // On the window's thread, for kFactsMessage: shows what the run told;
  // once its end is shown, its worker is let go.
  void ShowFacts();
  // Asks the run to stop at its next buffer and waits for it, serving the
  // window's messages meanwhile; pump takes one and is false when none waits.
  void StopAndWait(const std::function<bool()>& pump);

 private:
  std::unique_ptr<QueuedRunListener> m_queue;
  std::unique_ptr<SystemTaskbarButton> m_systemButton;
  TaskbarButton* m_button = nullptr;
  std::unique_ptr<TaskbarProgress> m_taskbar;
  std::unique_ptr<RunDisplay> m_display;
  CommandButtons m_buttons;
  RunJob m_job;
  StopRequest m_stop;
  WindowWorker m_worker;
  FileSystem* m_fileSystem = nullptr;
};
