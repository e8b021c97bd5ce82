#pragma once
#include <windows.h>

// A child window of a dialog template, attached to an object of ours by
// subclassing (its procedure replaced, the object in its user data). The dialog offers the control its own notifications first
// (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*), so a control class handles what it
// is told about itself.
class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  bool Attach(HWND window);
  void Detach();
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The attached control behind a window, or null.
  static Control* FromHandle(HWND window);

  // A notification the parent received from this control. True when handled;
  // result is then what the parent returns.
  virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  // Called once the window is subclassed, before any message reaches it.
  virtual void PreSubclassWindow() {}
  // Messages to the control itself; the default is the original procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  WNDPROC m_previous = nullptr;
};
