#include "tests/support/scratch_dir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#ifdef _WIN32
#include <windows.h>
const char kSeparator[] = "\\";
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
const char kSeparator[] = "/";
#endif

namespace {

#ifdef _WIN32
// Wine's own export: the Unix path behind a Windows one, or null.
std::string UnixPathOf(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return std::string();
  char* name = unixName(WideText(path).c_str());
  if (!name) return std::string();
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Runs a Unix tool of /bin until done() holds, at most ten seconds. Wine
// starts a Unix program named by its Windows path, splitting the arguments by
// the Windows rules; the handle it gives for such a process does not wait for
// its end, so the tool's effect is what is waited for.
template <typename Done>
bool RunUnixTool(const std::string& tool, const std::vector<std::string>& args, Done done) {
  // In UTF-16: the Unix paths are UTF-8, which the code page would garble.
  std::wstring command = WideText("Z:\\bin\\" + tool);
  for (const std::string& arg : args) command += L" \"" + WideText(arg) + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &process))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // A minute tells a tool that never finishes from a busy machine.
  for (int i = 0; i < 6000 && !done(); ++i) Sleep(10);
  return done();
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + L"\\");
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

void RemoveTree(const std::string& folder) { RemoveTree(WideText(folder)); }
#else
void RemoveTree(const std::string& folder) {
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::string full = folder + name;
      struct stat st;
      if (lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        RemoveTree(full + "/");
      else
        unlink(full.c_str());
    }
    closedir(dir);
  }
  rmdir(folder.c_str());
}
#endif

}  // namespace

ScratchDir::ScratchDir() {
#ifdef _WIN32
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::random_device random;
  for (;;) {
    char name[32];
    std::snprintf(name, sizeof name, "p6ktest%08x", random());
    m_path = Utf8Text(base) + name;
    if (CreateDirectoryW(WideText(m_path).c_str(), nullptr)) break;
  }
  m_path += "\\";
#else
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/p6ktest.XXXXXX";
  m_path = mkdtemp(&pattern[0]);
  m_path += "/";
#endif
}

ScratchDir::~ScratchDir() {
  RemoveTree(m_path);
#ifdef _WIN32
  // A link made on the Unix side cannot be removed through Wine; rm can.
  if (PathExists(m_path))
    RunUnixTool("rm", {"-rf", UnixPathOf(m_path)}, [this] { return !PathExists(m_path); });
#endif
}

std::vector<std::string> ScratchDir::Names() const { return ListFolder(m_path); }

