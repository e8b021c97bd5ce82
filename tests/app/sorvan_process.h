#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/window_text.h"

// sorvan.exe started as the shell would start it, and its windows found and
// used from outside, as a user would.
class SorvanProcess {
 public:
  SorvanProcess(const std::string& executable, const std::string& arguments);
  // Arguments in UTF-16, as the shell passes them.
  SorvanProcess(const std::string& executable, const std::wstring& arguments);
  ~SorvanProcess();

  bool started() const { return m_info.hProcess != nullptr; }
  DWORD id() const { return m_info.dwProcessId; }
  // A visible top-level window of the process with exactly this title.
  HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs = 30000) const;
  // A message box owned by owner: its caption and text, or nothing in time.
  HWND WaitForBox(HWND owner, DWORD timeoutMs = 30000) const;
  // The exit code once the process ended, or -1 when it is still running.
  long WaitForExit(DWORD timeoutMs = 30000);

 private:
  PROCESS_INFORMATION m_info = {};
};

// The program under test, as a Windows path.
std::string SorvanExecutable();

// Presses OK of a message box and waits until it is gone, so that the next
// look for a box cannot find this one again while it closes.
void DismissBox(HWND box);

// Presses a button of another process's window the way a click does.
void ClickButton(HWND dialog, int id);

// The paths of a main window's rows, read from the other process's list.
std::vector<std::string> ListedPaths(HWND dialog);
// The same once the list holds at least count rows, or what it holds in time.
std::vector<std::string> WaitForListedPaths(HWND dialog, std::size_t count, DWORD timeoutMs = 30000);

// Every visible window titled so, of any process.
std::vector<HWND> WindowsTitled(const std::wstring& title);
// The first such window to appear, or null in time.
HWND WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs = 60000);
