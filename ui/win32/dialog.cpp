#include "ui/win32/dialog.h"

#include "ui/win32/control.h"

namespace {

// Messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

Dialog::Dialog(UINT templateId, HWND parent) : m_hParent(parent), m_nTemplateId(templateId) {}

Dialog::~Dialog() { DestroyWindowNow(); }

void Dialog::DestroyWindowNow() {
  if (!m_hWnd) return;
  HWND window = m_hWnd;
  DestroyWindow(window);
  m_hWnd = nullptr;
}

bool Dialog::Create() {
  m_bEnded = false;
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId),
                                   m_hParent, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  return window != nullptr;
}

INT_PTR Dialog::DoModal() {
  if (!Create()) return -1;
  // A template without WS_VISIBLE is shown by the modal run itself.
  if (m_hWnd && !m_bEnded && !IsWindowVisible(m_hWnd)) ShowWindow(m_hWnd, SW_SHOWNORMAL);
  bool ownerDisabled = m_hParent && !EnableWindow(m_hParent, FALSE);
  while (!m_bEnded) {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    Dispatch(msg);
  }
  if (ownerDisabled) EnableWindow(m_hParent, TRUE);
  DestroyWindowNow();
  return m_nResult;
}

bool Dialog::PumpMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  Dispatch(msg);
  return true;
}

void Dialog::Dispatch(MSG& msg) {
  if (PreTranslateMessage(&msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Dialog::EndDialog(INT_PTR result) {
  m_nResult = result;
  m_bEnded = true;
  if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
}

bool Dialog::UpdateData(bool saveAndValidate) {
  if (!m_hWnd) return false;
  DataExchange dx(m_hWnd, saveAndValidate);
  DoDataExchange(dx);
  return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

BOOL Dialog::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  if (!m_hWnd || (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd))) return FALSE;
  return IsDialogMessageW(m_hWnd, msg);
}

void Dialog::CentreOnScreen() {
  RECT window, area;
  GetWindowRect(m_hWnd, &window);
  MONITORINFO info = {sizeof info, {}, {}, 0};
  if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info))
    area = info.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
  int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
  SetWindowPos(m_hWnd, nullptr, x < area.left ? area.left : x, y < area.top ? area.top : y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::CentreWindow() {
  HWND owner = GetWindow(m_hWnd, GW_OWNER);
  if (!owner || !IsWindowVisible(owner) || IsIconic(owner)) {
    CentreOnScreen();
    return;
  }
  RECT window, over;
  GetWindowRect(m_hWnd, &window);
  GetWindowRect(owner, &over);
  int x = over.left + ((over.right - over.left) - (window.right - window.left)) / 2;
  int y = over.top + ((over.bottom - over.top) - (window.bottom - window.top)) / 2;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// As the framework does: the bound members take the controls' texts first.
void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}
void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(WORD id, WORD code, HWND) {
  return code == BN_CLICKED && OnButtonClicked(id);
}

bool Dialog::OnButtonClicked(WORD id) {
  if (id == IDOK) OnOK();
  else if (id == IDCANCEL) OnCancel();
  else return false;
  return true;
}

bool Dialog::OnNotify(NMHDR*, LRESULT&) { return false; }

bool Dialog::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND from = nullptr;
  if (message == WM_COMMAND) from = reinterpret_cast<HWND>(lParam);
  else if (message == WM_NOTIFY) from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
  else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    from = reinterpret_cast<HWND>(lParam);
  Control* control = Control::FromHandle(from);
  return control && control->OnReflectedMessage(message, wParam, lParam, result);
}

bool Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (Reflect(message, wParam, lParam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      // A template at (0, 0) without a centring style would open in the
      // corner; the window is still hidden here, so it first shows centred.
      CentreWindow();
      return true;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
    case WM_CLOSE:
      OnCancel();
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->m_hWnd = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    return FALSE;
  }
  LRESULT result = 0;
  // An exception must not unwind through the system's frames: the message
  // counts as not handled, the dialog goes on, and a debugger hears of it.
  try {
    if (!self->OnMessage(message, wParam, lParam, result)) return FALSE;
  } catch (...) {
    OutputDebugStringA("sorvan: an exception reached a dialog procedure\n");
    return FALSE;
  }
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}
