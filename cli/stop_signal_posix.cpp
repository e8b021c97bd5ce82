#include "cli/stop_signal.h"

#include <signal.h>

#include "crypt/stop_request.h"

namespace {

// A lock-free atomic store is all a handler may do safely.
StopRequest* g_stop = nullptr;

void OnSignal(int) { g_stop->Request(); }

}  // namespace

void InstallStopHandlers(StopRequest& stop) {
  g_stop = &stop;
  struct sigaction action = {};
  action.sa_handler = &OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A closed standard output shows as a failed write, and ends the run
  // between rows instead of the process in the middle of one.
  signal(SIGPIPE, SIG_IGN);
}
