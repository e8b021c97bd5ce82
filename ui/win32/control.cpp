#include "control.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 0x50766E;
// FromHandle reads the object back from a window property: MinGW's 64-bit
// comctl32 import library has no GetWindowSubclass.
const wchar_t kControlProperty[] = L"sorvan.Control";
}

Control::~Control() { Detach(); }

bool Control::Attach(HWND window) {
  if (m_hWnd == window) return true;
  Detach();
  if (!window || !SetWindowSubclass(window, &Control::SubclassProc, kSubclassId,
                                    reinterpret_cast<DWORD_PTR>(this)))
    return false;
  if (!SetPropW(window, kControlProperty, this)) {
    RemoveWindowSubclass(window, &Control::SubclassProc, kSubclassId);
    return false;
  }
  m_hWnd = window;
  PreSubclassWindow();
  return true;
}

void Control::Detach() {
  if (!m_hWnd) return;
  RemoveWindowSubclass(m_hWnd, &Control::SubclassProc, kSubclassId);
  RemovePropW(m_hWnd, kControlProperty);
  m_hWnd = nullptr;
}

Control* Control::FromHandle(HWND window) {
  if (!window) return nullptr;
  return static_cast<Control*>(GetPropW(window, kControlProperty));
}

bool Control::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Control::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT Control::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  Control* control = reinterpret_cast<Control*>(self);
  if (message == WM_NCDESTROY) {
    LRESULT result = control->Default(message, wParam, lParam);
    control->Detach();
    return result;
  }
  // An exception must not unwind through the system's frames: the control's
  // own procedure answers instead.
  try {
    return control->WindowProc(message, wParam, lParam);
  } catch (...) {
    return control->Default(message, wParam, lParam);
  }
}