std::vector<std::string> ListFolder(std::string folder) {
  if (folder.empty() || folder.back() != kSeparator[0]) folder += kSeparator;
  std::vector<std::string> names;
#ifdef _WIN32
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((WideText(folder) + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = Utf8Text(data.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
#else
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
#endif
  std::sort(names.begin(), names.end());
  return names;
}

#ifdef _WIN32
std::string Utf8Text(const std::wstring& wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
  return text;
}

std::wstring WideText(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
  return wide;
}

bool WriteWideNamed(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  return std::fclose(file) == 0;
}

std::string ReadWideNamed(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return "<missing>";
  std::string bytes;
  char chunk[256];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}
#endif

std::string WinePath(const std::string& unixPath) {
  std::string windows = "Z:" + unixPath;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

namespace {
// The tests' own files at paths of any length: the narrow functions stop at
// 260 characters, the wide ones with "\\?\" do not.
#ifdef _WIN32
std::wstring Reachable(const std::string& path) {
  std::wstring wide = WideText(path);
  bool absolute = path.size() > 2 && path[1] == ':' && path[2] == '\\';
  return absolute && path.size() >= MAX_PATH - 12 ? L"\\\\?\\" + wide : wide;
}
FILE* OpenFile(const std::string& path, const std::string& mode) {
  return _wfopen(Reachable(path).c_str(), std::wstring(mode.begin(), mode.end()).c_str());
}
#else
FILE* OpenFile(const std::string& path, const std::string& mode) {
  return std::fopen(path.c_str(), mode.c_str());
}
#endif
}  // namespace

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = OpenFile(path, "wb");
  if (!f) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::optional<std::string> ReadBytes(const std::string& path) {
  FILE* f = OpenFile(path, "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, got);
  std::fclose(f);
  return bytes;
}

bool PathExists(const std::string& path) {
#ifdef _WIN32
  return GetFileAttributesW(Reachable(path).c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
#endif
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return CreateDirectoryW(Reachable(path).c_str(), nullptr) != FALSE;
#else
  return mkdir(path.c_str(), 0755) == 0;
#endif
}

bool MakeSizedFile(const std::string& path, std::uint64_t length) {
#ifdef _WIN32
  HANDLE h = CreateFileW(Reachable(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(length);
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
#else
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = ftruncate(fd, static_cast<off_t>(length)) == 0;
  close(fd);
  return ok;
#endif
}

void AppendByte(const std::string& path) {
  FILE* f = OpenFile(path, "ab");
  if (!f) std::abort();
  std::fputc('!', f);
  std::fclose(f);
}

void AppendBytes(const std::string& path, const std::string& bytes) {
  FILE* f = OpenFile(path, "ab");
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

#ifdef _WIN32

bool MakeLink(const std::string& target, const std::string& link) {
  std::string from = UnixPathOf(target), to = UnixPathOf(link);
  if (from.empty() || to.empty()) return false;
  return RunUnixTool("ln", {"-s", from, to}, [&] { return PathExists(link); });
}

bool MakeUnixNamedFile(const std::string& folder, const std::string& name,
                       const std::string& bytes) {
  const std::string seed = folder + "\\unix-name.seed";
  WriteBytes(seed, bytes);
  std::string from = UnixPathOf(seed), to = UnixPathOf(folder);
  if (from.empty() || to.empty()) return false;
  return RunUnixTool("mv", {from, to + "/" + name}, [&] { return !PathExists(seed); });
}
#else
bool MakeUnixNamedFile(const std::string& folder, const std::string& name,
                       const std::string& bytes) {
  WriteBytes(folder + "/" + name, bytes);
  return PathExists(folder + "/" + name);
}

bool MakeLink(const std::string& target, const std::string& link) {
  return symlink(target.c_str(), link.c_str()) == 0;
}
#endif

#ifdef _WIN32
LocalShare::LocalShare(const std::string& folder) {
  std::string drive = UnixPathOf("C:\\");  // ".../dosdevices/c:/"
  std::string target = UnixPathOf(folder);
  std::size_t devices = drive.rfind("/c:/");
  if (target.empty() || devices == std::string::npos) return;
  const std::string hosts = drive.substr(0, devices) + "/unc/localhost";
  char name[32];
  std::snprintf(name, sizeof name, "p6kshare%08x", static_cast<unsigned>(std::random_device()()));
  const std::string share = std::string("\\\\localhost\\") + name + "\\";
  if (!RunUnixTool("mkdir", {"-p", hosts}, [&] { return PathExists(WinePath(hosts)); })) return;
  m_link = hosts + "/" + name;
  if (RunUnixTool("ln", {"-s", target, m_link}, [&] { return PathExists(share); })) m_path = share;
}

LocalShare::~LocalShare() {
  if (m_link.empty()) return;
  const std::string share = m_path;
  RunUnixTool("rm", {"-f", m_link}, [&] { return share.empty() || !PathExists(share); });
}
#endif

std::string PathOfWindowsLength(const ScratchDir& dir, std::size_t windowsLength) {
#ifdef _WIN32
  const std::size_t shown = dir.path().size();
#else
  const std::size_t shown = WinePath(dir.path()).size();
#endif
  std::string path = dir.path();
  std::size_t left = windowsLength - shown;
  while (left > 200) {
    path += std::string(100, 'd');
    if (!MakeFolder(path)) return std::string();
    path += kSeparator;
    left -= 101;
  }
  return path + std::string(left, 'n');
}

std::string PatternBytes(std::size_t length, unsigned seed) {
  std::string bytes(length, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < length; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

ExclusiveLock::ExclusiveLock(const std::string& path) {
#ifdef _WIN32
  HANDLE h = CreateFileW(WideText(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  m_held = h != INVALID_HANDLE_VALUE;
  m_handle = reinterpret_cast<std::intptr_t>(h);
#else
  (void)path;
#endif
}

ExclusiveLock::~ExclusiveLock() {
#ifdef _WIN32
  if (m_held) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
#endif
}
