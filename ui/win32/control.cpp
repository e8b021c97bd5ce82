#include "ui/win32/control.h"

// Subclassed by replacing the window procedure, with the object in the
// window's user data. Both are read from the window itself, so a message
// costs no more than a call; comctl32's subclass chain and window properties
// ask Wine's server on every message, which made a large list crawl.

Control::~Control() { Detach(); }

bool Control::Attach(HWND window) {
  if (m_hWnd == window) return true;
  Detach();
  if (!window || GetWindowLongPtrW(window, GWLP_USERDATA) != 0) return false;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::SubclassProc)));
  if (!m_previous) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return false;
  }
  m_hWnd = window;
  PreSubclassWindow();
  return true;
}

void Control::Detach() {
  if (!m_hWnd) return;
  SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
  SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
  m_hWnd = nullptr;
  m_previous = nullptr;
}

Control* Control::FromHandle(HWND window) {
  if (!window) return nullptr;
  // Only a window whose procedure is ours holds one of our objects.
  if (GetWindowLongPtrW(window, GWLP_WNDPROC) !=
      reinterpret_cast<LONG_PTR>(&Control::SubclassProc))
    return nullptr;
  return reinterpret_cast<Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool Control::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Control::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT Control::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(m_previous, m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Control* control = reinterpret_cast<Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    WNDPROC previous = control->m_previous;
    control->Detach();
    return CallWindowProcW(previous, window, message, wParam, lParam);
  }
  // An exception must not unwind through the system's frames: the control's
  // own procedure answers instead, and a debugger hears of it.
  try {
    return control->WindowProc(message, wParam, lParam);
  } catch (...) {
    OutputDebugStringA("sorvan: an exception reached a control's window procedure\n");
    return control->Default(message, wParam, lParam);
  }
}
