#include "ui/shell_access.h"

#include <shellapi.h>

INT_PTR ShellAccess::Execute(const char* verb, const char* file, int show) {
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file, nullptr, nullptr, show));
}

LONG ShellAccess::OpenKey(HKEY root, const char* subkey, REGSAM access, HKEY* key) {
  return RegOpenKeyExA(root, subkey, 0, access, key);
}

LONG ShellAccess::QueryDefault(HKEY key, char* value, LONG* size) {
  return RegQueryValueA(key, nullptr, value, size);
}

void ShellAccess::CloseKey(HKEY key) { RegCloseKey(key); }

UINT ShellAccess::Exec(const char* commandLine, UINT show) { return WinExec(commandLine, show); }

ShellAccess& SystemShell() {
  static ShellAccess shell;
  return shell;
}
