#include "tests/support/recording_listener.h"

RecordingListener::RecordingListener(std::vector<std::string> paths) {
  for (auto& p : paths) rows.push_back(Row{p, RowStatus::Ready});
  bytes.resize(rows.size());
}

const char* StatusName(RowStatus status) {
  switch (status) {
    case RowStatus::Ready: return "Ready";
    case RowStatus::Success: return "Success";
    case RowStatus::Failed: return "Failed";
    case RowStatus::TooLargeEncrypt: return "TooLargeEncrypt";
    case RowStatus::TooLargeDecrypt: return "TooLargeDecrypt";
    case RowStatus::AlreadyEncrypted: return "AlreadyEncrypted";
    case RowStatus::NotEncrypted: return "NotEncrypted";
    case RowStatus::NameTaken: return "NameTaken";
  }
  return "?";
}

void RecordingListener::RunStarted(RunKind run) {
  m_run = run;
  log.push_back("started");
}

void RecordingListener::RowStarted(int row, const std::string& path) {
  log.push_back("row " + std::to_string(row) + (path == rows.at(row).path ? "" : " other path"));
}

void RecordingListener::BytesDone(int row, std::uint64_t done, std::uint64_t total) {
  bytes.at(row).emplace_back(done, total);
  if (onEvent) onEvent("bytes", row);
}

void RecordingListener::RowFinished(int row, const RowResult& result) {
  rows.at(row).path = result.shownPath;
  rows.at(row).status = StatusOf(m_run, result.outcome);
  outcomes.push_back(result.outcome);
  results.push_back(result);
  log.push_back("finished " + std::to_string(row));
}

void RecordingListener::RunEnded(RunKind) { log.push_back("ended"); }

std::vector<std::string> RecordingListener::Paths() const {
  std::vector<std::string> paths;
  for (const Row& row : rows) paths.push_back(row.path);
  return paths;
}

bool FaultyFileSystem::Fails(Op op) {
  int count = ++m_counts[static_cast<int>(op)];
  for (const Failing& f : m_failing)
    if (f.op == op && (f.n == 0 || f.n == count)) return true;
  return false;
}

bool FaultyFileSystem::Then(Op op, bool succeeded) {
  if (succeeded && m_after && op == m_afterOp) m_after();
  return succeeded;
}

bool FaultyFileSystem::OpenExisting(const std::string& path, FileHandle& file) {
  return !Fails(Op::Open) && Then(Op::Open, m_real.OpenExisting(path, file));
}
bool FaultyFileSystem::Stamp(FileHandle file, FileStamp& stamp) {
  return !Fails(Op::Stamp) && m_real.Stamp(file, stamp);
}
bool FaultyFileSystem::ReadAt(FileHandle file, std::uint64_t offset, void* buffer,
                              std::size_t size) {
  return !Fails(Op::Read) && m_real.ReadAt(file, offset, buffer, size);
}
CreateResult FaultyFileSystem::CreateNew(const std::string& path, FileHandle likeFile,
                                         FileHandle& file) {
  if (Fails(Op::Create)) return CreateResult::Failed;
  CreateResult created = m_real.CreateNew(path, likeFile, file);
  Then(Op::Create, created == CreateResult::Created);
  return created;
}
bool FaultyFileSystem::Write(FileHandle file, const void* data, std::size_t size) {
  return !Fails(Op::Write) && Then(Op::Write, m_real.Write(file, data, size));
}
bool FaultyFileSystem::Flush(FileHandle file) {
  return !Fails(Op::Flush) && m_real.Flush(file);
}
bool FaultyFileSystem::FlushesTogether(FileHandle file) {
  return m_together < 0 ? m_real.FlushesTogether(file) : m_together == 1;
}
bool FaultyFileSystem::FlushTogether(const std::vector<FileHandle>& files) {
  ++m_togetherCount;
  return !Fails(Op::Flush) && m_real.FlushTogether(files);
}
bool FaultyFileSystem::Close(FileHandle file) {
  // The handle is closed all the same: a failed close still releases it.
  bool fail = Fails(Op::Close);
  return Then(Op::Close, m_real.Close(file)) && !fail;
}
MoveResult FaultyFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (Fails(Op::Move)) return MoveResult::Failed;
  MoveResult moved = m_real.RenameNoReplace(from, to);
  Then(Op::Move, moved == MoveResult::Moved);
  return moved;
}
bool FaultyFileSystem::SyncNames(const std::string& path, FileHandle file) {
  return !Fails(Op::SyncNames) && m_real.SyncNames(path, file);
}
bool FaultyFileSystem::Delete(const std::string& path) {
  return !Fails(Op::Delete) && m_real.Delete(path);
}
bool FaultyFileSystem::ListNames(const std::string& folder, std::vector<std::string>& names) {
  return !Fails(Op::List) && m_real.ListNames(folder, names);
}
bool FaultyFileSystem::DeleteAbandoned(const std::string& path) {
  return !Fails(Op::DeleteAbandoned) && m_real.DeleteAbandoned(path);
}
bool FaultyFileSystem::Exists(const std::string& path) {
  return !Fails(Op::Exists) && m_real.Exists(path);
}
bool FaultyFileSystem::Unchanged(FileHandle file, const std::string& path,
                                 const FileStamp& stamp) {
  return !Fails(Op::Unchanged) && m_real.Unchanged(file, path, stamp);
}
bool FaultyFileSystem::DeleteOpened(FileHandle file, const std::string& path) {
  return !Fails(Op::DeleteOpened) && Then(Op::DeleteOpened, m_real.DeleteOpened(file, path));
}
std::uint64_t FaultyFileSystem::SizeOf(const std::string& path) {
  if (Fails(Op::Size)) return 0;
  std::uint64_t size = m_real.SizeOf(path);
  Then(Op::Size, true);
  return size;
}
