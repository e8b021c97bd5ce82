#pragma once
#include <cstdint>
#include <string>

#include "outcome.h"
#include "win32/dialog.h"

// The prompt shown for a file opened from the shell: decrypts that one file
// with the typed password, or ends the program on cancel.
class CPasswordDlg : public Dialog {
 public:
  explicit CPasswordDlg(HWND parent = nullptr);

  std::string m_strPassword;
  std::uint8_t m_nKey = 0;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnCancel() override;

 private:
  void OnDecrypt();
  void ShowError(UINT textId);
};

// The message of the prompt for an outcome of the decryption (0 for success).
UINT PromptMessageFor(Outcome outcome);
