#include "win32_paths.h"

#include "ansi_text.h"

#include <vector>

namespace win32_paths {
namespace {

// The path of what a handle really is, every link and junction resolved.
std::wstring FinalPath(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), 0);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                    buffer.data(), nullptr);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// The long form of the last part of a path given with a short 8.3 name.
std::wstring LongName(const std::wstring& full) {
  std::vector<wchar_t> buffer(32768);
  DWORD length = GetLongPathNameW(full.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return std::wstring();
  std::wstring longPath(buffer.data(), length);
  return longPath.substr(longPath.find_last_of(L'\\') + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool StandsUnderItsOwnName(HANDLE handle, const std::string& path) {
  std::wstring full = FullPath(ansi_text::ToWide(path));
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();  // "C:\dir\" is "C:\dir"
  std::size_t slash = full.find_last_of(L'\\');
  if (full.empty() || slash == std::wstring::npos) return false;
  if (slash + 1 == full.size()) return true;  // a drive's root has no name to stand under
  std::wstring name = full.substr(slash + 1);
  HANDLE folder = CreateFileW(full.substr(0, slash + 1).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  std::wstring expected = FinalPath(folder);
  CloseHandle(folder);
  if (expected.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  std::wstring actual = FinalPath(handle);
  return SameText(actual, expected + name) || SameText(actual, expected + LongName(full));
}

}  // namespace win32_paths
