#pragma once
#include <windows.h>
#include <commctrl.h>

#include "ui/win32/control.h"

class ProgressBar : public Control {
 public:
  void SetRange(int low, int high) { SendMessageW(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
  int SetPos(int position) { return static_cast<int>(SendMessageW(m_hWnd, PBM_SETPOS, position, 0)); }
  int GetPos() const { return static_cast<int>(SendMessageW(m_hWnd, PBM_GETPOS, 0, 0)); }
};
