#pragma once
#ifdef _WIN32
#include <string>

// The folders a 32-bit process on 64-bit Windows is quietly sent elsewhere
// for: %windir%\System32 (to SysWOW64), %windir%\lastgood\System32 and
// %windir%\regedit.exe. A path there would show one file in its row and
// work on another, so the engine refuses it in such a process. Some folders
// of System32 are left where they are (catroot, catroot2, drivers\etc,
// logfiles, spool, and DriverStore from Windows 7 on): a 32-bit process
// reaches the real folder there, so nothing in them is refused. Internal
// to the engine's Windows halves.
namespace system_folder {

// True when the full path, plain or in its "\\?\" form, is one of those or
// lies inside one, compared without regard to case, for the given Windows
// folder ("C:\Windows"). driverStoreRedirected: System32\DriverStore is
// redirected too, as on Windows Vista and Server 2008.
bool Redirected(const std::wstring& fullPath, const std::wstring& windowsFolder,
                bool driverStoreRedirected);

// The same for this process: always false unless it runs under WOW64.
bool RedirectedHere(const std::wstring& fullPath);

}  // namespace system_folder
#endif
