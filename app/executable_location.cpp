#include "app/executable_location.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/ansi_text.h"
#include "ui/win32/program_path.h"

namespace {

std::wstring ShortPath(const std::wstring& path) {
  DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return std::wstring();
  std::vector<wchar_t> buffer(length);
  length = GetShortPathNameW(path.c_str(), buffer.data(), length);
  return length > 0 && length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

}  // namespace

std::string ShortExecutablePath() {
  std::wstring longPath = ProgramPath();
  if (longPath.empty()) return std::string();
  bool exact = false;
  std::wstring shortPath = ShortPath(longPath);
  if (!shortPath.empty()) {
    std::string narrow = ansi_text::FromWide(shortPath, &exact);
    if (exact) return narrow;
  }
  // A path the code page cannot hold would name no file in the commands.
  std::string narrow = ansi_text::FromWide(longPath, &exact);
  return exact ? narrow : std::string();
}

bool HasIconAtIndex(const std::string& executable, int index) {
  // ExtractIcon answers 1 for a file that is no executable and null for no icon.
  HICON icon = ExtractIconW(GetModuleHandleW(nullptr), ansi_text::ToWide(executable).c_str(), index);
  if (reinterpret_cast<UINT_PTR>(icon) <= 1) return false;
  DestroyIcon(icon);
  return true;
}
