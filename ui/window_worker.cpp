#include "ui/window_worker.h"

bool WindowWorker::Start(WorkerEntry entry, void* argument) {
  if (m_thread) return false;
  m_thread = m_start(entry, argument);
  if (!m_thread) return false;
  SetTimer(m_window, m_timer, m_everyMs, nullptr);
  return true;
}

void WindowWorker::WaitServing(const std::function<bool()>& pump) {
  while (m_thread) {
    DWORD woke = MsgWaitForMultipleObjectsEx(1, &m_thread, INFINITE, QS_ALLINPUT,
                                             MWMO_INPUTAVAILABLE);
    if (woke != WAIT_OBJECT_0 + 1) break;
    while (m_thread && pump()) {
    }
  }
}

void WindowWorker::Release() {
  if (!m_thread) return;
  KillTimer(m_window, m_timer);
  WaitServingSentMessages(m_thread);
  CloseHandle(m_thread);
  m_thread = nullptr;
}
