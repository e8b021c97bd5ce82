#include <windows.h>

#include "file_system.h"

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

std::int64_t Ticks(const FILETIME& t) {
  return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Virus scanners and indexers hold new files for a moment.
bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

class Win32FileSystem : public FileSystem {
 public:
  bool OpenExisting(const std::string& path, FileHandle& file) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(h) != FILE_TYPE_DISK) {
      CloseHandle(h);
      return false;
    }
    file = reinterpret_cast<FileHandle>(h);
    return true;
  }

  bool Stamp(FileHandle file, FileStamp& stamp) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(Handle(file), &info)) return false;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = Ticks(info.ftLastWriteTime);
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

  CreateResult CreateNew(const std::string& path, FileHandle, FileHandle& file) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
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

  bool Close(FileHandle file) override { return CloseHandle(Handle(file)) != FALSE; }

  MoveResult MoveNoReplace(const std::string& from, const std::string& to) override {
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return MoveResult::Moved;
      DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || Exists(to))
        return MoveResult::Taken;
      if (!IsTransient(error) || attempt == 20) return MoveResult::Failed;
      Sleep(50);
    }
  }

  bool Delete(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool StampAt(const std::string& path, FileStamp& stamp) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = Ticks(data.ftLastWriteTime);
    return true;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}
