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
