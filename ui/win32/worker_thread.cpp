#include "ui/win32/worker_thread.h"

#include <process.h>

HANDLE StartWorkerThread(WorkerEntry entry, void* argument) {
  uintptr_t thread = _beginthreadex(nullptr, 0, entry, argument, 0, nullptr);
  return reinterpret_cast<HANDLE>(thread);
}

void WaitServingSentMessages(HANDLE thread) {
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
         WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
