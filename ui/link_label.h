#pragma once
#include <windows.h>

#include <string>

#include "ui/shell_access.h"
#include "ui/win32/control.h"

// A static text of a dialog template shown as a hyperlink: link colours, an
// underline while hovered, the hand cursor, a tooltip naming the target, and
// a click that opens the target through the shell (or the browser that is
// registered for ".htm" files when the shell cannot).
class CLinkLabel : public Control {
 public:
  enum { UNDERLINE_NEVER = 0, UNDERLINE_ALWAYS = 1, UNDERLINE_ON_HOVER = -1 };

  explicit CLinkLabel(ShellAccess& shell = SystemShell());
  ~CLinkLabel() override;

  // Before attaching; an empty target takes the window's text.
  void SetTarget(const std::string& target) { m_strTarget = target; }
  void SetShellAccess(ShellAccess& shell) { m_pShell = &shell; }

  void FitToText();
  void SetUnderlineMode(int mode);
  void MarkVisited(bool visited);


  const std::string& GetTarget() const { return m_strTarget; }
  bool IsHovering() const { return m_bOver; }
  bool IsVisited() const { return m_bVisited; }
  int GetUnderlineMode() const { return m_nUnderline; }
  COLORREF TextColour() const;
  HCURSOR GetHandCursor() const { return m_hHandCursor; }
  HWND GetToolTip() const { return m_hToolTip; }

 protected:
  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void CreateFonts();
  void LoadHandCursor();
  void CreateToolTip();
  void DestroyToolTip();
  void RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMouseMove();
  void OnHoverTimer();
  void OnClicked();

  COLORREF m_crLink = RGB(0, 0, 238);
  COLORREF m_crVisited = RGB(85, 26, 139);
  COLORREF m_crHover = RGB(255, 0, 0);
  bool m_bOver = false;
  bool m_bVisited = false;
  int m_nUnderline = UNDERLINE_ON_HOVER;
  bool m_bFitToText = true;
  std::string m_strTarget;
  HFONT m_hUnderlineFont = nullptr;
  HFONT m_hPlainFont = nullptr;
  HCURSOR m_hHandCursor = nullptr;
  bool m_bOwnsCursor = false;
  HWND m_hToolTip = nullptr;
  UINT_PTR m_nTimerId = 100;
  ShellAccess* m_pShell;
};
