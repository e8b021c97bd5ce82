#pragma once
#include <windows.h>

#include <functional>

#include "ui/web_panel/browser_ui_handler.h"
#include "ui/web_panel/page_address.h"
#include "ui/web_panel/web_browser2.h"

// What the panel asks of the platform; tests replace either part.
struct WebPanelPlatform {
  std::function<bool(CWebBrowser2& browser, HWND dialog, const RECT& rect)> createBrowser;
  NetworkProbe isNetworkAlive;
};

// The browser control hosted by atl.dll and the sensapi network test.
WebPanelPlatform SystemWebPanel();

// Creates the panel as control 1035 of the main dialog, connects the
// handler, chooses the page and navigates to it. Without a browser the
// dialog keeps an empty strip and false is returned.
bool SetUpWebPanel(HWND dialog, CWebBrowser2& browser, CBrowserUIHandler& handler,
                   const WebPanelPlatform& platform);
