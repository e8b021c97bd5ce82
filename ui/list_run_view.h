#pragma once
#include <windows.h>

#include "run_view.h"
#include "win32/list_view.h"
#include "win32/progress_bar.h"

// The window side of a batch run. The run calls it on its worker thread;
// every call is a synchronous message to a control of the interface thread,
// which carries it out while it serves its queue.
class ListRunView : public RunView {
 public:
  ListRunView(ListView& list, ProgressBar& progress, HWND encryptButton, HWND decryptButton)
      : m_list(list), m_progress(progress), m_encrypt(encryptButton), m_decrypt(decryptButton) {}

  bool ReadRowPath(int row, std::string& path) override;
  void SetRowImage(int row, RowImage image) override;
  void SetRowPath(int row, const std::string& path) override;
  void SetRowStatus(int row, RowStatus status) override;
  void EnsureRowVisible(int row) override;
  void SetProgress(int position) override;
  void EnableCommand(CommandButton button, bool enable) override;

 private:
  ListView& m_list;
  ProgressBar& m_progress;
  HWND m_encrypt;
  HWND m_decrypt;
};
