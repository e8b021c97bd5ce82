#include "cli/stop_signal.h"

#include <windows.h>

#include "crypt/stop_request.h"

namespace {

// A lock-free atomic store is all a handler may do safely.
StopRequest* g_stop = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_stop->Request();
  return TRUE;
}

}  // namespace

void InstallStopHandlers(StopRequest& stop) {
  g_stop = &stop;
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}
