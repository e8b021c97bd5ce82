// The program's entry: the one application object, run without a message
// loop of its own; the exit code is ExitInstance's.
#include <windows.h>

#include "app/sorvan_app.h"
#include "platform/system_library.h"

CSorvanApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  system_library::NarrowSearchToSystemFolder();
  return RunApplication();
}
