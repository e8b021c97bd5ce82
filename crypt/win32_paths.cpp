#include "crypt/win32_paths.h"

#include "crypt/system_folder_win32.h"
#include "platform/path_text.h"

#include <vector>

namespace win32_paths {
namespace {

// Where what a handle really is stands, every link and junction resolved:
// its volume and its path on that volume.
struct FinalPlace {
  DWORD volume = 0;
  std::wstring path;
};

// The path with its drive, which tells the volume, in one call. It fails for
// a volume without a drive letter, and under Wine beyond 260 characters.
bool DrivePlaceOf(HANDLE handle, FinalPlace& place) {
  std::vector<wchar_t> buffer(32768);
  DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), VOLUME_NAME_DOS);
  if (length == 0 || length >= buffer.size()) return false;
  place.volume = 0;
  place.path.assign(buffer.data(), length);
  return true;
}

// The volume's serial number and the path on that volume, for any path. Wine
// asks its mount manager, another process, for the serial number.
bool VolumePlaceOf(HANDLE handle, FinalPlace& place) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, buffer.data(),
                                    static_cast<DWORD>(buffer.size())))
    return false;
  const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
  place.volume = info.dwVolumeSerialNumber;
  place.path.assign(name->FileName, name->FileNameLength / sizeof(wchar_t));
  return true;
}

// Both places told the same way: by drive where both have one, else by
// the volume's serial number.
bool FinalPlacesOf(HANDLE folder, HANDLE file, FinalPlace& ofFolder, FinalPlace& ofFile) {
  if (DrivePlaceOf(folder, ofFolder) && DrivePlaceOf(file, ofFile)) return true;
  return VolumePlaceOf(folder, ofFolder) && VolumePlaceOf(file, ofFile);
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
  DWORD length =
      GetLongPathNameW(LongPath(full).c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return std::wstring();
  std::wstring longPath(buffer.data(), length);
  return longPath.substr(longPath.find_last_of(L'\\') + 1);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// True when some part of the path would lose a trailing dot or space.
bool HasPartTheSystemTrims(const std::wstring& path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\' && path[i] != L'/') continue;
    std::wstring part = path.substr(start, i - start);
    if (part != L"." && part != L".." && !part.empty() && (part.back() == L'.' || part.back() == L' '))
      return true;
    start = i + 1;
  }
  return false;
}

// The top of a volume ("C:\", "\\server\share", and each in its "\\?\"
// form) has no name in a folder to stand under.
bool IsTopOfVolume(std::wstring path) {
  bool share = false;
  for (const wchar_t* prefix : {L"\\\\?\\UNC\\", L"\\\\?\\", L"\\\\"}) {
    const std::wstring start = prefix;
    if (path.compare(0, start.size(), start) != 0) continue;
    path.erase(0, start.size());
    share = start != L"\\\\?\\";
    break;
  }
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  if (!share) return path.size() == 2 && path[1] == L':';
  std::size_t separator = path.find(L'\\');
  return separator != std::wstring::npos && separator > 0 && separator + 1 < path.size() &&
         path.find(L'\\', separator + 1) == std::wstring::npos;
}

}  // namespace

std::wstring LongPath(const std::wstring& path) {
  std::wstring longPath = LongPathAsWritten(path);
  return system_folder::RedirectedHere(longPath) ? std::wstring() : longPath;
}

bool UnderRedirectedSystemFolder(const std::string& path) {
  std::wstring wide = path_text::ToWide(path);
  return !wide.empty() && system_folder::RedirectedHere(FullPath(wide));
}

std::wstring LongPathAsWritten(const std::wstring& path) {
  const std::wstring verbatim = L"\\\\?\\";
  if (path.compare(0, verbatim.size(), verbatim) == 0) return path;
  if (path.empty() || path.find_first_of(L"?*") != std::wstring::npos ||
      HasPartTheSystemTrims(path))
    return std::wstring();
  std::wstring full = FullPath(path);
  if (full.empty()) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return verbatim + L"UNC" + full.substr(1);
  return verbatim + full;
}

std::wstring LongPath(const std::string& path) {
  if (path_text::HoldsMark(path)) return std::wstring();
  std::wstring wide = path_text::ToWide(path);
  return wide.empty() ? wide : LongPath(wide);
}

bool StandsUnderItsOwnName(HANDLE handle, const std::string& path) {
  std::wstring full = FullPath(path_text::ToWide(path));
  if (IsTopOfVolume(full)) return true;
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();  // "C:\dir\" is "C:\dir"
  std::size_t slash = full.find_last_of(L'\\');
  if (full.empty() || slash == std::wstring::npos) return false;
  if (slash + 1 == full.size()) return true;  // a drive's root has no name to stand under
  std::wstring name = full.substr(slash + 1);
  HANDLE folder = CreateFileW(LongPath(full.substr(0, slash + 1)).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  FinalPlace expected, actual;
  bool known = FinalPlacesOf(folder, handle, expected, actual);
  CloseHandle(folder);
  if (!known || actual.volume != expected.volume) return false;
  if (expected.path.empty() || expected.path.back() != L'\\') expected.path += L'\\';
  return SameText(actual.path, expected.path + name) ||
         SameText(actual.path, expected.path + LongName(full));
}

}  // namespace win32_paths
