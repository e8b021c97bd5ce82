#pragma once
#include <windows.h>

// The shell and registry calls that open an address: the real ones by
// default, a recording stand-in in tests, so that no test starts a browser.
class ShellAccess {
 public:
  virtual ~ShellAccess() = default;
  // ShellExecuteA with no owner, parameters or directory; its result code.
  virtual INT_PTR Execute(const char* verb, const char* file, int show);
  virtual LONG OpenKey(HKEY root, const char* subkey, REGSAM access, HKEY* key);
  // The key's unnamed value; size is the buffer's on entry, the value's after.
  virtual LONG QueryDefault(HKEY key, char* value, LONG* size);
  virtual void CloseKey(HKEY key);
  virtual UINT Exec(const char* commandLine, UINT show);
};

ShellAccess& SystemShell();
