#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_system.h"

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

std::int64_t Ticks(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool SyncFolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

class PosixFileSystem : public FileSystem {
 public:
  bool OpenExisting(const std::string& path, FileHandle& file) override {
    // No link is followed and nothing but a regular file is taken; O_NONBLOCK
    // keeps a FIFO from hanging the open.
    int fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file = fd;
    return true;
  }

  bool Stamp(FileHandle file, FileStamp& stamp) override {
    struct stat st;
    if (fstat(Fd(file), &st) != 0) return false;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modified = Ticks(st);
    return true;
  }

  bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) override {
    char* out = static_cast<char*>(buffer);
    while (size > 0) {
      ssize_t got = pread(Fd(file), out, size, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      out += got;
      size -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
    return true;
  }

  CreateResult CreateNew(const std::string& path, FileHandle likeFile, FileHandle& file) override {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    struct stat like;
    if (fstat(Fd(likeFile), &like) == 0) fchmod(fd, like.st_mode & 0777);
    file = fd;
    return CreateResult::Created;
  }

  bool Write(FileHandle file, const void* data, std::size_t size) override {
    const char* in = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t put = write(Fd(file), in, size);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      in += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }

  bool Flush(FileHandle file) override { return fsync(Fd(file)) == 0; }

  bool Close(FileHandle file) override { return close(Fd(file)) == 0; }

  MoveResult MoveNoReplace(const std::string& from, const std::string& to) override {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) return MoveResult::Taken;
      if (errno != EINVAL && errno != ENOSYS) return MoveResult::Failed;
      // The file system cannot rename without replacing: a hard link can.
      if (link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? MoveResult::Taken : MoveResult::Failed;
      unlink(from.c_str());
    }
    return SyncFolderOf(to) ? MoveResult::Moved : MoveResult::Failed;
  }

  bool Delete(const std::string& path) override { return unlink(path.c_str()) == 0; }

  bool Exists(const std::string& path) override {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }

  bool StampAt(const std::string& path, FileStamp& stamp) override {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modified = Ticks(st);
    return true;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}
