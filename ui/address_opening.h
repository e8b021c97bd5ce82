#pragma once
#include <windows.h>

#include <string>

#include "ui/shell_access.h"

// Opening an address as the links do: the shell's "open" first; when the
// shell cannot, the browser registered for ".htm" files, run with the
// address in place of its "%1". Everything goes through the shell seam.

// Room for a registry value and for the browser's command line.
const int kOpenBufferSize = 520;

// The shell's code, or WinExec's when the browser was run instead; above
// 32 is success.
INT_PTR OpenAddress(ShellAccess& shell, const std::string& address, int show);

// 0 with the default value of root\subkey in out (which may be subkey's own
// buffer, of kOpenBufferSize bytes), else the registry's error.
LONG ReadClassesDefault(ShellAccess& shell, HKEY root, const char* subkey, char* out);

// The message for an address that could not be opened, from the string
// table: why, as far as the code tells.
std::wstring OpenFailureText(INT_PTR code);

// That message in the program's box, with the exclamation icon.
void ShowOpenFailure(HWND owner, INT_PTR code);
