// The encrypt and decrypt commands and the worker threads they start.
#include "batch_run.h"
#include "file_rows.h"
#include "key.h"
#include "list_run_view.h"
#include "resource.h"
#include "sorvan_dlg.h"
#include "win32/resource_text.h"

namespace {

RunSettings SettingsOf(CSorvanDlg& dialog, const StopRequest& stop) {
  RunSettings settings;
  settings.rowCount = dialog.m_nRowCount;
  settings.key = dialog.m_nKey;
  settings.stop = &stop;
  return settings;
}

}  // namespace

void CSorvanDlg::OnEncryptFiles() {
  RunCommand(IDS_EMPTY_LIST_ENCRYPT, &EncryptThreadProc, IDS_ENCRYPT_FAILED);
}

void CSorvanDlg::OnDecryptFiles() {
  RunCommand(IDS_EMPTY_LIST_DECRYPT, &DecryptThreadProc, IDS_DECRYPT_FAILED);
}

void CSorvanDlg::Notice(UINT textId) {
  MessageBoxW(m_hWnd, LoadText(textId).c_str(), LoadText(IDS_NOTICE_CAPTION).c_str(), MB_OK);
}

// The rows are reset before the password checks, and an empty list is
// reported before anything about the password.
void CSorvanDlg::RunCommand(UINT emptyListText, WorkerEntry run, UINT startFailedText) {
  // A click taken from the queue while the window closes starts nothing.
  if (m_bClosing) return;
  // The run's last act enables the buttons; a click after it waits the
  // moment the worker's thread takes to end.
  if (IsRunning() && !RunHasEnabledTheButtons()) return;
  if (m_hWorker) WaitServingSentMessages(m_hWorker);
  ReleaseFinishedWorker();
  m_wndProgress.SetRange(0, 100);
  m_nRowCount = m_wndFileList.GetItemCount();
  if (m_nRowCount == 0) return Notice(emptyListText);
  ResetRows(m_wndFileList);
  UpdateData(true);
  if (m_strPassword.empty()) return Notice(IDS_NO_PASSWORD);
  if (m_strConfirm.empty()) return Notice(IDS_NO_CONFIRMATION);
  if (m_strPassword != m_strConfirm) return Notice(IDS_PASSWORD_MISMATCH);
  m_nKey = DeriveKey(m_strPassword);

  // Disabled here, before the worker exists, so a second click cannot start
  // a second run over the same rows; the run enables them as its last act.
  HWND encrypt = GetDlgItem(m_hWnd, IDC_ENCRYPT);
  HWND decrypt = GetDlgItem(m_hWnd, IDC_DECRYPT);
  EnableWindow(decrypt, FALSE);
  EnableWindow(encrypt, FALSE);
  m_hWorker = m_startWorker(run, this);
  if (m_hWorker) return;
  EnableWindow(decrypt, TRUE);
  EnableWindow(encrypt, TRUE);
  Notice(startFailedText);
}

// A run over the dialog's rows, on the worker thread: every update goes to
// the window's controls as a synchronous message.
unsigned CSorvanDlg::RunOverRows(void* argument, RowRun run) {
  CSorvanDlg& dialog = *static_cast<CSorvanDlg*>(argument);
  ListRunView view(dialog.m_wndFileList, dialog.m_wndProgress,
                   GetDlgItem(dialog.GetSafeHwnd(), IDC_ENCRYPT),
                   GetDlgItem(dialog.GetSafeHwnd(), IDC_DECRYPT));
  RunSettings settings = SettingsOf(dialog, dialog.m_stop);
  settings.fileSystem = dialog.m_pFileSystem;
  run(view, settings);
  return 1;
}

unsigned __stdcall EncryptThreadProc(void* dialog) {
  return CSorvanDlg::RunOverRows(dialog, &EncryptRows);
}

unsigned __stdcall DecryptThreadProc(void* dialog) {
  return CSorvanDlg::RunOverRows(dialog, &DecryptRows);
}
