#pragma once
#include <windows.h>

#include "ui/link_label.h"
#include "ui/shell_access.h"
#include "ui/win32/dialog.h"

// The About box: the product, its version, the maker with a link to the
// maker's site, and the legal notice. OK, Escape and the close box end it.
class CAboutDlg : public Dialog {
 public:
  explicit CAboutDlg(HWND parent, ShellAccess& shell = SystemShell());
  ~CAboutDlg() override;

  CLinkLabel m_wndSiteLink;

 protected:
  void DoDataExchange(DataExchange& dx) override;
};
