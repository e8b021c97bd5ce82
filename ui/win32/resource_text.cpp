#include "ui/win32/resource_text.h"

#include "ui/win32/program_path.h"

std::wstring LoadText(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero length LoadStringW hands out the read-only resource itself,
  // which is not terminated.
  int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring ApplicationTitle() {
  std::wstring name = ProgramPath();
  size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

int ApplicationMessageBox(const std::wstring& text, UINT type) {
  if ((type & MB_TYPEMASK) == MB_OK && (type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return MessageBoxW(GetActiveWindow(), text.c_str(), ApplicationTitle().c_str(), type);
}
