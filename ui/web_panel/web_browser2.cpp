#include "ui/web_panel/web_browser2.h"

#include <exdisp.h>
#include <oleauto.h>

#include <string>

#include "platform/path_text.h"
#include "platform/system_library.h"
#include "ui/web_panel/browser_ids.h"

namespace {

using AtlAxWinInitProc = BOOL(WINAPI*)();
using AtlAxGetControlProc = HRESULT(WINAPI*)(HWND, IUnknown**);

// atl.dll's host class: a window whose text names the control it creates.
const wchar_t kHostClass[] = L"AtlAxWin";

AtlAxGetControlProc g_getControl = nullptr;

}  // namespace

bool InitWebPanelHosting() {
  if (g_getControl) return true;
  HMODULE atl = system_library::Load(L"atl.dll");
  if (!atl) return false;
  auto init = reinterpret_cast<AtlAxWinInitProc>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto getControl = reinterpret_cast<AtlAxGetControlProc>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  // The module stays loaded: the host class's procedure lives in it.
  if (!init || !getControl || !init()) return false;
  g_getControl = getControl;
  return true;
}

bool CWebBrowser2::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  if (!InitWebPanelHosting()) return false;
  HWND window = CreateWindowExW(0, kHostClass, browser_ids::kWebBrowserClassId, style, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  IUnknown* control = nullptr;
  if (FAILED(g_getControl(window, &control)) || !control || !Attach(window)) {
    if (control) control->Release();
    DestroyWindow(window);
    return false;
  }
  control->Release();
  return true;
}

IUnknown* CWebBrowser2::GetControlUnknown() const {
  IUnknown* control = nullptr;
  if (!m_hWnd || !g_getControl || FAILED(g_getControl(m_hWnd, &control))) return nullptr;
  return control;
}

void CWebBrowser2::Navigate(const std::string& address) {
  IUnknown* control = GetControlUnknown();
  if (!control) return;
  IWebBrowser2* browser = nullptr;
  if (SUCCEEDED(control->QueryInterface(browser_ids::kIWebBrowser2,
                                        reinterpret_cast<void**>(&browser))) &&
      browser) {
    std::wstring wide = path_text::ToWide(address);
    BSTR url = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    VARIANT absent;
    VariantInit(&absent);
    if (url) browser->Navigate(url, &absent, &absent, &absent, &absent);
    SysFreeString(url);
    browser->Release();
  }
  control->Release();
}
