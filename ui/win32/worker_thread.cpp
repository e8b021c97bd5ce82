#include "worker_thread.h"

#include <process.h>

HANDLE StartWorkerThread(WorkerEntry entry, void* argument) {
  uintptr_t thread = _beginthreadex(nullptr, 0, entry, argument, 0, nullptr);
  return reinterpret_cast<HANDLE>(thread);
}
