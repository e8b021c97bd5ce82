#pragma once
#ifdef _WIN32
#include <windows.h>

#include <string>

// The window as the screen shows it (any process's), saved as a 24-bit BMP
// named name.bmp in folder, a Unix path; the test command turns it into PNG.
bool SaveScreenshot(HWND window, const std::string& folder, const std::string& name);
#endif
