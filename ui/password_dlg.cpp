#include "ui/password_dlg.h"

#include "crypt/key.h"
#include "res/resource.h"
#include "crypt/single_decrypt.h"
#include "ui/win32/resource_text.h"

CPasswordDlg::CPasswordDlg(const std::string& file, HWND parent)
    : Dialog(IDD_PASSWORD_DIALOG, parent), m_strFile(file) {}

void CPasswordDlg::DoDataExchange(DataExchange& dx) { dx.Text(IDC_PROMPT_PASSWORD, m_strPassword); }

// The focus starts on "取消", the first visible tab stop, as its default
// button: Enter pressed at once cancels. The template's hidden OK stays the
// default for the password field, so Enter there closes the prompt with OK.
BOOL CPasswordDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  FocusItem(IDCANCEL);
  return FALSE;
}

bool CPasswordDlg::OnButtonClicked(WORD id) {
  if (id != IDC_PROMPT_DECRYPT) return Dialog::OnButtonClicked(id);
  OnDecrypt();
  return true;
}

UINT PromptMessageFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
    case Outcome::AlreadyInPlace: return 0;  // the file stands restored; the container stays
    case Outcome::MarkerMismatch:
    case Outcome::TagMismatch: return IDS_PROMPT_WRONG_PASSWORD;
    case Outcome::NameTaken: return IDS_PROMPT_NAME_TAKEN;
    case Outcome::ReadFailed: return IDS_PROMPT_READ_FAILED;
    case Outcome::WriteFailed: return IDS_PROMPT_WRITE_FAILED;
    case Outcome::DeleteFailed:
    case Outcome::SourceChanged: return IDS_PROMPT_DELETE_FAILED;
    default: return IDS_PROMPT_OPEN_FAILED;  // cannot open, cannot create, refused name
  }
}

void CPasswordDlg::ShowError(UINT textId) {
  MessageBoxW(m_hWnd, LoadText(textId).c_str(), LoadText(IDS_PROMPT_ERROR_CAPTION).c_str(), MB_OK);
}

// Every failure is told and the prompt stays for another attempt.
void CPasswordDlg::OnDecrypt() {
  UpdateData(true);
  if (m_strPassword.empty()) {
    ApplicationMessageBox(LoadText(IDS_PROMPT_EMPTY_PASSWORD));
    return;
  }
  m_nKey = DeriveKey(m_strPassword);
  UINT message = PromptMessageFor(DecryptSingleFile(m_strFile, m_nKey).outcome);
  if (message != 0) {
    ShowError(message);
    return;
  }
  MessageBoxW(m_hWnd, LoadText(IDS_PROMPT_SUCCESS).c_str(),
              LoadText(IDS_PROMPT_OK_CAPTION).c_str(), MB_OK);
  EndDialog(kDecrypted);
}
