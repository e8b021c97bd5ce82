#include "crypt/system_folder_win32.h"

#include <windows.h>

#include <vector>

#include "platform/wow64.h"

namespace system_folder {
namespace {

bool SameText(const std::wstring& a, std::size_t start, std::size_t length, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str() + start, static_cast<int>(length), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// path is folder itself or lies inside it.
bool Inside(const std::wstring& path, const std::wstring& folder) {
  if (path.size() < folder.size() || !SameText(path, 0, folder.size(), folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == L'\\';
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// The Windows folder when this process runs under WOW64, else empty.
std::wstring WindowsFolderUnderWow64() {
  if (!RunsUnderWow64()) return std::wstring();
  std::vector<wchar_t> buffer(MAX_PATH);
  UINT length = GetSystemWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return L"C:\\Windows";
  return std::wstring(buffer.data(), length);
}

}  // namespace

bool Redirected(const std::wstring& fullPath, const std::wstring& windowsFolder) {
  const std::wstring verbatim = L"\\\\?\\";
  std::wstring path = fullPath.compare(0, verbatim.size(), verbatim) == 0
                          ? fullPath.substr(verbatim.size())
                          : fullPath;
  path = WithoutTrailingSeparators(path);
  std::wstring windows = WithoutTrailingSeparators(windowsFolder);
  if (windows.empty()) return false;
  for (const wchar_t* folder : {L"\\System32", L"\\lastgood\\System32"})
    if (Inside(path, windows + folder)) return true;
  std::wstring editor = windows + L"\\regedit.exe";
  return path.size() == editor.size() && SameText(path, 0, path.size(), editor);
}

bool RedirectedHere(const std::wstring& fullPath) {
  static const std::wstring windows = WindowsFolderUnderWow64();
  return !windows.empty() && Redirected(fullPath, windows);
}

}  // namespace system_folder
