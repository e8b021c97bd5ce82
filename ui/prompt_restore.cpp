#include "ui/prompt_restore.h"

#include <objbase.h>

#include "crypt/single_decrypt.h"

unsigned __stdcall RestoreThreadProc(void* argument) {
  RestoreJob& job = *static_cast<RestoreJob*>(argument);
  FileSystem& fs = job.fileSystem ? *job.fileSystem : NativeFileSystem();
  // Measured on the worker: the prompt's thread never waits for the disk.
  job.listener->RowsSized({fs.SizeOf(job.path)});
  DecryptSingleFile(job.path, job.key, fs, NativePathRules(), job.listener, job.stop);
  return 1;
}

// A restore that goes with its prompt never outlives its worker. The
// taskbar's object goes before the apartment it was made in.
PromptRestore::~PromptRestore() {
  if (m_worker.IsRunning()) m_stop.Request();
  m_worker.Release();
  m_display.reset();
  m_taskbar.reset();
  m_systemButton.reset();
  if (m_comStarted) CoUninitialize();
}

void PromptRestore::Bind(HWND window, ProgressBar& bar) {
  m_worker.Bind(window, kFactsTimer, kFactsEveryMs);
  m_queue.reset(new QueuedRunListener(window, kFactsMessage));
  if (!m_button) {
    // The prompt comes before the main window, whose list starts OLE: the
    // taskbar's object needs an apartment on this thread meanwhile.
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    m_systemButton.reset(new SystemTaskbarButton(window));
    m_button = m_systemButton.get();
  }
  auto clock = [] { return static_cast<std::uint64_t>(GetTickCount64()); };
  m_taskbar.reset(new TaskbarProgress(
      *m_button, [window] { return GetForegroundWindow() == window; }, clock));
  m_display.reset(new PromptProgress(bar, *m_taskbar, clock));
  m_display->SetDelay(m_delayMs);
}

bool PromptRestore::Start(const std::string& path, std::uint8_t key) {
  if (m_worker.IsRunning() || !m_queue) return false;
  m_job.path = path;
  m_job.key = key;
  m_job.fileSystem = m_fileSystem;
  m_job.listener = m_queue.get();
  m_job.stop = &m_stop;
  // The last restore's end was seen before this press could come.
  m_display->BeginRestore();
  m_stop.Clear();
  return m_worker.Start(&RestoreThreadProc, &m_job);
}

bool PromptRestore::ShowFacts() {
  if (!m_queue || !m_worker.IsRunning()) return false;
  m_queue->Replay(*m_display);
  m_display->ShowPending();
  if (!m_display->HasEnded()) return false;
  m_worker.Release();
  return true;
}

void PromptRestore::StopAndWait(const std::function<bool()>& pump) {
  if (!m_worker.IsRunning()) return;
  m_stop.Request();
  m_worker.WaitServing(pump);
  ShowFacts();
  m_worker.Release();
}
