#include "crypt/group_flush_win32.h"

namespace group_flush {

namespace {

// From ntifs.h, which a user-mode build does not have.
constexpr ULONG kFileDataOnly = 0x00000001;  // FLUSH_FLAGS_FILE_DATA_ONLY

struct IoStatus {
  union {
    LONG status;
    PVOID pointer;
  };
  ULONG_PTR information;
};

bool FlushEachInFull(const std::vector<HANDLE>& files, const Calls& calls) {
  for (HANDLE file : files)
    if (!calls.full(file)) return false;
  return true;
}

bool WriteDataOut(HANDLE file, const Calls& calls) {
  IoStatus status = {};
  return calls.dataOnly(file, kFileDataOnly, nullptr, 0, &status) >= 0;  // NT_SUCCESS
}

}  // namespace

Calls SystemCalls() {
  static const FlushBuffersFileEx dataOnly = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC found = ntdll ? GetProcAddress(ntdll, "NtFlushBuffersFileEx") : nullptr;
    return reinterpret_cast<FlushBuffersFileEx>(reinterpret_cast<void*>(found));
  }();
  return Calls{dataOnly, &FlushFileBuffers};
}

// A volume handle would flush the drive as well, but opening one for writing
// needs an administrator; a user's run flushes one of its own files instead.
// NTFS writes that file's metadata by forcing its log, which holds every
// earlier change of size and allocation of the other files too, and then
// flushes the drive's cache.
bool FlushTogether(const std::vector<HANDLE>& files, const Calls& calls) {
  if (files.empty()) return true;
  if (!calls.dataOnly) return FlushEachInFull(files, calls);
  for (HANDLE file : files)
    if (!WriteDataOut(file, calls) && !calls.full(file)) return false;
  return calls.full(files.back()) != FALSE;
}

}  // namespace group_flush
