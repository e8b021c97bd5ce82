#include "ui/about_dlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(HWND parent, ShellAccess& shell)
    : Dialog(IDD_ABOUTBOX, parent), m_wndSiteLink(shell) {}

// The window goes before the label that draws with its fonts.
CAboutDlg::~CAboutDlg() { DestroyWindowNow(); }

void CAboutDlg::DoDataExchange(DataExchange& dx) { dx.Bind(IDC_ABOUT_SITE_LINK, m_wndSiteLink); }
