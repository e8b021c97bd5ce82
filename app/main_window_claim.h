#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Which process of this user's session shows the main window, so that the
// processes Explorer starts for a selection, one per item, fill one window.
// A named mutex held by that process says that there is one; a small named
// mapping tells others its window once it stands. Both names carry the
// user's SID: another user's window is never handed anything.
class MainWindowClaim {
 public:
  MainWindowClaim();
  ~MainWindowClaim();
  MainWindowClaim(const MainWindowClaim&) = delete;
  MainWindowClaim& operator=(const MainWindowClaim&) = delete;

  // True when this process now holds the claim (also one left behind by a
  // process that ended without letting it go).
  bool TryTake();
  bool IsHeld() const { return m_held; }
  // The holder's window, once it stands and until it starts closing.
  void Publish(HWND window);
  void Withdraw();
  // The window published by the holder, or null.
  HWND PublishedWindow() const;
  // Withdraws and lets the claim go: the next process opens the window.
  void Release();

 private:
  HANDLE m_mutex = nullptr;
  HANDLE m_mapping = nullptr;
  volatile LONG* m_window = nullptr;
  bool m_held = false;
};

// Hands the paths to the main window of another process; true once it took
// them. Give whole paths: the other process has another current folder.
bool HandPathsTo(HWND window, const std::vector<std::string>& paths);

// How long a process waits for a main window still being made before it
// opens its own rather than lose its paths.
const DWORD kClaimWaitMs = 10000;

// True when this process is to show the main window (it took the claim, or
// the wait ran out); false once another process's window took the paths.
bool TakeClaimOrHandOver(MainWindowClaim& claim, const std::vector<std::string>& paths,
                         DWORD waitMs = kClaimWaitMs);
