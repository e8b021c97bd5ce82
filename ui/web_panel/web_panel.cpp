#include "web_panel/web_panel.h"

#include "resource.h"

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
  RECT rect = {28, 291, 28 + 407, 291 + 54};
  MapDialogRect(dialog, &rect);
  // The panel's place in the tab order is the template's: after the
  // maker's name, before the contact line, which is the last control.
  HWND contact = GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDLAST);
  HWND maker = contact ? GetWindow(contact, GW_HWNDPREV) : nullptr;
  if (!platform.createBrowser(browser, dialog, rect)) return false;
  if (maker)
    SetWindowPos(browser.GetSafeHwnd(), maker, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  if (IUnknown* control = browser.GetControlUnknown()) {
    handler.Connect(control);
    control->Release();
  }
  browser.Navigate(ChoosePageAddress(platform.isNetworkAlive, ExecutablePathA()));
  return true;
}
