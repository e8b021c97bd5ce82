#include "ui/link_label.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/address_opening.h"
#include "ui/win32/data_exchange.h"

CLinkLabel::CLinkLabel(ShellAccess& shell) : m_pShell(&shell) {}

CLinkLabel::~CLinkLabel() {
  if (m_hWnd) {
    KillTimer(m_hWnd, m_nTimerId);
    Detach();
  }
  DestroyToolTip();
  if (m_hUnderlineFont) DeleteObject(m_hUnderlineFont);
  if (m_hPlainFont) DeleteObject(m_hPlainFont);
  if (m_bOwnsCursor) DestroyCursor(m_hHandCursor);
}

void CLinkLabel::PreSubclassWindow() {
  // Without SS_NOTIFY a static is transparent to the mouse and never
  // reports a click.
  SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) | SS_NOTIFY);
  std::string text = GetItemTextA(GetParent(m_hWnd), GetDlgCtrlID(m_hWnd));
  if (m_strTarget.empty()) m_strTarget = text;
  if (text.empty()) SetWindowTextA(m_hWnd, m_strTarget.c_str());
  CreateFonts();
  FitToText();
  LoadHandCursor();
  SetUnderlineMode(UNDERLINE_ON_HOVER);
  CreateToolTip();
}

void CLinkLabel::CreateFonts() {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!font) font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  LOGFONTW description = {};
  GetObjectW(font, sizeof description, &description);
  m_hPlainFont = CreateFontIndirectW(&description);
  description.lfUnderline = 1;
  m_hUnderlineFont = CreateFontIndirectW(&description);
}

void CLinkLabel::FitToText() {
  if (!m_hWnd || !m_bFitToText) return;
  HWND parent = GetParent(m_hWnd);
  RECT window, client;
  GetWindowRect(m_hWnd, &window);
  GetClientRect(m_hWnd, &client);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
  int windowWidth = window.right - window.left, windowHeight = window.bottom - window.top;

  int length = GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, &text[0], length + 1)));
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, m_hUnderlineFont);
  SIZE extent = {0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);

  int neededWidth = extent.cx + (windowWidth - client.right);
  int neededHeight = extent.cy + (windowHeight - client.bottom);
  LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
  if (style & SS_CENTERIMAGE) {
    int inset = (windowHeight - neededHeight) / 2;
    window.top += inset;
    window.bottom -= inset;
  } else {
    window.bottom = window.top + neededHeight;
  }
  if ((style & SS_TYPEMASK) == SS_CENTER) {
    int inset = (windowWidth - neededWidth) / 2;
    window.left += inset;
    window.right -= inset;
  } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
    window.left = window.right - neededWidth;
  } else {
    window.right = window.left + neededWidth;
  }
  SetWindowPos(m_hWnd, nullptr, window.left, window.top, window.right - window.left,
               window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system's hand; the old help program's cursor only where there is none.
void CLinkLabel::LoadHandCursor() {
  if (m_hHandCursor) return;
  m_hHandCursor = LoadCursorA(nullptr, IDC_HAND);
  if (m_hHandCursor) return;
  char path[MAX_PATH + 16] = "";
  UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  lstrcatA(path, "\\winhlp32.exe");
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return;
  HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(106));
  if (cursor) {
    m_hHandCursor = CopyCursor(cursor);
    m_bOwnsCursor = m_hHandCursor != nullptr;
  }
  FreeLibrary(module);
}

// The tip has no owner: under Wine a topmost popup owned by the dialog keeps
// the dialog itself from becoming topmost later. The label's destruction
// takes the tip with it instead.
void CLinkLabel::CreateToolTip() {
  m_hToolTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!m_hToolTip) return;
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = m_hWnd;
  tool.uId = 1;
  GetClientRect(m_hWnd, &tool.rect);
  tool.lpszText = const_cast<char*>(m_strTarget.c_str());
  SendMessageA(m_hToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CLinkLabel::DestroyToolTip() {
  if (m_hToolTip) DestroyWindow(m_hToolTip);
  m_hToolTip = nullptr;
}

void CLinkLabel::RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hToolTip) return;
  DWORD at = GetMessagePos();
  MSG msg = {m_hWnd, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()),
             {GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
  SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CLinkLabel::SetUnderlineMode(int mode) {
  if (mode == m_nUnderline) return;
  if (m_hWnd) {
    HFONT font = mode == UNDERLINE_ALWAYS ? m_hUnderlineFont : m_hPlainFont;
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
  }
  m_nUnderline = mode;
}

void CLinkLabel::MarkVisited(bool visited) {
  m_bVisited = visited;
  if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
}

COLORREF CLinkLabel::TextColour() const {
  if (m_bOver) return m_crHover;
  return m_bVisited ? m_crVisited : m_crLink;
}

void CLinkLabel::OnMouseMove() {
  if (m_bOver) return;
  m_bOver = true;
  if (m_nUnderline == UNDERLINE_ON_HOVER)
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hUnderlineFont), TRUE);
  InvalidateRect(m_hWnd, nullptr, TRUE);
  SetTimer(m_hWnd, m_nTimerId, 100, nullptr);
}

// No message tells a static that the pointer has left it, so a timer looks.
void CLinkLabel::OnHoverTimer() {
  DWORD at = GetMessagePos();
  POINT pointer = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ScreenToClient(m_hWnd, &pointer);
  RECT client;
  GetClientRect(m_hWnd, &client);
  if (PtInRect(&client, pointer)) return;
  m_bOver = false;
  KillTimer(m_hWnd, m_nTimerId);
  if (m_nUnderline != UNDERLINE_ALWAYS)
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hPlainFont), TRUE);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

// The visited state only grows: a failed open later keeps the colour.
void CLinkLabel::OnClicked() {
  m_bOver = false;
  INT_PTR code = OpenAddress(*m_pShell, m_strTarget, SW_SHOW);
  if (code > 32) {
    MarkVisited(true);
    return;
  }
  MessageBeep(MB_ICONEXCLAMATION);
  ShowOpenFailure(GetAncestor(m_hWnd, GA_ROOT), code);
}

LRESULT CLinkLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) RelayToToolTip(message, wParam, lParam);
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove();
      break;
    case WM_TIMER:
      if (wParam == m_nTimerId) OnHoverTimer();
      break;
    case WM_SETCURSOR:
      if (!m_hHandCursor) return FALSE;
      SetCursor(m_hHandCursor);
      return TRUE;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(m_hWnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_DESTROY:
      KillTimer(m_hWnd, m_nTimerId);
      DestroyToolTip();
      break;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

bool CLinkLabel::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message == WM_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, TextColour());
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
    OnClicked();
    result = 0;
    return true;
  }
  return false;
}
