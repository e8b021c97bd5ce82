#pragma once
#include <windows.h>

#include <string>

#include "ui/win32/data_exchange.h"

// A dialog on a template of the program's resources. One static procedure
// forwards every message to OnMessage, which reflects notifications to the
// controls that sent them and calls the handlers below; nothing thrown in a
// handler crosses it into the system's code. DoModal runs the dialog's own
// message loop, so PreTranslateMessage sees every message before the dialog
// manager does.
class Dialog {
 public:
  Dialog(UINT templateId, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  INT_PTR DoModal();
  // The window without its loop: its owner then feeds it with PumpMessage.
  bool Create();
  // Takes one message of the thread's queue through the dialog's
  // translation; false when the queue is empty.
  bool PumpMessage();
  bool HasEnded() const { return m_bEnded; }
  INT_PTR Result() const { return m_nResult; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  void EndDialog(INT_PTR result);
  bool UpdateData(bool saveAndValidate = true);

  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
  void SetItemText(int id, const std::wstring& text) { SetDlgItemTextW(m_hWnd, id, text.c_str()); }
  // Moves the focus as Tab does, so that a push button getting it becomes
  // the default button.
  void FocusItem(int id) { SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE); }

 protected:
  virtual void DoDataExchange(DataExchange& dx);
  virtual BOOL OnInitDialog();
  // True when the message was handled and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A command; a button's click goes on to OnButtonClicked.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  // OK and Cancel by default; true when the click was handled.
  virtual bool OnButtonClicked(WORD id);
  virtual bool OnNotify(NMHDR* header, LRESULT& result);
  virtual void OnOK();
  virtual void OnCancel();

  void DestroyWindowNow();
  void CentreOnScreen();
  // Over a visible owner that is not minimised, else on the screen.
  void CentreWindow();

  HWND m_hWnd = nullptr;
  HWND m_hParent;
  UINT m_nTemplateId;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Dispatch(MSG& msg);

  bool m_bEnded = false;
  INT_PTR m_nResult = IDCANCEL;
};
