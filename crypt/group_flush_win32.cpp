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

bool FlushEachInFull(const std::vector<HANDLE>& files) {
  for (HANDLE file : files)
    if (!FlushFileBuffers(file)) return false;
  return true;
}

bool WriteDataOut(HANDLE file, FlushBuffersFileEx dataOnly) {
  IoStatus status = {};
  return dataOnly(file, kFileDataOnly, nullptr, 0, &status) >= 0;  // NT_SUCCESS
}

}  // namespace

FlushBuffersFileEx SystemFlushBuffersFileEx() {
  static const FlushBuffersFileEx call = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC found = ntdll ? GetProcAddress(ntdll, "NtFlushBuffersFileEx") : nullptr;
    return reinterpret_cast<FlushBuffersFileEx>(reinterpret_cast<void*>(found));
  }();
  return call;
}

// A volume handle would flush the drive as well, but opening one for writing
// needs an administrator; a user's run flushes one of its own files instead.
// NTFS writes that file's metadata by forcing its log, which holds every
// earlier change of size and allocation of the other files too, and then
// flushes the drive's cache.
bool FlushTogether(const std::vector<HANDLE>& files, FlushBuffersFileEx dataOnly) {
  if (files.empty()) return true;
  if (files.size() == 1 || !dataOnly) return FlushEachInFull(files);
  for (HANDLE file : files)
    if (!WriteDataOut(file, dataOnly) && !FlushFileBuffers(file)) return false;
  return FlushFileBuffers(files.back()) != FALSE;
}

}  // namespace group_flush
