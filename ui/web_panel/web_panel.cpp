#include "ui/web_panel/web_panel.h"

#include "res/resource.h"

WebPanelPlatform SystemWebPanel() {
  WebPanelPlatform platform;
  platform.createBrowser = [](CWebBrowser2& browser, HWND dialog, const RECT& rect) {
    return browser.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, dialog, IDC_WEB_PANEL);
  };
  platform.isNetworkAlive = &SystemIsNetworkAlive;
  return platform;
}

bool SetUpWebPanel(HWND dialog, CWebBrowser2& browser, CBrowserUIHandler& handler,
                   const WebPanelPlatform& platform) {
  // The template's placeholder gives the panel its rectangle and its place
  // in the tab order, then makes way for it.
  HWND place = GetDlgItem(dialog, IDC_WEB_PANEL_PLACE);
  if (!place) return false;
  RECT rect;
  GetWindowRect(place, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  HWND before = GetWindow(place, GW_HWNDPREV);
  DestroyWindow(place);
  if (!platform.createBrowser(browser, dialog, rect)) return false;
  SetWindowPos(browser.GetSafeHwnd(), before ? before : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  if (IUnknown* control = browser.GetControlUnknown()) {
    handler.Connect(control);
    control->Release();
  }
  browser.Navigate(ChoosePageAddress(platform.isNetworkAlive, ExecutablePathA()));
  return true;
}
