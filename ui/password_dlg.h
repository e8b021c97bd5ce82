#pragma once
#include <cstdint>
#include <string>

#include "crypt/outcome.h"
#include "ui/win32/dialog.h"

// The prompt shown for a file opened from the shell: decrypts that one file
// with the typed password. Its result tells start-up what follows: a
// decryption (kDecrypted) and a cancel end the program; the plain OK, which
// Enter in the password field gives, opens the main window instead.
class CPasswordDlg : public Dialog {
 public:
  static const INT_PTR kDecrypted = 100;

  explicit CPasswordDlg(const std::string& file, HWND parent = nullptr);

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnButtonClicked(WORD id) override;

 private:
  void OnDecrypt();
  void ShowError(UINT textId);

  std::string m_strFile;
  std::string m_strPassword;
  std::uint8_t m_nKey = 0;
};

// The message of the prompt for an outcome of the decryption (0 for success).
UINT PromptMessageFor(Outcome outcome);
