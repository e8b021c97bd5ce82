#include "executable_location.h"

#include <windows.h>
#include <shellapi.h>

std::string ShortExecutablePath() {
  char longPath[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, longPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  char shortPath[MAX_PATH];
  DWORD shortLength = GetShortPathNameA(longPath, shortPath, MAX_PATH);
  if (shortLength == 0 || shortLength >= MAX_PATH) return std::string(longPath, length);
  return std::string(shortPath, shortLength);
}

bool HasIconAtIndex(const std::string& executable, int index) {
  // ExtractIcon answers 1 for a file that is no executable and null for no icon.
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), executable.c_str(), index);
  if (reinterpret_cast<UINT_PTR>(icon) <= 1) return false;
  DestroyIcon(icon);
  return true;
}
