#include "platform/wow64.h"

#include <windows.h>

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
