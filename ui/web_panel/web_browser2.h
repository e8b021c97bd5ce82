#pragma once
#include <windows.h>

#include <string>

#include "ui/win32/control.h"

// Makes the WebBrowser control hostable in a child window: the system's
// control host of atl.dll, loaded at run time and kept for the process.
// Idempotent; start-up may call it once before any window exists, and the
// panel calls it again before it creates its browser. False when atl.dll
// or its host is missing.
bool InitWebPanelHosting();

// The platform's WebBrowser control in a child window of a dialog.
class CWebBrowser2 : public Control {
 public:
  // The control hosted in a new child window; false, leaving nothing
  // behind, when the window or the control cannot be made.
  bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);
  // The hosted control with a reference for the caller, or null.
  IUnknown* GetControlUnknown() const;
  // Does nothing without a hosted control.
  void Navigate(const std::string& address);
};
