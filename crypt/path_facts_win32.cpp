#include <windows.h>

#include <cwchar>

#include "platform/path_text.h"
#include "crypt/path_facts.h"
#include "crypt/win32_paths.h"

namespace {

PathKind KindOfAttributes(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Special;
  return PathKind::File;
}

HANDLE OpenForFacts(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// A name Windows cannot hold, which Linux allows and Wine shows as it is:
// a separator or another character Windows forbids in a name, or a trailing
// dot or space, which the system would drop and so reach another file.
bool IsForbiddenInName(wchar_t c) { return c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr; }

// The name as a row shows it: a forbidden character becomes "?", as a lone
// surrogate does, so the row names no other file and fails.
std::string RowName(std::wstring name) {
  for (wchar_t& c : name)
    if (IsForbiddenInName(c)) c = L'?';
  return path_text::FromWide(name);
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
  if (NameCannotBeCarried(path)) return PathKind::Missing;
  std::wstring wide = win32_paths::LongPath(path);
  // Only a file can have a name with a trailing dot or space; its row fails.
  if (wide.empty()) return path_text::ToWide(path).empty() ? PathKind::Missing : PathKind::File;
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  PathKind kind = KindOfAttributes(attributes);
  if (kind != PathKind::File && kind != PathKind::Folder) return kind;
  HANDLE handle = OpenForFacts(wide);
  if (handle == INVALID_HANDLE_VALUE) return kind;  // held without sharing: the run will tell
  bool own = win32_paths::StandsUnderItsOwnName(handle, path);
  CloseHandle(handle);
  return own ? kind : PathKind::Link;
}

struct FolderReader::State {
  HANDLE find;
  WIN32_FIND_DATAW data;
  bool holdsEntry;  // data holds an entry not yet handed out
};

FolderReader::FolderReader(const std::string& folder) {
  std::wstring wide = win32_paths::LongPath(folder);
  if (wide.empty()) return;
  if (wide.back() != L'\\' && wide.back() != L'/') wide += L'\\';
  std::unique_ptr<State> state(new State{});
  state->find = FindFirstFileW((wide + L"*").c_str(), &state->data);
  if (state->find == INVALID_HANDLE_VALUE) return;
  state->holdsEntry = true;
  m_state = std::move(state);
}

FolderReader::~FolderReader() {
  if (m_state) FindClose(m_state->find);
}

bool FolderReader::Next(FolderEntry& entry) {
  if (!m_state) return false;
  while (m_state->holdsEntry || FindNextFileW(m_state->find, &m_state->data)) {
    m_state->holdsEntry = false;
    const WIN32_FIND_DATAW& data = m_state->data;
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A link to a folder is listed as a folder, as the system shows it;
    // KindOfPath tells it apart before anyone enters it.
    DWORD attributes = data.dwFileAttributes;
    PathKind kind = attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::Folder : KindOfAttributes(attributes);
    entry = FolderEntry{RowName(name), kind};
    return true;
  }
  return false;
}

// From the attributes alone: opening each row a second time would cost a
// run of thousands of small files as much as a share of its work.
std::uint64_t SizeOfPath(const std::string& path) {
  std::wstring wide = win32_paths::LongPath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  for (auto [path, info] : {std::make_pair(&a, &first), std::make_pair(&b, &second)}) {
    std::wstring wide = win32_paths::LongPath(*path);
    HANDLE handle = wide.empty() ? INVALID_HANDLE_VALUE : OpenForFacts(wide);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(handle, info) != FALSE;
    CloseHandle(handle);
    if (!known) return false;
  }
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool NameCannotBeCarried(const std::string& path) { return path_text::HoldsMark(path); }

bool IsRedirectedSystemPath(const std::string& path) {
  return win32_paths::UnderRedirectedSystemFolder(path);
}
