#include "ui/win32/win_app.h"

namespace {
WinApp* g_application = nullptr;
}

WinApp::WinApp() { g_application = this; }

WinApp::~WinApp() {
  if (g_application == this) g_application = nullptr;
}

int WinApp::ExitInstance() { return 0; }

WinApp* AfxGetApp() { return g_application; }

int RunApplication() {
  WinApp* app = AfxGetApp();
  if (!app) return 1;
  app->InitInstance();
  // No message loop follows: the main dialog ran its own inside InitInstance.
  return app->ExitInstance();
}
