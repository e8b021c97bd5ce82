#include "stop_signal.h"

#include "stop_request.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {

// A lock-free atomic store is all a handler may do safely.
StopRequest* g_stop = nullptr;

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_stop->Request();
  return TRUE;
}
#else
void OnSignal(int) { g_stop->Request(); }
#endif

}  // namespace

void InstallStopHandlers(StopRequest& stop) {
  g_stop = &stop;
#ifdef _WIN32
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
#else
  struct sigaction action = {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A closed standard output shows as a failed write, and ends the run
  // between rows instead of the process in the middle of one.
  signal(SIGPIPE, SIG_IGN);
#endif
}
