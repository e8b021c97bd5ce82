#pragma once
#include <cstdint>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "crypt/file_system.h"
#include "crypt/run_listener.h"

// Records what a run tells, in order, and keeps the rows as a front end
// would show them: the path each row stands for and its status.
class RecordingListener : public RunListener {
 public:
  struct Row {
    std::string path;
    RowStatus status = RowStatus::Ready;
  };
  std::vector<Row> rows;
  std::vector<std::string> log;      // "started", "row 0", "finished 0", "ended"; bytes apart
  std::vector<Outcome> outcomes;     // one per row finished
  std::vector<RowResult> results;    // one per row finished
  // Per row, the bytes done as they were told, each with its total.
  std::vector<std::vector<std::pair<std::uint64_t, std::uint64_t>>> bytes;
  std::function<void(const std::string& event, int row)> onEvent;  // test hooks: "bytes"

  explicit RecordingListener(std::vector<std::string> paths = {});

  void RunStarted(RunKind run) override;
  void RowStarted(int row, const std::string& path) override;
  void BytesDone(int row, std::uint64_t done, std::uint64_t total) override;
  void RowFinished(int row, const RowResult& result) override;
  void RunEnded(RunKind run) override;

  std::vector<std::string> Paths() const;

 private:
  RunKind m_run = RunKind::Encrypt;
};

const char* StatusName(RowStatus status);

// Wraps the native file system and fails chosen operations: the Nth call
// (counting from 1) of the named kind, or every call when n is 0; each FailOn
// adds one. A test may also act, as another program would, right after an
// operation succeeded, or hold the run there, and may say whether the file
// system flushes a group together, whatever the real one is.
class FaultyFileSystem : public FileSystem {
 public:
  enum class Op {
    Open, Stamp, Read, Create, Write, Flush, Close, Move, Delete, Exists, Unchanged, DeleteOpened,
    List, DeleteAbandoned, SyncNames, Size, Count
  };
  void FailOn(Op op, int n = 0) { m_failing.push_back({op, n}); }
  void SayFlushesTogether(bool together) { m_together = together ? 1 : 0; }
  void After(Op op, std::function<void()> action) { m_afterOp = op; m_after = std::move(action); }
  int Count(Op op) const { return m_counts[static_cast<int>(op)]; }

  bool OpenExisting(const std::string& path, FileHandle& file) override;
  bool Stamp(FileHandle file, FileStamp& stamp) override;
  bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) override;
  CreateResult CreateNew(const std::string& path, FileHandle likeFile, FileHandle& file) override;
  bool Write(FileHandle file, const void* data, std::size_t size) override;
  // A group's flush counts as a Flush, its renames as Moves; FlushTogether
  // alone is also counted apart.
  bool Flush(FileHandle file) override;
  bool FlushesTogether(FileHandle file) override;
  bool FlushTogether(const std::vector<FileHandle>& files) override;
  int TogetherCount() const { return m_togetherCount; }
  bool Close(FileHandle file) override;
  MoveResult RenameNoReplace(const std::string& from, const std::string& to) override;
  bool SyncNames(const std::string& path, FileHandle file) override;
  bool Delete(const std::string& path) override;
  bool ListNames(const std::string& folder, std::vector<std::string>& names) override;
  bool DeleteAbandoned(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Unchanged(FileHandle file, const std::string& path, const FileStamp& stamp) override;
  bool DeleteOpened(FileHandle file, const std::string& path) override;
  std::uint64_t SizeOf(const std::string& path) override;

 private:
  bool Fails(Op op);
  bool Then(Op op, bool succeeded);
  FileSystem& m_real = NativeFileSystem();
  int m_counts[static_cast<int>(Op::Count)] = {};
  struct Failing {
    Op op;
    int n;
  };
  std::vector<Failing> m_failing;
  int m_together = -1;  // -1: as the real file system says
  int m_togetherCount = 0;
  Op m_afterOp = Op::Open;
  std::function<void()> m_after;
};
