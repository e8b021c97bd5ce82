#include "platform/path_text.h"

#include <windows.h>
#include <shellapi.h>

namespace path_text {
namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text with each lone surrogate replaced by "?"; marked tells of one.
std::wstring WithoutLoneSurrogates(const std::wstring& wide, bool& marked) {
  std::wstring whole = wide;
  marked = false;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (IsHigh(whole[i]) && i + 1 < whole.size() && IsLow(whole[i + 1])) {
      ++i;
      continue;
    }
    if (IsHigh(whole[i]) || IsLow(whole[i])) {
      whole[i] = L'?';
      marked = true;
    }
  }
  return whole;
}

}  // namespace

std::string FromWide(const std::wstring& wide, bool* exact) {
  bool marked = false;
  std::wstring whole = WithoutLoneSurrogates(wide, marked);
  if (exact) *exact = !marked;
  if (whole.empty()) return std::string();
  const int length = static_cast<int>(whole.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, whole.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, whole.data(), length, &utf8[0], size, nullptr, nullptr);
  return utf8;
}

std::string FromWide(const wchar_t* wide) { return FromWide(std::wstring(wide ? wide : L"")); }

std::wstring ToWide(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], length);
  return wide;
}

bool HoldsMark(const std::string& utf8) {
  // The "?" of "\\?\C:\..." and "\\?\UNC\..." only asks the system to take
  // the path as it is written.
  const std::string verbatim = "\\\\?\\";
  std::size_t start = utf8.compare(0, verbatim.size(), verbatim) == 0 ? verbatim.size() : 0;
  return utf8.find_first_of("?*", start) != std::string::npos;
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

}  // namespace path_text
