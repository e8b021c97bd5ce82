#pragma once

class StopRequest;

// Ctrl-C and termination requests (SIGINT, SIGTERM; Ctrl-C and Ctrl-Break
// on the Windows console) set the stop request instead of ending the
// process, so the run removes its partial output first.
void InstallStopHandlers(StopRequest& stop);
