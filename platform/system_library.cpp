#include "platform/system_library.h"

#include <string>

namespace system_library {
namespace {

// Not in every Windows 7 (it came with an update), so looked up when needed.
using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH];
  UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

}  // namespace

void NarrowSearchToSystemFolder() {
  SetDllDirectoryW(L"");
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto narrow = reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (narrow) narrow(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE Load(const wchar_t* fileName) {
  HMODULE module = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system without the search flags: the full path says the same.
  std::wstring folder = SystemFolder();
  return folder.empty() ? nullptr : LoadLibraryW((folder + L"\\" + fileName).c_str());
}

}  // namespace system_library
