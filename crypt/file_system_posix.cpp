#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "crypt/file_system.h"
#include "crypt/group_flush_policy.h"
#include "crypt/path_facts.h"
#include "crypt/sole_opener_posix.h"

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

std::int64_t Ticks(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileStamp StampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modified = Ticks(st.st_mtim);
  stamp.changed = Ticks(st.st_ctim);
  stamp.volume = static_cast<std::uint64_t>(st.st_dev);
  stamp.index = static_cast<std::uint64_t>(st.st_ino);
  return stamp;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The name still stands for the open file: nobody removed or replaced it.
bool NamesOpenFile(int fd, const std::string& path) {
  struct stat open, named;
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(open, named);
}

// A writer holds its temporary file with an exclusive lock, which the
// system lets go when the writer dies. The lock comes a moment after the
// creation, and a sweep may take the new file first: then the name is given
// up (Exists) and the writer tries another. A file system without locks
// gives none to the sweep either, which then removes nothing.
bool HoldAsWriter(int fd, const std::string& path) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
  return NamesOpenFile(fd, path);
}

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool SyncFolderOf(const std::string& path) {
  int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

bool KernelReportsSyncfsErrors() {
  static const bool reports = [] {
    struct utsname system;
    return uname(&system) == 0 &&
           group_flush_policy::SyncfsReportsWriteErrors(system.release);
  }();
  return reports;
}

// A local disk file system: its syncfs and a folder's fsync reach the disk.
bool OnLocalDisk(int fd) {
  struct statfs volume;
  return fstatfs(fd, &volume) == 0 &&
         group_flush_policy::SyncfsReachesTheDisk(static_cast<std::uint64_t>(volume.f_type));
}

// Whether one syncfs on fd's file system makes every file of it durable and
// tells when it could not.
bool SyncfsSuffices(int fd) { return KernelReportsSyncfsErrors() && OnLocalDisk(fd); }

// A folder that may be written but not read cannot be opened to flush it;
// flushing the whole file system that holds the file makes the rename
// durable all the same, where that flush reaches the disk.
bool SyncVolumeOf(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = SyncfsSuffices(fd) && syncfs(fd) == 0;
  close(fd);
  return ok;
}

MoveResult TakenOrFailed(int error) {
  return error == EEXIST ? MoveResult::Taken : MoveResult::Failed;
}

// The rename itself, by the best means the file system offers: a rename that
// refuses to replace; else a hard link and the removal of the old name; else
// (FAT, exFAT, many FUSE file systems) the name is first reserved by
// creating it exclusively, and the rename then replaces only that
// placeholder of our own.
MoveResult RenameByBestMeans(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return MoveResult::Moved;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return TakenOrFailed(errno);
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return MoveResult::Moved;
  }
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
    return TakenOrFailed(errno);
  int placeholder = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (placeholder < 0) return TakenOrFailed(errno);
  close(placeholder);
  if (rename(from.c_str(), to.c_str()) == 0) return MoveResult::Moved;
  unlink(to.c_str());
  return MoveResult::Failed;
}

// The changes that show a source was written, truncated, touched, renamed
// away, replaced or removed by another program. Coarse clocks hide in-place
// writes from the times, a watch does not.
const std::uint32_t kChangeEvents = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;

// Watches on the open sources, all in one inotify instance: an instance per
// file would cost a wait for the kernel each time one is closed. A source
// without a watch (no inotify, no /proc and a name that no longer stands for
// it) has only its stamp compared.
class ChangeWatches {
 public:
  ~ChangeWatches() {
    if (m_inotify >= 0) close(m_inotify);
  }

