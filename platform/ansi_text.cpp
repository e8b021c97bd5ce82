#include "platform/ansi_text.h"

#include <windows.h>

namespace ansi_text {

std::string FromWide(const std::wstring& wide, bool* exact) {
  if (exact) *exact = true;
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // The flag is refused by code pages without best fit (UTF-8), which are
  // exact without it.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* fallback = "?";
  int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, fallback, nullptr);
  if (size <= 0) {
    flags = 0;
    fallback = nullptr;
    size = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (size <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(size), '\0');
  BOOL marked = FALSE;
  WideCharToMultiByte(CP_ACP, flags, wide.data(), length, &narrow[0], size, fallback,
                      fallback ? &marked : nullptr);
  if (exact) *exact = !marked;
  return narrow;
}

std::string FromWide(const wchar_t* wide) { return FromWide(std::wstring(wide ? wide : L"")); }

std::wstring ToWide(const std::string& ansi) {
  int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(),
                                   static_cast<int>(ansi.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), static_cast<int>(ansi.size()),
                      &wide[0], length);
  return wide;
}

}  // namespace ansi_text
