#pragma once
#include <string>

#include "ui/win32/win_app.h"

// The application: registers ".p6k" with the shell on every start, keeps the
// file named on the command line, and runs the main window.
class CSorvanApp : public WinApp {
 public:
  CSorvanApp() = default;

  BOOL InitInstance() override;
  int ExitInstance() override;

  // The file to decrypt, exactly as it arrived; empty when none was named.
  std::string m_strCommandLineFile;
};
