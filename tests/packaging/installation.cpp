#include "tests/packaging/installation.h"

#include <objbase.h>
#include <stdlib.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrel";
const wchar_t kMainTitle[] = L"Tavrel文件加密 7.2 ";

long RunToEnd(std::wstring commandLine, DWORD timeoutMs) {
  // Wine starts its desktop process for the first program that needs one, as
  // that program's child; started by a program in the job, it would keep the
  // job alive for good. Asked for here, it is this process's.
  GetDesktopWindow();
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // Suspended until it is in the job, so no child can start outside it.
  if (!job || !CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, nullptr, &startup, &process)) {
    if (job) CloseHandle(job);
    return -1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  long code = -1;
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
    if (info.ActiveProcesses == 0 && WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      DWORD exit = 0;
      GetExitCodeProcess(process.hProcess, &exit);
      code = static_cast<long>(exit);
      break;
    }
    Sleep(50);
  }
  if (code == -1) TerminateJobObject(job, 99);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(job);
  return code;
}

namespace {

// scripts/package.sh points the tests at the release: SORVAN_DIST is its
// folder and SORVAN_WIN32_BUILD_DIR the tree that staged its files.
std::string FromEnvironment(const char* name, const std::string& otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? value : otherwise;
}

}  // namespace

std::string SetupFile() {
  std::string dist = FromEnvironment("SORVAN_DIST", "");
  return dist.empty() ? SORVAN_SETUP : dist + "/Tavrel-" SORVAN_VERSION "-setup.exe";
}

std::wstring SetupProgram() { return WideText(WinePath(SetupFile())); }

std::wstring StagedFile(const std::wstring& name) {
  std::string tree = FromEnvironment("SORVAN_WIN32_BUILD_DIR", "");
  std::string stage = tree.empty() ? SORVAN_STAGE_DIR : tree + "/packaging/windows/stage";
  return WideText(WinePath(stage)) + L"\\" + name;
}

const std::vector<std::wstring>& ReleaseFiles() {
  static const std::vector<std::wstring> files = {L"sorvan.exe", L"p6k.exe", L"default1.htm",
                                                  L"使用说明.txt", L"更新说明.txt", L"LICENSE.txt"};
  return files;
}

std::optional<std::int64_t> SourceDateEpoch() {
  const char* value = std::getenv("SOURCE_DATE_EPOCH");
  if (!value || !*value) return std::nullopt;
  return std::strtoll(value, nullptr, 10);
}

std::optional<std::int64_t> LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  ULARGE_INTEGER ticks;
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  // 100-nanosecond ticks since 1601 to seconds since 1970.
  return static_cast<std::int64_t>(ticks.QuadPart / 10000000) - 11644473600LL;
}

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  wchar_t* path = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
  CoTaskMemFree(path);
  return result;
}

}  // namespace

std::wstring DefaultInstallFolder() { return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tavrel"; }

std::wstring StartMenuShortcut() { return KnownFolder(FOLDERID_Programs) + L"\\Tavrel文件加密.lnk"; }

std::wstring ShortcutTarget(const std::wstring& link) {
  CoInitialize(nullptr);
  std::wstring target;
  IShellLinkW* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t path[MAX_PATH] = L"";
      if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
          SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
        target = path;
      file->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return target;
}

std::wstring ShortPathOf(const std::wstring& path) {
  wchar_t shortPath[MAX_PATH];
  DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(shortPath, n) : path;
}

// The registry is read and written in its 64-bit view, which 64-bit Explorer
// reads: the same as the only one on 32-bit Windows, and the one the release
// must reach from WOW64.
namespace {

bool ReadValue(HKEY hive, const std::wstring& key, const wchar_t* name, DWORD type, void* value,
               DWORD size) {
  HKEY opened;
  if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
    return false;
  LONG read = RegGetValueW(opened, nullptr, name, type, nullptr, value, &size);
  RegCloseKey(opened);
  return read == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> ReadString(HKEY hive, const std::wstring& key, const wchar_t* name) {
  wchar_t value[2048];
  if (!ReadValue(hive, key, name, RRF_RT_REG_SZ, value, sizeof value)) return std::nullopt;
  return std::wstring(value);
}

std::optional<DWORD> ReadDword(HKEY hive, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0;
  if (!ReadValue(hive, key, name, RRF_RT_REG_DWORD, &value, sizeof value)) return std::nullopt;
  return value;
}

void WriteString(HKEY hive, const std::wstring& key, const std::wstring& value) {
  HKEY opened;
  if (RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

bool KeyExists(HKEY hive, const std::wstring& key) {
  HKEY opened;
  if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  bool ok = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                              read == bytes.size());
  CloseHandle(file);
  return ok ? std::optional<std::string>(bytes) : std::nullopt;
}

void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolderTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

std::optional<std::wstring> VersionString(const std::wstring& file, const wchar_t* name) {
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return std::nullopt;
  struct Translation { WORD language, codePage; }* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return std::nullopt;
  wchar_t path[128];
  swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
           translations[0].codePage, name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length)) return std::nullopt;
  return std::wstring(value);
}

namespace {

std::string Narrow(const std::wstring& wide, UINT codePage) {
  int n = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &narrow[0], n, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(n - 1));
  return narrow;
}

}  // namespace

std::string Utf8(const std::wstring& text) { return Narrow(text, CP_UTF8); }

void Snapshot(HWND window, const char* name) {
  // The other process paints in its own time: ask for it, then give it time.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  SaveScreenshot(window, SORVAN_SCREENSHOT_DIR, name);
}
