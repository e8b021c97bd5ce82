#include "list_run_view.h"

#include "status_text.h"

bool ListRunView::ReadRowPath(int row, std::string& path) {
  if (row < 0 || row >= m_list.GetItemCount()) return false;
  path = m_list.GetItemText(row, 0);
  return true;
}

void ListRunView::SetRowImage(int row, RowImage image) {
  m_list.SetItemImage(row, static_cast<int>(image));
}

void ListRunView::SetRowPath(int row, const std::string& path) { m_list.SetItemText(row, 0, path); }

void ListRunView::SetRowStatus(int row, RowStatus status) {
  m_list.SetItemText(row, 1, StatusText(status));
}

void ListRunView::EnsureRowVisible(int row) { m_list.EnsureVisible(row, false); }

void ListRunView::SetProgress(int position) { m_progress.SetPos(position); }

void ListRunView::EnableCommand(CommandButton button, bool enable) {
  EnableWindow(button == CommandButton::Encrypt ? m_encrypt : m_decrypt, enable);
}
