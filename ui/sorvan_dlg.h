#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/file_drop_list.h"
#include "ui/link_label.h"
#include "ui/row_fill.h"
#include "ui/run_controller.h"
#include "ui/shell_access.h"
#include "ui/taskbar_button.h"
#include "ui/win32/dialog.h"
#include "ui/win32/image_list.h"
#include "ui/win32/progress_bar.h"
#include "ui/web_panel/web_panel.h"

// The main window: the file list, the password entries, the commands and
// the progress bar that the runs drive. Everything else sees it through its
// window and controls.
class CSorvanDlg : public Dialog {
 public:
  explicit CSorvanDlg(HWND parent = nullptr);
  ~CSorvanDlg() override;

  // How the commands start their worker; the thread start by default.
  void SetWorkerStarter(WorkerStarter starter) { m_run.SetWorkerStarter(starter); }
  // The file layer the runs use; the native one by default.
  void SetFileSystem(FileSystem& fileSystem) { m_run.SetFileSystem(fileSystem); }
  // Where the links and the help button open addresses; the shell by default.
  void SetShellAccess(ShellAccess& shell);
  // How the web panel makes its browser and tests the network; before Create.
  void SetWebPanelPlatform(const WebPanelPlatform& platform) { m_webPanel = platform; }
  // Where a run's share of bytes shows; the window's taskbar button by
  // default. Before Create.
  void SetTaskbarButton(TaskbarButton& button) { m_run.SetTaskbarButton(button); }
  // How a drop's listing steps keep to their time; the tick count by default.
  void SetListingClock(RowFill::Clock clock) { m_fill.SetClock(std::move(clock)); }
  // From a drop until its last row is in place.
  bool IsFillingList() const { return m_fill.IsFilling(); }

  // Paths put on the list as a drop puts them; during a run they wait for
  // its end (a drop then is refused, but these were asked for elsewhere).
  void AddPaths(const std::vector<std::string>& paths);
  // Paths the list starts with: those of "sorvan.exe /add".
  void SetPathsOnOpen(std::vector<std::string> paths) { m_pathsToAdd = std::move(paths); }
  // Told once the window stands and as soon as it starts closing, so that
  // other processes of the program hand their paths to it only meanwhile.
  void SetPresenceHooks(std::function<void(HWND)> opened, std::function<void()> closing);

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnButtonClicked(WORD id) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void AddAboutMenuItem();
  bool OnSysCommand(UINT id);
  void OnAbout();
  void OnOnlineHelp();
  void OnBrowse();
  void OnClearList();
  void OnRowClick();
  void ShowFileAndSize(const std::string& path);
  void OnEncryptFiles();
  void OnDecryptFiles();
  void RunCommand(RunKind kind, int button, UINT emptyListText, UINT startFailedText);
  std::vector<std::string> RowPaths(int count);
  void Notice(UINT textId);
  void ShowRunFacts();
  void FocusAfterCommand();
  bool OnPathsHandedOver(const COPYDATASTRUCT& data);
  void AddPathsKept();

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
  HICON m_hSmallIcon = nullptr;

  RunController m_run;
  RowFill m_fill;
  bool m_bClosing = false;
  // Paths asked for before the window stood or while a run worked.
  std::vector<std::string> m_pathsToAdd;
  // From the first step of closing on, handed paths are refused.
  bool m_bEnding = false;
  std::function<void(HWND)> m_onOpened;
  std::function<void()> m_onClosing;
  // Where the focus goes once a command is done: the button that gave it,
  // or the first password entry when the focus was nowhere.
  int m_nFocusAfterCommand = 0;
  ShellAccess* m_pShell = &SystemShell();
  WebPanelPlatform m_webPanel = SystemWebPanel();
};
