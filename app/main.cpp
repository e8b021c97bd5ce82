// The program's entry: the common controls of the manifest, then the main
// window, run modally on this thread until it closes.
#include <windows.h>
#include <commctrl.h>

#include "sorvan_dlg.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CSorvanDlg dialog;
  dialog.DoModal();
  return 0;
}
