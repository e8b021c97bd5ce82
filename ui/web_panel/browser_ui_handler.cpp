#include "ui/web_panel/browser_ui_handler.h"

#include <ocidl.h>

#include "ui/web_panel/browser_ids.h"

using namespace browser_ids;

namespace {

// The browser's event connection point; null when any step fails.
IConnectionPoint* EventConnection(IWebBrowser2* browser) {
  IConnectionPointContainer* container = nullptr;
  if (FAILED(browser->QueryInterface(kIConnectionPointContainer,
                                     reinterpret_cast<void**>(&container))) ||
      !container)
    return nullptr;
  IConnectionPoint* point = nullptr;
  if (FAILED(container->FindConnectionPoint(kDWebBrowserEvents2, &point))) point = nullptr;
  container->Release();
  return point;
}

}  // namespace

// Leaving the browser unconnected, so that it cannot call a handler that
// is gone; the window that hosted it is already destroyed by then.
CBrowserUIHandler::~CBrowserUIHandler() { Disconnect(); }

void CBrowserUIHandler::Connect(IUnknown* control) {
  if (!control) return;
  IWebBrowser2* browser = nullptr;
  if (FAILED(control->QueryInterface(kIWebBrowser2, reinterpret_cast<void**>(&browser))) ||
      !browser)
    return;
  m_bShowBorder = FALSE;
  m_bShowScrollBars = FALSE;
  Disconnect();
  m_pBrowser = browser;
  m_pBrowser->AddRef();
  if (IConnectionPoint* point = EventConnection(m_pBrowser)) {
    point->Advise(EventSink(), &m_dwCookie);
    point->Release();
  }
  browser->Release();
}

void CBrowserUIHandler::Disconnect() {
  if (!m_pBrowser) return;
  if (IConnectionPoint* point = EventConnection(m_pBrowser)) {
    point->Unadvise(m_dwCookie);
    point->Release();
  }
  m_dwCookie = 0;
  m_pBrowser->Release();
  m_pBrowser = nullptr;
}

STDMETHODIMP CBrowserUIHandler::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, kDWebBrowserEvents2) || IsEqualIID(iid, kIDispatch)) {
    *object = EventSink();
  } else if (IsEqualIID(iid, kIDocHostUIHandler) || IsEqualIID(iid, kIUnknown)) {
    *object = HostHandler();
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CBrowserUIHandler::AddRef() { return static_cast<ULONG>(++m_cRef); }
STDMETHODIMP_(ULONG) CBrowserUIHandler::Release() { return static_cast<ULONG>(--m_cRef); }

STDMETHODIMP CBrowserUIHandler::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

// Only NavigateComplete2 is acted on; every other event keeps the browser's
// own behaviour. Its first declared argument comes last in the block.
STDMETHODIMP CBrowserUIHandler::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                       EXCEPINFO*, UINT*) {
  if (!params) return E_INVALIDARG;
  if (id != kNavigateComplete2) return S_OK;
  if (params->cArgs < 2 || !params->rgvarg || V_VT(&params->rgvarg[1]) != VT_DISPATCH)
    return E_INVALIDARG;
  if (IDispatch* navigated = V_DISPATCH(&params->rgvarg[1])) InstallOnDocument(navigated);
  return S_OK;
}

void CBrowserUIHandler::InstallOnDocument(IDispatch* navigated) {
  IWebBrowser2* browser = nullptr;
  if (FAILED(navigated->QueryInterface(kIWebBrowser2, reinterpret_cast<void**>(&browser))) ||
      !browser)
    return;
  IDispatch* document = nullptr;
  if (SUCCEEDED(browser->get_Document(&document)) && document) {
    ICustomDoc* custom = nullptr;
    if (SUCCEEDED(document->QueryInterface(kICustomDoc, reinterpret_cast<void**>(&custom))) &&
        custom) {
      custom->SetUIHandler(HostHandler());
      custom->Release();
    }
    document->Release();
  }
  browser->Release();
}

STDMETHODIMP CBrowserUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  return S_OK;
}

STDMETHODIMP CBrowserUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return S_OK;
  if (!m_bShowBorder) info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER;
  if (!m_bShowScrollBars) info->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
  if (!m_bRunScriptInactive) info->dwFlags |= DOCHOSTUIFLAG_DISABLE_SCRIPT_INACTIVE;
  return S_OK;
}

// The rest leave the browser's defaults. Out pointers are cleared, so a
// caller that reads them despite the failure finds nothing.
STDMETHODIMP CBrowserUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                       IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::HideUI() { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CBrowserUIHandler::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::GetDropTarget(IDropTarget*, IDropTarget** used) {
  if (used) *used = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP CBrowserUIHandler::FilterDataObject(IDataObject*, IDataObject** used) {
  if (used) *used = nullptr;
  return E_NOTIMPL;
}
