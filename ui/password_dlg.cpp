#include "password_dlg.h"

#include "key.h"
#include "resource.h"
#include "single_decrypt.h"
#include "sorvan_app.h"
#include "win32/resource_text.h"

CPasswordDlg::CPasswordDlg(HWND parent) : Dialog(IDD_PASSWORD_DIALOG, parent) {}

void CPasswordDlg::DoDataExchange(DataExchange& dx) { dx.Text(IDC_PROMPT_PASSWORD, m_strPassword); }

bool CPasswordDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_PROMPT_DECRYPT && code == BN_CLICKED) {
    OnDecrypt();
    return true;
  }
  return Dialog::OnCommand(id, code, control);
}

// Cancel, Escape and the close box end the whole program at once.
void CPasswordDlg::OnCancel() { ExitProcess(0); }

UINT PromptMessageFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done: return 0;
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

void CPasswordDlg::OnDecrypt() {
  UpdateData(true);
  if (m_strPassword.empty()) {
    ApplicationMessageBox(LoadText(IDS_PROMPT_EMPTY_PASSWORD));
    return;
  }
  m_nKey = DeriveKey(m_strPassword);
  CSorvanApp* app = static_cast<CSorvanApp*>(AfxGetApp());
  std::string file = app ? app->m_strCommandLineFile : std::string();
  UINT message = PromptMessageFor(DecryptSingleFile(file, m_nKey).outcome);
  if (message != 0) {
    ShowError(message);
    return;
  }
  MessageBoxW(m_hWnd, LoadText(IDS_PROMPT_SUCCESS).c_str(),
              LoadText(IDS_PROMPT_OK_CAPTION).c_str(), MB_OK);
  ExitProcess(0);
}
