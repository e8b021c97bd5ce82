#include "app/sorvan_app.h"

#include <commctrl.h>
#include <stdlib.h>

#include "platform/ansi_text.h"
#include "app/command_line.h"
#include "app/executable_location.h"
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
  std::vector<std::string> arguments = ansi_text::CommandLineArguments();
  if (!arguments.empty()) arguments.erase(arguments.begin());
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
  // A file named on the command line is asked for its password first; a
  // decryption and a cancel end the program there, and only the prompt's
  // plain OK goes on to the main window.
  if (!m_strCommandLineFile.empty()) {
    CPasswordDlg prompt(m_strCommandLineFile);
    if (prompt.DoModal() != IDOK) return FALSE;
  }
  {
    CSorvanDlg dialog;
    dialog.DoModal();
  }
  // False: the program ends without a message loop of its own.
  return FALSE;
}

int CSorvanApp::ExitInstance() { return WinApp::ExitInstance(); }
