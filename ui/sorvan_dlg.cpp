#include "ui/sorvan_dlg.h"

#include <commdlg.h>

#include "ui/about_dlg.h"
#include "ui/file_rows.h"
#include "platform/path_text.h"
#include "ui/path_handoff.h"
#include "crypt/key.h"
#include "res/resource.h"
#include "ui/skin.h"
#include "ui/win32/resource_text.h"

namespace {

HICON LoadProductIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PRODUCT),
                                       IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

CSorvanDlg::CSorvanDlg(HWND parent) : Dialog(IDD_SORVAN_DIALOG, parent) {
  // There is no icon 128; the window shows the product icon, each of its
  // two images drawn for its size at the system's DPI rather than stretched.
  m_hIcon = LoadProductIcon(SM_CXICON, SM_CYICON);
  m_hSmallIcon = LoadProductIcon(SM_CXSMICON, SM_CYSMICON);
  m_wndFileList.SetDropGate([this] { return !m_run.IsRunning(); });
}

CSorvanDlg::~CSorvanDlg() {
  m_run.StopAndWait([this] { return PumpMessage(); });
  DestroyWindowNow();
}

void CSorvanDlg::DoDataExchange(DataExchange& dx) {
  dx.Bind(IDC_FILE_LIST, m_wndFileList);
  dx.Bind(IDC_PROGRESS, m_wndProgress);
  dx.PathText(IDC_FILE_PATH, m_strFilePath);
  dx.Text(IDC_PASSWORD, m_strPassword);
  dx.Text(IDC_CONFIRM, m_strConfirm);
  dx.Bind(IDC_SITE_LINK, m_wndSiteLink);
}

BOOL CSorvanDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  AddAboutMenuItem();
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
  SkinH_Attach();
  SetUpFileList(m_wndFileList, m_imageList);
  m_run.Bind(m_hWnd, m_wndFileList, m_wndProgress, Item(IDC_ENCRYPT), Item(IDC_DECRYPT));
  DropSettings drops;
  m_fill.Bind(m_hWnd, m_wndFileList);
  drops.onPath = [this](const std::string& path, std::uint32_t kind) {
    m_fill.Add(path, kind == PATH_IS_FOLDER);
  };
  m_wndFileList.ConfigureDrops(drops);
  SetUpWebPanel(m_hWnd, m_wndBrowser, m_browserHandler, m_webPanel);
  SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  m_bEnding = false;
  AddPathsKept();
  if (m_onOpened) m_onOpened(m_hWnd);
  return TRUE;
}

void CSorvanDlg::SetPresenceHooks(std::function<void(HWND)> opened, std::function<void()> closing) {
  m_onOpened = std::move(opened);
  m_onClosing = std::move(closing);
}

void CSorvanDlg::AddPaths(const std::vector<std::string>& paths) {
  m_pathsToAdd.insert(m_pathsToAdd.end(), paths.begin(), paths.end());
  if (!m_run.IsRunning()) AddPathsKept();
}

void CSorvanDlg::AddPathsKept() {
  std::vector<std::string> paths;
  paths.swap(m_pathsToAdd);
  for (const std::string& path : paths) m_wndFileList.AcceptPath(path);
}

// False tells the sender to try again: a closing window takes nothing, and
// the sender then opens the next main window itself.
bool CSorvanDlg::OnPathsHandedOver(const COPYDATASTRUCT& data) {
  std::vector<std::string> paths;
  if (m_bEnding || !path_handoff::Decode(data, paths)) return false;
  AddPaths(paths);
  if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
  SetForegroundWindow(m_hWnd);
  return true;
}

void CSorvanDlg::AddAboutMenuItem() {
  HMENU menu = GetSystemMenu(m_hWnd, FALSE);
  if (!menu) return;
  std::wstring text = LoadText(IDS_ABOUTBOX);
  if (text.empty()) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

// Enter never presses a button and Escape never closes the window: both go
// to the focused control as ordinary keys.
BOOL CSorvanDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    return FALSE;
  return Dialog::PreTranslateMessage(msg);
}

bool CSorvanDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<UINT>(wParam));
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(m_hIcon);
      return true;
    case WM_COPYDATA:
      result = OnPathsHandedOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
      return true;
    case RunController::kFactsMessage:
      ShowRunFacts();
      return true;
    case WM_TIMER:
      if (wParam == RowFill::kStepTimer) {
        m_fill.OnTimer();
        return true;
      }
      if (wParam != RunController::kFactsTimer) return Dialog::OnMessage(message, wParam, lParam, result);
      ShowRunFacts();
      return true;
    default:
      return Dialog::OnMessage(message, wParam, lParam, result);
  }
}

bool CSorvanDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) != IDM_ABOUTBOX) return false;
  OnAbout();
  return true;
}

bool CSorvanDlg::OnButtonClicked(WORD id) {
  switch (id) {
    case IDC_ENCRYPT: OnEncryptFiles(); return true;
    case IDC_DECRYPT: OnDecryptFiles(); return true;
    case IDC_BROWSE: OnBrowse(); return true;
    case IDC_CLEAR_LIST: OnClearList(); return true;
    case IDC_ABOUT: OnAbout(); return true;
    case IDC_ONLINE_HELP: OnOnlineHelp(); return true;
    default: return Dialog::OnButtonClicked(id);
  }
}