  // Watches the very file behind fd. Without /proc the watch goes on the
  // name, and is kept only if the name still stands for the open file.
  void Watch(int fd, const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_inotify < 0) m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0) return;
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    int watch = inotify_add_watch(m_inotify, self.c_str(), kChangeEvents);
    if (watch < 0) {
      struct stat open, named;
      watch = inotify_add_watch(m_inotify, path.c_str(), kChangeEvents | IN_DONT_FOLLOW);
      if (watch < 0) return;
      if (!(fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
            SameFile(open, named))) {
        if (!m_watched.count(watch)) inotify_rm_watch(m_inotify, watch);
        return;
      }
    }
    ++m_watched[watch].users;  // one file opened twice shares its watch
    m_watchOf[fd] = watch;
  }

  // True when the watch of fd saw a change since the open.
  bool SawChange(int fd) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto watch = m_watchOf.find(fd);
    if (watch == m_watchOf.end()) return false;
    Drain();
    return m_watched[watch->second].changed;
  }

  void Unwatch(int fd) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto watch = m_watchOf.find(fd);
    if (watch == m_watchOf.end()) return;
    Drain();
    auto watched = m_watched.find(watch->second);
    if (--watched->second.users == 0) {
      inotify_rm_watch(m_inotify, watch->second);
      m_watched.erase(watched);
    }
    m_watchOf.erase(watch);
  }

 private:
  struct Watched {
    int users = 0;
    bool changed = false;
  };

  void Drain() {
    alignas(inotify_event) char events[4096];
    for (;;) {
      ssize_t got = read(m_inotify, events, sizeof events);
      if (got <= 0) break;
      for (char* at = events; at < events + got;) {
        const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
        if (event->mask & IN_Q_OVERFLOW) {
          for (auto& w : m_watched) w.second.changed = true;
        } else if (event->mask & kChangeEvents) {
          auto found = m_watched.find(event->wd);
          if (found != m_watched.end()) found->second.changed = true;
        }
        at += sizeof(inotify_event) + event->len;
      }
    }
  }

  std::mutex m_lock;
  int m_inotify = -1;
  std::map<int, Watched> m_watched;  // watch -> what it saw
  std::map<int, int> m_watchOf;      // open source -> its watch
};

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
    // A file another program holds open fails its row before anything is
    // written, as on Windows: what that program writes later would be lost
    // with the removed file.
    sole_opener::Lease lease = sole_opener::Take(fd);
    if (lease == sole_opener::Lease::HeldElsewhere) {
      close(fd);
      return false;
    }
    if (lease == sole_opener::Lease::Taken) sole_opener::Drop(fd);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_changes.Watch(fd, path);
    file = fd;
    return true;
  }

  bool Stamp(FileHandle file, FileStamp& stamp) override {
    struct stat st;
    if (fstat(Fd(file), &st) != 0) return false;
    stamp = StampOf(st);
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
    if (!HoldAsWriter(fd, path)) {
      close(fd);
      return CreateResult::Exists;
    }
    struct stat like;
    if (fstat(Fd(likeFile), &like) == 0) {
      // Run by root over another user's files, the output stays theirs, so
      // they can still open it. Anyone else keeps what they may keep.
      if (like.st_uid != geteuid() || like.st_gid != getegid()) {
        int kept = fchown(fd, like.st_uid, like.st_gid);
        (void)kept;
      }
      fchmod(fd, like.st_mode & 0777);
    }
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

  bool FlushesTogether(FileHandle file) override { return SyncfsSuffices(Fd(file)); }

  // One syncfs writes the data of every file out and flushes the drive once,
  // where an fsync of each would flush it for each. The files share a folder
  // and so a file system. The first file was opened first: syncfs reports a
  // write-back error of the file system since that open.
  bool FlushTogether(const std::vector<FileHandle>& files) override {
    return files.empty() || syncfs(Fd(files.front())) == 0;
  }

  bool Close(FileHandle file) override {
    m_changes.Unwatch(Fd(file));
    return close(Fd(file)) == 0;
  }

  MoveResult RenameNoReplace(const std::string& from, const std::string& to) override {
    return RenameByBestMeans(from, to);
  }

  // A folder's fsync makes its names durable on a local disk file system. On
  // FUSE it reaches only a server that implements it (the kernel answers for
  // one that does not), while a file's fsync reaches every server that
  // flushes at all: ntfs-3g then flushes its device, and the rename with it.
  bool SyncNames(const std::string& path, FileHandle file) override {
    if (OnLocalDisk(Fd(file))) return SyncFolderOf(path) || SyncVolumeOf(path);
    SyncFolderOf(path);  // for a server that honours it; its answer proves nothing
    return fsync(Fd(file)) == 0;
  }

  bool Delete(const std::string& path) override { return unlink(path.c_str()) == 0; }

  bool ListNames(const std::string& folder, std::vector<std::string>& names) override {
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (!listing) return false;
    while (const dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(listing);
    return true;
  }

  // Looked at before it is opened, so that no device or FIFO is ever opened;
  // and once locked, the name must still stand for the file that was locked.
  bool DeleteAbandoned(const std::string& path) override {
    struct stat named;
    if (lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened;
    bool removed = fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                   flock(fd, LOCK_EX | LOCK_NB) == 0 && NamesOpenFile(fd, path) &&
                   unlink(path.c_str()) == 0;
    close(fd);
    return removed;
  }

  bool Exists(const std::string& path) override {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }

  std::uint64_t SizeOf(const std::string& path) override { return SizeOfPath(path); }

  bool Unchanged(FileHandle file, const std::string& path, const FileStamp& stamp) override {
    if (m_changes.SawChange(Fd(file))) return false;
    struct stat open, named;
    if (fstat(Fd(file), &open) != 0 || StampOf(open) != stamp) return false;
    // The name may meanwhile stand for another file (a rename over it).
    return lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) && SameFile(named, open);
  }

  // A program that opened the file after the row did keeps it: its writes
  // after an unlink would go to a file nobody can reach. The lease holds any
  // new open back until the unlink is done.
  bool DeleteOpened(FileHandle file, const std::string& path) override {
    sole_opener::Lease lease = sole_opener::Take(Fd(file));
    if (lease == sole_opener::Lease::HeldElsewhere) return false;
    bool removed = unlink(path.c_str()) == 0;
    if (lease == sole_opener::Lease::Taken) sole_opener::Drop(Fd(file));
    return removed;
  }

 private:
  ChangeWatches m_changes;
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}
