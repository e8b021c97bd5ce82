#pragma once
#include <windows.h>

// The one application object of the program: constructed before WinMain,
// it runs the program from InitInstance, and ExitInstance's result becomes
// the exit code.
class WinApp {
 public:
  WinApp();
  virtual ~WinApp();
  WinApp(const WinApp&) = delete;
  WinApp& operator=(const WinApp&) = delete;

  // False ends the program without a message loop (a dialog-based program
  // runs its dialog inside and always answers false).
  virtual BOOL InitInstance() = 0;
  virtual int ExitInstance();
};

// The application object, or null in a program that has none (the tests).
WinApp* AfxGetApp();

// Runs the application object: InitInstance, then ExitInstance's exit code.
int RunApplication();
