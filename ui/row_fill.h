#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "crypt/folder_expansion.h"
#include "ui/win32/list_view.h"

// A drop's rows, added in steps of a bounded time on the window's timer, so
// the window keeps answering while a folder of thousands is listed. The rows,
// their order and the reset of every row are those of taking each dropped
// path at once: a file becomes one row at the top, a folder one row per
// file directly inside it, and afterwards every row shows "ready".
class RowFill {
 public:
  static const UINT_PTR kStepTimer = 0x5246;
  static const DWORD kStepMs = 40;
  // Milliseconds from any start; a step reads it to keep to its budget.
  using Clock = std::function<DWORD()>;

  // The system's tick count unless set; a test sets its own, so that how
  // much one step takes does not hang on how fast the machine is.
  void SetClock(Clock clock) { m_clock = std::move(clock); }

  // Once the window and its list exist; the window answers kStepTimer
  // with OnTimer.
  void Bind(HWND window, ListView& list);
  // A dropped path, as the drop list classified it.
  void Add(const std::string& path, bool folder);
  // From a drop until its last row is in place.
  bool IsFilling() const { return m_staleRows > 0 || m_folder || !m_paths.empty(); }
  void OnTimer();
  // Every row still to come, at once: a command takes every dropped row.
  void Finish();
  // Nothing more comes: the list is being cleared or the window closed.
  void Cancel();

 private:
  struct DroppedPath {
    std::string path;
    bool folder;
  };

  bool Step(DWORD budgetMs);
  bool TakeOne();
  void StopTimer();

  HWND m_window = nullptr;
  ListView* m_list = nullptr;
  std::deque<DroppedPath> m_paths;
  // The folder being read.
  std::unique_ptr<FolderExpansion> m_folder;
  // Rows listed before the drop, still to be shown ready again: always the
  // bottom ones, since new rows go on top.
  int m_staleRows = 0;
  bool m_timerSet = false;
  Clock m_clock = [] { return GetTickCount(); };
};
