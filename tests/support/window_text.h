#pragma once
#ifdef _WIN32
#include <windows.h>

#include <string>

// Reading windows as a user sees them, in this process or another.
std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);
// A visible message box (dialog class #32770) owned by owner, or null.
HWND FindOwnedBox(HWND owner);
// The text of a message box: its first static with text.
std::wstring BoxText(HWND box);
// True when the box shows an icon.
bool BoxHasIcon(HWND box);
#endif
