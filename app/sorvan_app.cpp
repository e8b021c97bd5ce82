#include "app/sorvan_app.h"

#include <commctrl.h>
#include <stdlib.h>

#include "platform/path_text.h"
#include "app/command_line.h"
#include "app/executable_location.h"
#include "app/main_window_claim.h"
#include "ui/password_dlg.h"
#include "res/resource.h"
#include "app/shell_registration.h"
#include "ui/sorvan_dlg.h"
#include "ui/web_panel/web_browser2.h"
#include "app/win32_classes_registry.h"

namespace {

// The document string stays ANSI: its text is plain ASCII.
std::string LoadDocumentString() {
  char text[512] = "";
  int length = LoadStringA(GetModuleHandleA(nullptr), IDR_DOCUMENT, text, sizeof text);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

void RegisterShellFileTypes() {
  std::string exe = ShortExecutablePath();
  if (exe.empty()) return;
  Win32ClassesRegistry registry;
  RegisterShellFileTypes(SplitDocumentString(LoadDocumentString()), exe, HasIconAtIndex(exe, 1),
                         registry);
}

// The arguments after the program's name, split by the run-time library's
// quoting rules. They are read in UTF-16: the system's own narrowing would
// turn a name the code page cannot hold into a look-alike of another.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments = path_text::CommandLineArguments();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

// A path given on the command line as the list shows a dropped one: whole.
std::string WholePath(const std::string& path) {
  std::wstring wide = path_text::ToWide(path);
  if (wide.empty()) return path;
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring whole(length, L'\0');
  whole.resize(GetFullPathNameW(wide.c_str(), length, &whole[0], nullptr));
  return path_text::FromWide(whole);
}

// The main window; when it holds the claim, other processes of the program
// hand it their paths from the moment it stands until it starts closing.
void RunMainWindow(MainWindowClaim& claim, std::vector<std::string> paths) {
  CSorvanDlg dialog;
  dialog.SetPathsOnOpen(std::move(paths));
  if (claim.IsHeld())
    dialog.SetPresenceHooks([&claim](HWND window) { claim.Publish(window); },
                            [&claim] { claim.Withdraw(); });
  dialog.DoModal();
  claim.Release();
}

}  // namespace

BOOL CSorvanApp::InitInstance() {
  // Hosting of embedded controls: the web panel's browser.
  InitWebPanelHosting();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterShellFileTypes();
  std::vector<std::string> arguments = Arguments();
  MainWindowClaim claim;
  AddRequest add = CommandLineAdd(arguments);
  if (add.asked) {
    std::vector<std::string> paths;
    for (const std::string& path : add.paths) paths.push_back(WholePath(path));
    // Handed to the window that stands: this process's work is done.
    if (!TakeClaimOrHandOver(claim, paths)) return FALSE;
    RunMainWindow(claim, std::move(paths));
    return FALSE;
  }
  m_strCommandLineFile = CommandLineFile(arguments);
  // A file named on the command line is asked for its password first; a
  // decryption and a cancel end the program there, and only the prompt's
  // plain OK goes on to the main window.
  if (!m_strCommandLineFile.empty()) {
    CPasswordDlg prompt(m_strCommandLineFile);
    if (prompt.DoModal() != IDOK) return FALSE;
  }
  // A window opened while another stands is a second one, as it always was;
  // only the first takes paths from Explorer.
  claim.TryTake();
  RunMainWindow(claim, {});
  // False: the program ends without a message loop of its own.
  return FALSE;
}

int CSorvanApp::ExitInstance() { return WinApp::ExitInstance(); }
