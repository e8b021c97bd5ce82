#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "file_drop_list.h"
#include "link_label.h"
#include "run_controller.h"
#include "shell_access.h"
#include "win32/control.h"
#include "win32/dialog.h"
#include "win32/image_list.h"
#include "win32/progress_bar.h"
#include "web_panel/web_panel.h"

// The main window: the file list, the password entries, the commands and
// the progress bar that the runs drive.
class CSorvanDlg : public Dialog {
 public:
  explicit CSorvanDlg(HWND parent = nullptr);
  ~CSorvanDlg() override;

  // True while a batch run works on the rows.
  bool IsRunning() const;
  // How the commands start their worker; the thread start by default.
  void SetWorkerStarter(WorkerStarter starter) { m_run.SetWorkerStarter(starter); }
  // The file layer the runs use; the native one by default.
  void SetFileSystem(FileSystem& fileSystem) { m_run.SetFileSystem(fileSystem); }
  // Where the links and the help button open addresses; the shell by default.
  void SetShellAccess(ShellAccess& shell);
  // How the web panel makes its browser and tests the network; before Create.
  void SetWebPanelPlatform(const WebPanelPlatform& platform) { m_webPanel = platform; }

  std::uint8_t m_nKey = 0;
  CLinkLabel m_wndSiteLink;
  CFileDropList m_wndFileList;
  ProgressBar m_wndProgress;
  std::string m_strFilePath;
  std::string m_strPassword;
  std::string m_strConfirm;
  CWebBrowser2 m_wndBrowser;
  int m_nRowCount = 0;
  CBrowserUIHandler m_browserHandler;
  ImageList m_imageList;
  HICON m_hIcon = nullptr;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void AddAboutMenuItem();
  void RunPasswordPrompt();
  bool OnSysCommand(UINT id);
  void OnAbout();
  void OnOnlineHelp();
  void OnBrowse();
  void OnClearList();
  void OnRowClick();
  void ShowFileAndSize(const std::string& path);
  void OnEncryptFiles();
  void OnDecryptFiles();
  void RunCommand(RunKind kind, UINT emptyListText, UINT startFailedText);
  std::vector<std::string> RowPaths(int count);
  void Notice(UINT textId);

  RunController m_run;
  bool m_bClosing = false;
  ShellAccess* m_pShell = &SystemShell();
  WebPanelPlatform m_webPanel = SystemWebPanel();
};

