#pragma once
#include <windows.h>

#include <vector>

// How a group of new files in one folder is made durable on Windows with one
// flush of the drive's cache instead of one per file, on a file system where
// that is known to hold (see group_flush_policy.h).
namespace group_flush {

// NtFlushBuffersFileEx, as ntdll exports it from Windows 8 on.
using FlushBuffersFileEx = LONG(WINAPI*)(HANDLE file, ULONG flags, PVOID parameters,
                                          ULONG parameterSize, PVOID ioStatus);
using FlushFileBuffersCall = BOOL(WINAPI*)(HANDLE file);

// The calls a group's flush makes; tests put recorders in their place.
struct Calls {
  FlushBuffersFileEx dataOnly;  // null where ntdll has none (Windows 7, Wine)
  FlushFileBuffersCall full;
};

// The system's calls, NtFlushBuffersFileEx looked up once.
Calls SystemCalls();

// Writes each file's data to the drive without flushing the drive's cache
// (a data-only flush), then flushes the last file in full, which flushes the
// drive's cache and with it everything written to it before. A file whose
// data-only flush is refused is flushed in full on its own; where there is no
// data-only call, every file is.
bool FlushTogether(const std::vector<HANDLE>& files, const Calls& calls);

}  // namespace group_flush
