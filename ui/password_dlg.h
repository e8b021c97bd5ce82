#pragma once
#include <cstdint>
#include <string>

#include "crypt/outcome.h"
#include "ui/prompt_restore.h"
#include "ui/win32/dialog.h"
#include "ui/win32/progress_bar.h"

// The prompt shown for a file opened from the shell: decrypts that one file
// with the typed password. Its result tells start-up what follows: a
// decryption (kDecrypted) and a cancel end the program; the plain OK, which
// Enter in the password field gives, opens the main window instead.
// The restore works on a worker thread; the prompt answers meanwhile, shows
// how far it is, and its cancel stops it.
class CPasswordDlg : public Dialog {
 public:
  static constexpr INT_PTR kDecrypted = 100;

  explicit CPasswordDlg(const std::string& file, HWND parent = nullptr);

  // Seams for the restore, before the prompt is made.
  void SetFileSystem(FileSystem& fileSystem) { m_restore.SetFileSystem(fileSystem); }
  void SetTaskbarButton(TaskbarButton& button) { m_restore.SetTaskbarButton(button); }
  void SetProgressDelay(std::uint64_t delayMs) { m_restore.SetProgressDelay(delayMs); }
  bool IsRestoring() const { return m_restore.IsRunning(); }

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnButtonClicked(WORD id) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnDecrypt();
  void OnRestoreFacts();
  void ShowError(UINT textId);
  void ShowBusy(bool busy);
  void StopRestore();

  std::string m_strFile;
  std::string m_strPassword;
  std::uint8_t m_nKey = 0;
  ProgressBar m_wndProgress;
  PromptRestore m_restore;
  int m_nFocusAfterRestore = 0;
  bool m_bStopping = false;
};

// The message of the prompt for an outcome of the decryption (0 for success).
UINT PromptMessageFor(Outcome outcome);