bool CSorvanDlg::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->idFrom != IDC_FILE_LIST) return false;
  if (header->code == NM_CLICK) {
    OnRowClick();
    result = 0;
    return true;
  }
  if (header->code == LVN_GETINFOTIPW) {
    FillReasonTip(m_wndFileList, *reinterpret_cast<NMLVGETINFOTIPW*>(header));
    result = 0;
    return true;
  }
  if (header->code == NM_CUSTOMDRAW) {
    result = DrawRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    return true;
  }
  return false;
}

void CSorvanDlg::OnAbout() {
  CAboutDlg about(m_hWnd, *m_pShell);
  about.DoModal();
}

void CSorvanDlg::OnOnlineHelp() {
  m_pShell->Execute(nullptr, HelpPageAddress().c_str(), SW_SHOWNORMAL);
}

void CSorvanDlg::SetShellAccess(ShellAccess& shell) {
  m_pShell = &shell;
  m_wndSiteLink.SetShellAccess(shell);
}

void CSorvanDlg::OnClearList() {
  if (m_run.IsRunning()) return;  // the rows a run started with stay in place
  m_fill.Cancel();
  m_wndFileList.DeleteAllItems();
}

void CSorvanDlg::OnRowClick() {
  int row = m_wndFileList.GetSelectionMark();
  if (row == -1) return;
  ShowFileAndSize(m_wndFileList.GetItemText(row, 0, 255));
  UpdateData(false);
}

// The hidden path and size fields of a clicked or browsed file.
void CSorvanDlg::ShowFileAndSize(const std::string& path) {
  m_strFilePath = path;
  std::string size = std::to_string(QueryFileLength(path));
  SetItemText(IDC_FILE_SIZE, std::wstring(size.begin(), size.end()));
}

void CSorvanDlg::OnBrowse() {
  wchar_t path[MAX_PATH * 4] = L"";
  OPENFILENAMEW choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = m_hWnd;
  choice.lpstrFile = path;
  choice.nMaxFile = MAX_PATH * 4;
  choice.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetOpenFileNameW(&choice)) return;
  ShowFileAndSize(path_text::FromWide(path));
  m_strPassword.clear();
  m_strConfirm.clear();
  UpdateData(false);
}

// No OK or Cancel button exists; Enter and Escape are kept from the dialog
// manager, so IDOK can come only from a message sent to the window.
void CSorvanDlg::OnOK() {}

// Closing during a run asks the run to stop and waits for its worker while
// serving the messages it posts, so it never outlives the window.
void CSorvanDlg::OnCancel() {
  if (m_bClosing) return;
  m_bClosing = true;
  m_bEnding = true;
  if (m_onClosing) m_onClosing();
  m_fill.Cancel();
  m_run.StopAndWait([this] { return PumpMessage(); });
  m_bClosing = false;
  EndDialog(IDCANCEL);
}

void CSorvanDlg::OnEncryptFiles() {
  RunCommand(RunKind::Encrypt, IDC_ENCRYPT, IDS_EMPTY_LIST_ENCRYPT, IDS_ENCRYPT_FAILED);
}

void CSorvanDlg::OnDecryptFiles() {
  RunCommand(RunKind::Decrypt, IDC_DECRYPT, IDS_EMPTY_LIST_DECRYPT, IDS_DECRYPT_FAILED);
}

void CSorvanDlg::Notice(UINT textId) {
  MessageBoxW(m_hWnd, LoadText(textId).c_str(), LoadText(IDS_NOTICE_CAPTION).c_str(), MB_OK);
  FocusAfterCommand();
}

void CSorvanDlg::ShowRunFacts() {
  m_run.ShowFacts();
  if (m_run.IsRunning()) return;
  FocusAfterCommand();
  AddPathsKept();
}

// A button that is disabled while it has the focus, or under a box, leaves
// the focus nowhere, and Tab then moves nothing: the focus goes back.
void CSorvanDlg::FocusAfterCommand() {
  if (!m_nFocusAfterCommand) return;
  HWND focus = GetFocus();
  if (!focus || !IsWindowEnabled(focus) || focus == m_hWnd) FocusItem(m_nFocusAfterCommand);
  m_nFocusAfterCommand = 0;
}

// The rows' paths as the run will take them: rows stay in place while it
// works (drops are refused and clearing does nothing meanwhile).
std::vector<std::string> CSorvanDlg::RowPaths(int count) {
  std::vector<std::string> paths;
  for (int row = 0; row < count; ++row) paths.push_back(m_wndFileList.GetItemText(row, 0));
  return paths;
}

// The rows are reset before the password checks, and an empty list is
// reported before anything about the password.
void CSorvanDlg::RunCommand(RunKind kind, int button, UINT emptyListText, UINT startFailedText) {
  // A click taken from the queue while the window closes starts nothing.
  if (m_bClosing || m_run.IsRunning()) return;
  m_fill.Finish();  // the run takes every row dropped before the press
  m_nFocusAfterCommand = GetFocus() == Item(button) ? button : IDC_PASSWORD;
  m_wndProgress.SetRange(0, 100);
  m_nRowCount = m_wndFileList.GetItemCount();
  if (m_nRowCount == 0) return Notice(emptyListText);
  ResetRows(m_wndFileList);
  UpdateData(true);
  if (m_strPassword.empty()) return Notice(IDS_NO_PASSWORD);
  if (m_strConfirm.empty()) return Notice(IDS_NO_CONFIRMATION);
  if (m_strPassword != m_strConfirm) return Notice(IDS_PASSWORD_MISMATCH);
  m_nKey = DeriveKey(m_strPassword);
  // The run turns both buttons off before its worker exists and on again
  // when it ends or cannot start.
  if (!m_run.Start(kind, RowPaths(m_nRowCount), m_nKey)) Notice(startFailedText);
}
