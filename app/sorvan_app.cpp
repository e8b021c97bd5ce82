#include "sorvan_app.h"

#include <commctrl.h>
#include <stdlib.h>

#include "command_line.h"
#include "executable_location.h"
#include "resource.h"
#include "shell_registration.h"
#include "sorvan_dlg.h"
#include "web_panel/web_browser2.h"
#include "win32_classes_registry.h"

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

std::vector<std::string> Arguments() {
  // The run-time library's argument vector, split by its quoting rules.
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.push_back(__argv[i]);
  return arguments;
}

}  // namespace

BOOL CSorvanApp::InitInstance() {
  // Hosting of embedded controls: the web panel's browser.
  InitWebPanelHosting();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterShellFileTypes();
  m_strCommandLineFile = CommandLineFile(Arguments());
  {
    CSorvanDlg dialog;
    dialog.DoModal();
  }
  // False: the program ends without a message loop of its own.
  return FALSE;
}

int CSorvanApp::ExitInstance() { return WinApp::ExitInstance(); }
