#ifdef _WIN32
#include "tests/support/window_text.h"

namespace {

struct BoxSearch {
  HWND owner;
  HWND box;
};

// A box without an owner is looked for in this process alone: another
// program under the same Wine server (a main window of ours, say) is no box
// of this test's.
bool OwnedAsSought(HWND window, HWND owner) {
  if (GetWindow(window, GW_OWNER) != owner) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return owner || process == GetCurrentProcessId();
}

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  BoxSearch& s = *reinterpret_cast<BoxSearch*>(param);
  if (WindowClass(window) == L"#32770" && OwnedAsSought(window, s.owner) &&
      IsWindowVisible(window)) {
    s.box = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindText(HWND child, LPARAM param) {
  if (WindowClass(child) == L"Static" && GetWindowTextLengthW(child) > 0) {
    *reinterpret_cast<std::wstring*>(param) = WindowText(child);
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
  // The box keeps its icon control when it shows no icon, only empty.
  if (WindowClass(child) == L"Static" &&
      (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

std::wstring WindowClass(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

HWND FindOwnedBox(HWND owner) {
  BoxSearch search = {owner, nullptr};
  EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
  return search.box;
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, &FindText, reinterpret_cast<LPARAM>(&text));
  return text;
}

bool BoxHasIcon(HWND box) {
  bool icon = false;
  EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&icon));
  return icon;
}
#endif
