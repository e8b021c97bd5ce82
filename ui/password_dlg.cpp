#include "ui/password_dlg.h"

#include "crypt/key.h"
#include "res/resource.h"
#include "ui/win32/resource_text.h"

CPasswordDlg::CPasswordDlg(const std::string& file, HWND parent)
    : Dialog(IDD_PASSWORD_DIALOG, parent), m_strFile(file) {}

void CPasswordDlg::DoDataExchange(DataExchange& dx) {
  dx.Bind(IDC_PROMPT_PROGRESS, m_wndProgress);
  dx.Text(IDC_PROMPT_PASSWORD, m_strPassword);
}

// The focus starts on "取消", the first visible tab stop, as its default
// button: Enter pressed at once cancels. The template's hidden OK stays the
// default for the password field, so Enter there closes the prompt with OK.
BOOL CPasswordDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  m_restore.Bind(m_hWnd, m_wndProgress);
  FocusItem(IDCANCEL);
  return FALSE;
}

bool CPasswordDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case PromptRestore::kFactsMessage:
      OnRestoreFacts();
      return true;
    case WM_TIMER:
      if (wParam != PromptRestore::kFactsTimer) break;
      OnRestoreFacts();
      return true;
    case WM_SETCURSOR:
      if (!m_restore.IsRunning()) break;
      SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
      result = TRUE;
      return true;
    // The session may end once the restore has stopped and left only the
    // container; the prompt then ends as a cancel does.
    case WM_QUERYENDSESSION:
      if (m_restore.IsRunning()) OnCancel();
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wParam && m_restore.IsRunning()) OnCancel();
      result = 0;
      return true;
    default:
      break;
  }
  return Dialog::OnMessage(message, wParam, lParam, result);
}

bool CPasswordDlg::OnButtonClicked(WORD id) {
  if (id != IDC_PROMPT_DECRYPT) return Dialog::OnButtonClicked(id);
  OnDecrypt();
  return true;
}

// Enter during a restore reaches the hidden default OK: it neither closes
// the prompt nor starts anything.
void CPasswordDlg::OnOK() {
  if (m_restore.IsRunning() || m_bStopping) return;
  Dialog::OnOK();
}

// "取消", Escape, the close box and Alt+F4: a restore under way stops at its
// next buffer first, leaving the container as it was.
void CPasswordDlg::OnCancel() {
  if (m_bStopping) return;
  if (m_restore.IsRunning()) StopRestore();
  EndDialog(IDCANCEL);
}

void CPasswordDlg::StopRestore() {
  m_bStopping = true;
  m_restore.RequestStop();
  EnableWindow(Item(IDCANCEL), FALSE);  // it is stopping: a second cancel adds nothing
  m_restore.StopAndWait([this] { return PumpMessage(); });
  m_bStopping = false;
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

// While a restore works the field and "解密" are off; the focus waits on
// "取消", the one control left on, where Escape still reaches it.
void CPasswordDlg::ShowBusy(bool busy) {
  if (busy) {
    HWND focus = GetFocus();
    m_nFocusAfterRestore = focus && IsChild(m_hWnd, focus) ? GetDlgCtrlID(focus) : IDC_PROMPT_DECRYPT;
    FocusItem(IDCANCEL);
  }
  EnableWindow(Item(IDC_PROMPT_PASSWORD), !busy);
  EnableWindow(Item(IDC_PROMPT_DECRYPT), !busy);
  if (!busy && m_nFocusAfterRestore) FocusItem(m_nFocusAfterRestore);
  // The pointer takes the busy look at once, not at its next move.
  POINT at;
  HWND under = GetCursorPos(&at) ? WindowFromPoint(at) : nullptr;
  if (under && (under == m_hWnd || IsChild(m_hWnd, under)))
    SetCursor(LoadCursorA(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

// Enter during a restore would press the focused "取消" or reach the hidden
// OK: it does neither, and starts nothing.
BOOL CPasswordDlg::PreTranslateMessage(MSG* msg) {
  bool enter = (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
               msg->wParam == (msg->message == WM_CHAR ? L'\r' : VK_RETURN);
  if (enter && (m_restore.IsRunning() || m_bStopping) &&
      (msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd)))
    return TRUE;
  return Dialog::PreTranslateMessage(msg);
}

// Every failure is told and the prompt stays for another attempt.
void CPasswordDlg::OnDecrypt() {
  if (m_restore.IsRunning() || m_bStopping) return;
  UpdateData(true);
  if (m_strPassword.empty()) {
    ApplicationMessageBox(LoadText(IDS_PROMPT_EMPTY_PASSWORD));
    return;
  }
  m_nKey = DeriveKey(m_strPassword);
  ShowBusy(true);
  if (!m_restore.Start(m_strFile, m_nKey)) {
    ShowBusy(false);
    ShowError(IDS_PROMPT_READ_FAILED);
  }
}

// The restore's end as the button's handler once told it.
void CPasswordDlg::OnRestoreFacts() {
  if (!m_restore.ShowFacts() || m_bStopping) return;
  ShowBusy(false);
  UINT message = PromptMessageFor(m_restore.LastOutcome());
  if (message != 0) {
    ShowError(message);
    return;
  }
  MessageBoxW(m_hWnd, LoadText(IDS_PROMPT_SUCCESS).c_str(),
              LoadText(IDS_PROMPT_OK_CAPTION).c_str(), MB_OK);
  EndDialog(kDecrypted);
}
