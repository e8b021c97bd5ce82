#include <windows.h>

#include "platform/path_text.h"
#include "crypt/file_system.h"
#include "crypt/group_flush_policy.h"
#include "crypt/group_flush_win32.h"
#include "crypt/path_facts.h"
#include "crypt/win32_paths.h"

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

// Virus scanners and indexers hold new files for a moment.
bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// Attributes and times come from here rather than GetFileInformationByHandle,
// which also asks for the volume's serial number: Wine fetches that from its
// mount manager, another process, on every call.
bool GetBasic(HANDLE file, FILE_BASIC_INFO& info) {
  return GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info) != FALSE;
}

class Win32FileSystem : public FileSystem {
 public:
  bool OpenExisting(const std::string& path, FileHandle& file) override {
    // A path that cannot stand for one file as written names no file of ours,
    // whatever the system would make of it (see LongPath).
    std::wstring wide = win32_paths::LongPath(path);
    if (wide.empty()) return false;
    // Sharing only reading keeps every other writer out until the row ends;
    // DELETE lets the row remove the very file it read. A real link or
    // junction is opened as itself and refused by its attributes.
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILE_BASIC_INFO info;
    // Windows refuses a read-only file to any writer; Wine lets root open it.
    const DWORD refused =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetBasic(h, info) ||
        (info.FileAttributes & refused) || !win32_paths::StandsUnderItsOwnName(h, path)) {
      CloseHandle(h);
      return false;
    }
    file = reinterpret_cast<FileHandle>(h);
    return true;
  }

  // The handle is the file's identity: opened sharing only reading, the file
  // cannot be renamed, replaced or removed under it, so volume and index,
  // which could never differ, stay 0. Size and last write are what a back
  // door could still change.
  bool Stamp(FileHandle file, FileStamp& stamp) override {
    FILE_STANDARD_INFO standard;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(Handle(file), FileStandardInfo, &standard, sizeof standard) ||
        !GetBasic(Handle(file), basic))
      return false;
    stamp = FileStamp();
    stamp.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    stamp.modified = basic.LastWriteTime.QuadPart;
    return true;
  }

  bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(Handle(file), at, nullptr, FILE_BEGIN)) return false;
    char* out = static_cast<char*>(buffer);
    while (size > 0) {
      DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
      DWORD got = 0;
      if (!ReadFile(Handle(file), out, want, &got, nullptr) || got == 0) return false;
      out += got;
      size -= got;
    }
    return true;
  }

  // Sharing nothing but deletion keeps every other open out, DeleteAbandoned's
  // among them, while the file may still be moved to its final name.
  CreateResult CreateNew(const std::string& path, FileHandle, FileHandle& file) override {
    std::wstring wide = win32_paths::LongPath(path);
    if (wide.empty()) return CreateResult::Failed;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::Exists
                                                                         : CreateResult::Failed;
    }
    file = reinterpret_cast<FileHandle>(h);
    return CreateResult::Created;
  }

  bool Write(FileHandle file, const void* data, std::size_t size) override {
    const char* in = static_cast<const char*>(data);
    while (size > 0) {
      DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
      DWORD put = 0;
      if (!WriteFile(Handle(file), in, want, &put, nullptr) || put == 0) return false;
      in += put;
      size -= put;
    }
    return true;
  }

  bool Flush(FileHandle file) override { return FlushFileBuffers(Handle(file)) != FALSE; }

  bool FlushesTogether(FileHandle file) override {
    wchar_t fileSystem[MAX_PATH + 1] = {};
    return GetVolumeInformationByHandleW(Handle(file), nullptr, 0, nullptr, nullptr, nullptr,
                                         fileSystem, MAX_PATH + 1) &&
           group_flush_policy::DataOnlyThenOneFullFlushSuffices(fileSystem);
  }

  bool FlushTogether(const std::vector<FileHandle>& files) override {
    std::vector<HANDLE> handles;
    for (FileHandle file : files) handles.push_back(Handle(file));
    return group_flush::FlushTogether(handles, group_flush::SystemCalls());
  }

  bool Close(FileHandle file) override { return CloseHandle(Handle(file)) != FALSE; }

  // The move is written through, so its name is durable once it returns.
  // NTFS logs a rename and a later removal in the order they were made, so
  // no removal that follows can outlive the rename in a crash.
  MoveResult RenameNoReplace(const std::string& from, const std::string& to) override {
    std::wstring wideFrom = win32_paths::LongPath(from), wideTo = win32_paths::LongPath(to);
    if (wideFrom.empty() || wideTo.empty()) return MoveResult::Failed;
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH))
        return MoveResult::Moved;
      DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || Exists(to))
        return MoveResult::Taken;
      if (!IsTransient(error) || attempt == 20) return MoveResult::Failed;
      Sleep(50);
    }
  }

  bool SyncNames(const std::string&, FileHandle) override { return true; }

  bool Delete(const std::string& path) override {
    std::wstring wide = win32_paths::LongPath(path);
    return !wide.empty() && DeleteFileW(wide.c_str()) != FALSE;
  }

  bool ListNames(const std::string& folder, std::vector<std::string>& names) override {
    std::wstring wide = win32_paths::LongPath(folder.empty() ? std::string(".") : folder);
    if (wide.empty()) return false;
    if (wide.back() != L'\\') wide += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((wide + L"*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
      std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(path_text::FromWide(name));
    } while (FindNextFileW(listing, &found));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(listing);
    return complete;
  }

  // An open that shares nothing succeeds only when no other handle is open,
  // a living writer's least of all; while it is open nobody else gets in.
  bool DeleteAbandoned(const std::string& path) override {
    std::wstring wide = win32_paths::LongPath(path);
    if (wide.empty()) return false;
    HANDLE h = CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILE_BASIC_INFO info;
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    bool removed = GetFileType(h) == FILE_TYPE_DISK && GetBasic(h, info) &&
                   !(info.FileAttributes & refused) &&
                   win32_paths::StandsUnderItsOwnName(h, path) &&
                   SetFileInformationByHandle(h, FileDispositionInfo, &disposition,
                                              sizeof disposition) != FALSE;
    CloseHandle(h);
    return removed;
  }

  bool Exists(const std::string& path) override {
    std::wstring wide = win32_paths::LongPath(path);
    return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::uint64_t SizeOf(const std::string& path) override { return SizeOfPath(path); }

  // Nobody else could write, rename or remove the file while it was open;
  // the comparison still catches what a back door (a mapping made before the
  // open, say) might have done.
  bool Unchanged(FileHandle file, const std::string&, const FileStamp& stamp) override {
    FileStamp now;
    return Stamp(file, now) && now == stamp;
  }

  bool DeleteOpened(FileHandle file, const std::string&) override {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(Handle(file), FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}
