#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The release's installer run as a user runs it, and what it leaves behind,
// read the way Windows reads it. Every text is UTF-16: the install folder
// and the shortcut carry Chinese names.

// Runs a command line until every process it started has ended: an NSIS
// uninstaller hands its work to a copy of itself in the temporary folder and
// ends at once, so only the copy's end is the uninstall's end. The first
// process's exit code, or -1 when the time ran out.
long RunToEnd(std::wstring commandLine, DWORD timeoutMs = 120000);

// The installer of this build, and the files it installs, as staged for it.
// scripts/package.sh points them at the release (SORVAN_DIST).
std::string SetupFile();  // as the Linux side names it
std::wstring SetupProgram();
std::wstring StagedFile(const std::wstring& name);
// The six files of a release, without the uninstaller.
const std::vector<std::wstring>& ReleaseFiles();

// The build's SOURCE_DATE_EPOCH, which every file in the installer carries.
std::optional<std::int64_t> SourceDateEpoch();
// A file's last write time in seconds since 1970, or nothing.
std::optional<std::int64_t> LastWriteTime(const std::wstring& path);

// %LOCALAPPDATA%\Programs\Tavrel, the folder a silent install chooses.
std::wstring DefaultInstallFolder();
// The user's Start-menu shortcut "Tavrel文件加密".
std::wstring StartMenuShortcut();
// The file a shortcut opens, or nothing when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& link);
std::wstring ShortPathOf(const std::wstring& path);

// The uninstall entry under HKEY_CURRENT_USER.
extern const wchar_t kUninstallKey[];
std::optional<std::wstring> ReadString(HKEY hive, const std::wstring& key, const wchar_t* name = nullptr);
std::optional<DWORD> ReadDword(HKEY hive, const std::wstring& key, const wchar_t* name);
void WriteString(HKEY hive, const std::wstring& key, const std::wstring& value);
bool KeyExists(HKEY hive, const std::wstring& key);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::optional<std::string> ReadWholeFile(const std::wstring& path);
void RemoveFolderTree(const std::wstring& folder);

// Texts for messages and for the tests' narrow helpers, which take paths as
// UTF-8 as the programs do.
std::string Utf8(const std::wstring& text);

// The main window's title, by which a started program is found.
extern const wchar_t kMainTitle[];
// Saves the window as the screen shows it, once it has painted, in the
// screenshots folder of the test command.
void Snapshot(HWND window, const char* name);

// One string of a file's version resource (its first language), or nothing.
std::optional<std::wstring> VersionString(const std::wstring& file, const wchar_t* name);
