#include "ui/row_fill.h"

#include "ui/file_rows.h"

void RowFill::Bind(HWND window, ListView& list) {
  m_window = window;
  m_list = &list;
}

void RowFill::Add(const std::string& path, bool folder) {
  if (!IsFilling()) m_staleRows = m_list->GetItemCount();
  m_paths.push_back({path, folder});
  if (m_timerSet || !Step(kStepMs)) return;
  // The timer comes after the input and paint waiting in the queue, so the
  // window answers between steps.
  m_timerSet = SetTimer(m_window, kStepTimer, USER_TIMER_MINIMUM, nullptr) != 0;
  if (!m_timerSet) Finish();
}

void RowFill::OnTimer() {
  if (!Step(kStepMs)) StopTimer();
}

void RowFill::Finish() {
  Step(INFINITE);
  StopTimer();
}

void RowFill::Cancel() {
  m_paths.clear();
  m_folder.reset();
  m_staleRows = 0;
  StopTimer();
}

// Works until the budget is spent or nothing is left, painting once at the
// end: painting after every row made a drop's cost grow with the square of
// its rows. True while something is left.
bool RowFill::Step(DWORD budgetMs) {
  m_list->SetRedraw(false);
  const DWORD start = m_clock();
  while (TakeOne() && m_clock() - start < budgetMs) {
  }
  m_list->SetRedraw(true);
  return IsFilling();
}

// One stale row reset, one folder entry read, or one dropped path taken;
// false when there was nothing to do.
bool RowFill::TakeOne() {
  if (m_staleRows > 0) {
    ShowReady(*m_list, m_list->GetItemCount() - m_staleRows--);
    return true;
  }
  if (m_folder) {
    std::string row;
    if (m_folder->Next(row))
      AddReadyRow(*m_list, row);
    else
      m_folder.reset();
    return true;
  }
  if (m_paths.empty()) return false;
  DroppedPath next = m_paths.front();
  m_paths.pop_front();
  if (next.folder)
    m_folder.reset(new FolderExpansion(next.path, WindowFolderRules()));
  else
    AddReadyRow(*m_list, next.path);
  return true;
}

void RowFill::StopTimer() {
  if (m_timerSet) KillTimer(m_window, kStepTimer);
  m_timerSet = false;
}
