#pragma once
#include <windows.h>

#include <vector>

// How a group of new files in one folder is made durable on Windows with one
// flush of the drive's cache instead of one per file.
namespace group_flush {

// NtFlushBuffersFileEx, as ntdll exports it from Windows 8 on.
using FlushBuffersFileEx = LONG(WINAPI*)(HANDLE file, ULONG flags, PVOID parameters,
                                          ULONG parameterSize, PVOID ioStatus);

// The system's call, looked up once; null where ntdll has none.
FlushBuffersFileEx SystemFlushBuffersFileEx();

// Writes each file's data to the drive without flushing the drive's cache
// (a data-only flush), then flushes one of the files in full, which flushes
// the drive's cache and with it everything written to it before. A file
// whose data-only flush is refused, or every file where dataOnly is null, is
// flushed in full on its own.
bool FlushTogether(const std::vector<HANDLE>& files, FlushBuffersFileEx dataOnly);

}  // namespace group_flush
