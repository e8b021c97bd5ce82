#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using FileHandle = std::intptr_t;

// What tells us a source is still the very file that was read, as it was
// read: its identity, its size and its times at the file system's full
// resolution. Coarse clocks hide changes from the times; the back ends watch
// or lock the source besides.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // platform ticks, compared only with each other
  std::int64_t changed = 0;   // status change (POSIX); 0 where there is none
  // Device and inode (POSIX). Windows leaves both 0: the handle it holds is
  // the identity (see its back end).
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileStamp& o) const {
    return size == o.size && modified == o.modified && changed == o.changed &&
           volume == o.volume && index == o.index;
  }
  bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

enum class CreateResult { Created, Exists, Failed };
enum class MoveResult { Moved, Taken, Failed };

// The file operations the runs use, on narrow paths. One back end per
// platform; tests wrap it to make chosen operations fail.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file a row works on: an existing regular file that is itself no link
  // (whatever the folders above it are), and not read-only, open for reading
  // and writing. From here until it is closed the back end guards it: other
  // writers are kept out (Windows) or its changes are watched (POSIX).
  virtual bool OpenExisting(const std::string& path, FileHandle& file) = 0;
  virtual bool Stamp(FileHandle file, FileStamp& stamp) = 0;
  // Exactly size bytes at offset, or false.
  virtual bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) = 0;
  // A new file, never an existing one; permissions and owner like likeFile's.
  // It is held from its creation to its close, so that DeleteAbandoned leaves
  // it alone while its writer lives, however long the writing takes.
  virtual CreateResult CreateNew(const std::string& path, FileHandle likeFile,
                                 FileHandle& file) = 0;
  virtual bool Write(FileHandle file, const void* data, std::size_t size) = 0;
  // Makes the file's data durable.
  virtual bool Flush(FileHandle file) = 0;
  // Whether one flush covers a group of new files in the folder of file:
  // FlushTogether for their data, one SyncNames for their names. True only
  // on a file system known to honour both.
  virtual bool FlushesTogether(FileHandle file) = 0;
  // Makes the data of several files in one folder durable at once, with one
  // flush of the drive; only where FlushesTogether said it may.
  virtual bool FlushTogether(const std::vector<FileHandle>& files) = 0;
  virtual bool Close(FileHandle file) = 0;
  // Renames without ever replacing what is at to. The new name is durable
  // once SyncNames has made the names of its folder durable, so that several
  // renames in one folder share that flush.
  virtual MoveResult RenameNoReplace(const std::string& from, const std::string& to) = 0;
  // Makes the names in the folder of path durable, file being the open file
  // that was just renamed to path. Where the file system is not known to
  // honour a flush of the folder (FUSE, network file systems), it is only
  // that file's name that is made durable, by the file's own flush.
  virtual bool SyncNames(const std::string& path, FileHandle file) = 0;
  // Removes a file of our own making (a temporary file).
  virtual bool Delete(const std::string& path) = 0;
  // The names in folder ("" = the current folder), whatever each is.
  virtual bool ListNames(const std::string& folder, std::vector<std::string>& names) = 0;
  // Removes a temporary file that a writer who died left behind: a regular
  // file, itself no link, that nobody holds as CreateNew's file is held. The
  // system lets a dead process's files go, so only a living writer's file is
  // held. False, with nothing touched, when it is held or is anything else.
  virtual bool DeleteAbandoned(const std::string& path) = 0;
  // Anything at all under that name: file, folder, link.
  virtual bool Exists(const std::string& path) = 0;
  // The size of the file path names, its last part never followed; 0 for
  // anything else. A run's share of bytes is shown from these.
  virtual std::uint64_t SizeOf(const std::string& path) = 0;
  // The open file still stands at path, unchanged since stamp was taken.
  virtual bool Unchanged(FileHandle file, const std::string& path, const FileStamp& stamp) = 0;
  // Removes the open file from path; on Windows the removal is done when the
  // file is closed, so it is always the very file that was read.
  virtual bool DeleteOpened(FileHandle file, const std::string& path) = 0;
};

FileSystem& NativeFileSystem();
