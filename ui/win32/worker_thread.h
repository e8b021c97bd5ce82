#pragma once
#include <windows.h>

using WorkerEntry = unsigned(__stdcall*)(void* argument);
// Starts entry(argument) on a thread of its own; null when it cannot start.
using WorkerStarter = HANDLE (*)(WorkerEntry entry, void* argument);

// The C run-time's thread start, so the run-time's per-thread data is set up.
HANDLE StartWorkerThread(WorkerEntry entry, void* argument);

// Waits for a thread to end while carrying out the messages it sends to the
// calling thread's windows, so it can finish its last act; nothing posted
// (no click, no key) is taken from the queue meanwhile.
void WaitServingSentMessages(HANDLE thread);

// Waits for a thread to end while serving the calling thread's messages;
// pump takes one message and returns false when none is waiting.
template <typename Pump>
void WaitServingMessages(HANDLE thread, Pump&& pump) {
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
    while (pump()) {
    }
  }
}
