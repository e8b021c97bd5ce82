#pragma once
#include <windows.h>

#include <string>

// A text of the string table, as UTF-16: the program's words never pass
// through the ANSI code page.
std::wstring LoadText(UINT id);

// The framework's application title: the executable's name without its
// extension, since the resources hold no title.
std::wstring ApplicationTitle();

// A message box of the application: its title, exclamation icon when an OK
// box names none.
int ApplicationMessageBox(const std::wstring& text, UINT type = MB_OK);
