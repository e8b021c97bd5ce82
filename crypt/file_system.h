#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

using FileHandle = std::intptr_t;

// Size and last-write time: what tells us a file was changed behind our back.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // platform ticks, compared only with each other
  bool operator==(const FileStamp& o) const { return size == o.size && modified == o.modified; }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

enum class CreateResult { Created, Exists, Failed };
enum class MoveResult { Moved, Taken, Failed };

// The file operations the runs use, on narrow paths. One back end per
// platform; tests wrap it to make chosen operations fail.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // An existing regular file, for reading and writing, shared for both.
  virtual bool OpenExisting(const std::string& path, FileHandle& file) = 0;
  virtual bool Stamp(FileHandle file, FileStamp& stamp) = 0;
  // Exactly size bytes at offset, or false.
  virtual bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) = 0;
  // A new file, never an existing one; permissions like those of likeFile.
  virtual CreateResult CreateNew(const std::string& path, FileHandle likeFile,
                                 FileHandle& file) = 0;
  virtual bool Write(FileHandle file, const void* data, std::size_t size) = 0;
  virtual bool Flush(FileHandle file) = 0;
  virtual bool Close(FileHandle file) = 0;
  // Renames without ever replacing what is at to; the folder is made durable.
  virtual MoveResult MoveNoReplace(const std::string& from, const std::string& to) = 0;
  virtual bool Delete(const std::string& path) = 0;
  // Anything at all under that name: file, folder, link.
  virtual bool Exists(const std::string& path) = 0;
  virtual bool StampAt(const std::string& path, FileStamp& stamp) = 0;
};

FileSystem& NativeFileSystem();
