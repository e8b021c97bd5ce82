#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>

// The web panel's companion: it hears the browser's events and, after every
// completed navigation, installs itself as the new document's host handler,
// which asks for no border, no scroll bars and no context menu. The browser
// reaches it through COM, but it is a member of the window that owns the
// panel: its count serves the browser's bookkeeping and never frees it.
class CBrowserUIHandler : public DWebBrowserEvents2, public IDocHostUIHandler {
 public:
  CBrowserUIHandler() = default;
  virtual ~CBrowserUIHandler();
  CBrowserUIHandler(const CBrowserUIHandler&) = delete;
  CBrowserUIHandler& operator=(const CBrowserUIHandler&) = delete;

  // Connects to the browser behind the hosted control, once per set-up.
  void Connect(IUnknown* control);
  void Disconnect();

  IDispatch* EventSink() { return static_cast<DWebBrowserEvents2*>(this); }
  IDocHostUIHandler* HostHandler() { return static_cast<IDocHostUIHandler*>(this); }

  // IUnknown, shared by both interfaces.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, serving DWebBrowserEvents2.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IDocHostUIHandler.
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* at, IUnknown* target, IDispatch* object) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* offered, IDropTarget** used) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR in, LPWSTR* out) override;
  STDMETHODIMP FilterDataObject(IDataObject* offered, IDataObject** used) override;

 private:
  void InstallOnDocument(IDispatch* navigated);

  LONG m_cRef = 0;
  IWebBrowser2* m_pBrowser = nullptr;
  DWORD m_dwCookie = 0;
  BOOL m_bShowBorder = TRUE;
  BOOL m_bShowScrollBars = TRUE;
  BOOL m_bRunScriptInactive = TRUE;
};
