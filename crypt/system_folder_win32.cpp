#include "crypt/system_folder_win32.h"

#include <windows.h>
#include <versionhelpers.h>

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

// path lies in one of the folders of System32 that the redirector leaves
// alone, or is one of them.
bool InExemptFolder(const std::wstring& path, const std::wstring& system32,
                    bool driverStoreRedirected) {
  for (const wchar_t* folder :
       {L"\\catroot", L"\\catroot2", L"\\drivers\\etc", L"\\logfiles", L"\\spool"})
    if (Inside(path, system32 + folder)) return true;
  return !driverStoreRedirected && Inside(path, system32 + L"\\DriverStore");
}

}  // namespace

bool Redirected(const std::wstring& fullPath, const std::wstring& windowsFolder,
                bool driverStoreRedirected) {
  const std::wstring verbatim = L"\\\\?\\";
  std::wstring path = fullPath.compare(0, verbatim.size(), verbatim) == 0
                          ? fullPath.substr(verbatim.size())
                          : fullPath;
  path = WithoutTrailingSeparators(path);
  std::wstring windows = WithoutTrailingSeparators(windowsFolder);
  if (windows.empty()) return false;
  const std::wstring system32 = windows + L"\\System32";
  if (Inside(path, system32)) return !InExemptFolder(path, system32, driverStoreRedirected);
  if (Inside(path, windows + L"\\lastgood\\System32")) return true;
  std::wstring editor = windows + L"\\regedit.exe";
  return path.size() == editor.size() && SameText(path, 0, path.size(), editor);
}

bool RedirectedHere(const std::wstring& fullPath) {
  static const std::wstring windows = WindowsFolderUnderWow64();
  static const bool driverStoreRedirected = !IsWindows7OrGreater();
  return !windows.empty() && Redirected(fullPath, windows, driverStoreRedirected);
}

}  // namespace system_folder
