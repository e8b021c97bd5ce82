#pragma once
#include <functional>
#include <string>
#include <vector>

#include "file_system.h"
#include "run_view.h"

// A list of rows in memory that records every update a run makes, in order.
class RecordingView : public RunView {
 public:
  struct Row {
    std::string path;
    RowImage image = RowImage::Dot;
    RowStatus status = RowStatus::Ready;
  };
  std::vector<Row> rows;
  std::vector<std::string> log;         // "image 0 2", "path 0 ...", "status 0 Success", ...
  std::vector<int> progress;            // every position set, in order
  std::vector<Outcome> outcomes;        // one per row reached
  std::function<void(const std::string& event, int row)> onEvent;  // test hooks

  explicit RecordingView(std::vector<std::string> paths = {});

  bool ReadRowPath(int row, std::string& path) override;
  void SetRowImage(int row, RowImage image) override;
  void SetRowPath(int row, const std::string& path) override;
  void SetRowStatus(int row, RowStatus status) override;
  void EnsureRowVisible(int row) override;
  void SetProgress(int position) override;
  void EnableCommand(CommandButton button, bool enable) override;
  void RowFinished(int row, Outcome outcome, const std::string& shownPath) override;

  // Log entries other than progress and finish, for order checks.
  std::vector<std::string> Updates() const;
};

const char* StatusName(RowStatus status);

// Wraps the native file system and fails chosen operations: the Nth call
// (counting from 1) of the named kind, or every call when n is 0. A test may
// also act, as another program would, right after an operation succeeded.
class FaultyFileSystem : public FileSystem {
 public:
  enum class Op {
    Open, Stamp, Read, Create, Write, Flush, Close, Move, Delete, Exists, Unchanged, DeleteOpened,
    Count
  };
  void FailOn(Op op, int n = 0) { m_failOp = op; m_failAt = n; m_armed = true; }
  void After(Op op, std::function<void()> action) { m_afterOp = op; m_after = std::move(action); }
  int Count(Op op) const { return m_counts[static_cast<int>(op)]; }

  bool OpenExisting(const std::string& path, FileHandle& file) override;
  bool Stamp(FileHandle file, FileStamp& stamp) override;
  bool ReadAt(FileHandle file, std::uint64_t offset, void* buffer, std::size_t size) override;
  CreateResult CreateNew(const std::string& path, FileHandle likeFile, FileHandle& file) override;
  bool Write(FileHandle file, const void* data, std::size_t size) override;
  bool Flush(FileHandle file) override;
  bool Close(FileHandle file) override;
  MoveResult MoveNoReplace(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Unchanged(FileHandle file, const std::string& path, const FileStamp& stamp) override;
  bool DeleteOpened(FileHandle file, const std::string& path) override;

 private:
  bool Fails(Op op);
  bool Then(Op op, bool succeeded);
  FileSystem& m_real = NativeFileSystem();
  int m_counts[static_cast<int>(Op::Count)] = {};
  Op m_failOp = Op::Open;
  int m_failAt = 0;
  bool m_armed = false;
  Op m_afterOp = Op::Open;
  std::function<void()> m_after;
};
