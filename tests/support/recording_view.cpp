#include "recording_view.h"

RecordingView::RecordingView(std::vector<std::string> paths) {
  for (auto& p : paths) rows.push_back(Row{p, RowImage::Dot, RowStatus::Ready});
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

bool RecordingView::ReadRowPath(int row, std::string& path) {
  if (row < 0 || row >= static_cast<int>(rows.size())) return false;
  path = rows[row].path;
  return true;
}

void RecordingView::SetRowImage(int row, RowImage image) {
  rows[row].image = image;
  log.push_back("image " + std::to_string(row) + " " + std::to_string(static_cast<int>(image)));
}

void RecordingView::SetRowPath(int row, const std::string& path) {
  rows[row].path = path;
  log.push_back("path " + std::to_string(row));
}

void RecordingView::SetRowStatus(int row, RowStatus status) {
  rows[row].status = status;
  log.push_back("status " + std::to_string(row) + " " + StatusName(status));
}

void RecordingView::EnsureRowVisible(int row) {
  log.push_back("visible " + std::to_string(row));
  if (onEvent) onEvent("visible", row);
}

void RecordingView::SetProgress(int position) {
  progress.push_back(position);
  log.push_back("progress " + std::to_string(position));
  if (onEvent) onEvent("progress", position);
}

void RecordingView::EnableCommand(CommandButton button, bool enable) {
  log.push_back(std::string(enable ? "enable " : "disable ") +
                (button == CommandButton::Encrypt ? "encrypt" : "decrypt"));
}

void RecordingView::RowFinished(int, Outcome outcome, const std::string&) {
  outcomes.push_back(outcome);
}

std::vector<std::string> RecordingView::Updates() const {
  std::vector<std::string> updates;
  for (auto& entry : log)
    if (entry.compare(0, 9, "progress ") != 0) updates.push_back(entry);
  return updates;
}

bool FaultyFileSystem::Fails(Op op) {
  int count = ++m_counts[static_cast<int>(op)];
  return m_armed && op == m_failOp && (m_failAt == 0 || m_failAt == count);
}

bool FaultyFileSystem::Then(Op op, bool succeeded) {
  if (succeeded && m_after && op == m_afterOp) m_after();
  return succeeded;
}

bool FaultyFileSystem::OpenExisting(const std::string& path, FileHandle& file) {
  return !Fails(Op::Open) && m_real.OpenExisting(path, file);
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
bool FaultyFileSystem::Close(FileHandle file) {
  // The handle is closed all the same: a failed close still releases it.
  bool fail = Fails(Op::Close);
  return m_real.Close(file) && !fail;
}
MoveResult FaultyFileSystem::MoveNoReplace(const std::string& from, const std::string& to) {
  if (Fails(Op::Move)) return MoveResult::Failed;
  MoveResult moved = m_real.MoveNoReplace(from, to);
  Then(Op::Move, moved == MoveResult::Moved);
  return moved;
}
bool FaultyFileSystem::Delete(const std::string& path) {
  return !Fails(Op::Delete) && m_real.Delete(path);
}
bool FaultyFileSystem::Exists(const std::string& path) {
  return !Fails(Op::Exists) && m_real.Exists(path);
}
bool FaultyFileSystem::Unchanged(FileHandle file, const std::string& path,
                                 const FileStamp& stamp) {
  return !Fails(Op::Unchanged) && m_real.Unchanged(file, path, stamp);
}
bool FaultyFileSystem::DeleteOpened(FileHandle file, const std::string& path) {
  return !Fails(Op::DeleteOpened) && m_real.DeleteOpened(file, path);
}
