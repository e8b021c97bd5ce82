#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>

#include <string>
#include <vector>

#include "tests/ui/fake_shell.h"
#include "res/resource.h"
#include "site.h"
#include "ui/sorvan_dlg.h"
#include "ui/web_panel/browser_ids.h"
#include "ui/web_panel/browser_ui_handler.h"
#include "ui/web_panel/page_address.h"

namespace {

using namespace browser_ids;

// An object that answers no interface but its own and notes what it was
// asked for.
class Stranger : public IDispatch {
 public:
  std::vector<IID> asked;
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    asked.push_back(iid);
    if (IsEqualIID(iid, kIUnknown) || IsEqualIID(iid, kIDispatch)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  bool WasAskedFor(const IID& iid) const {
    for (const IID& a : asked)
      if (IsEqualIID(a, iid)) return true;
    return false;
  }
};

// The handler's count as a caller sees it: what AddRef and Release return.
ULONG References(CBrowserUIHandler& handler) {
  handler.EventSink()->AddRef();
  return handler.EventSink()->Release();
}

DWORD HostFlags(CBrowserUIHandler& handler, DWORD browserFlags) {
  DOCHOSTUIINFO info = {sizeof info, browserFlags, DOCHOSTUIDBLCLK_DEFAULT, nullptr, nullptr};
  EXPECT_EQ(handler.HostHandler()->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
  return info.dwFlags;
}

TEST(BrowserUIHandler, QueryInterfaceGivesEachIdentifierItsInterface) {
  CBrowserUIHandler handler;
  void* first = handler.EventSink();
  void* second = handler.HostHandler();
  ASSERT_NE(first, second);
  struct Case {
    const char* name;
    IID iid;
    void* expected;
  } cases[] = {
      {"DWebBrowserEvents2", kDWebBrowserEvents2, first},
      {"IDispatch", kIDispatch, first},
      {"IDocHostUIHandler", kIDocHostUIHandler, second},
      {"IUnknown", kIUnknown, second},
  };
  // Through either interface, the same answers on the same count.
  IUnknown* entries[] = {handler.EventSink(), handler.HostHandler()};
  ULONG count = 0;
  for (IUnknown* entry : entries) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      void* object = nullptr;
      EXPECT_EQ(entry->QueryInterface(c.iid, &object), S_OK);
      EXPECT_EQ(object, c.expected);
      EXPECT_EQ(References(handler), ++count);
    }
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(entry->QueryInterface(kIWebBrowser2, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(References(handler), count);
  }
}

// The handler belongs to the window: a count that falls to zero, or below,
// frees nothing and the object goes on answering.
TEST(BrowserUIHandler, ReferenceCountNeverFreesTheObject) {
  CBrowserUIHandler handler;
  EXPECT_EQ(handler.EventSink()->AddRef(), 1u);
  EXPECT_EQ(handler.HostHandler()->AddRef(), 2u);
  EXPECT_EQ(handler.EventSink()->Release(), 1u);
  EXPECT_EQ(handler.HostHandler()->Release(), 0u);
  EXPECT_EQ(handler.HostHandler()->Release(), static_cast<ULONG>(-1));
  EXPECT_EQ(HostFlags(handler, 0), 0u);
}

// Unconnected, the handler leaves the page host's flags as the browser
// filled them in; connected to a browser it is that browser's event sink
// (the browser holds a reference) and asks for no border and no scroll bars,
// and disconnected it is released again.
TEST(BrowserUIHandler, ConnectedToABrowserItHidesBorderAndScrollBars) {
  const DWORD browserFlags = 0x40000;  // what the browser filled in stays
  CBrowserUIHandler handler;
  EXPECT_EQ(HostFlags(handler, browserFlags), browserFlags);
  EXPECT_EQ(handler.HostHandler()->GetHostInfo(nullptr), S_OK);

  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  CWebBrowser2 browser;
  RECT rect = {0, 0, 400, 100};
  ASSERT_TRUE(browser.Create(WS_CHILD | WS_VISIBLE, rect, host, IDC_WEB_PANEL));
  IUnknown* control = browser.GetControlUnknown();
  ASSERT_NE(control, nullptr);
  handler.Connect(control);
  EXPECT_GT(References(handler), 0u);
  EXPECT_EQ(HostFlags(handler, browserFlags),
            browserFlags | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO);
  handler.Disconnect();
  EXPECT_EQ(References(handler), 0u);
  control->Release();
  DestroyWindow(host);
}

TEST(BrowserUIHandler, NoContextMenuAndTheBrowsersDefaultsElsewhere) {
  CBrowserUIHandler handler;
  IDocHostUIHandler* host = handler.HostHandler();
  POINT at = {1, 1};
  EXPECT_EQ(host->ShowContextMenu(0, &at, nullptr, nullptr), S_OK);
  IDispatch* external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(host->GetExternal(&external), E_NOTIMPL);
  EXPECT_EQ(external, nullptr);
  EXPECT_EQ(host->ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(handler.EventSink()->GetTypeInfoCount(nullptr), E_NOTIMPL);
}

VARIANT DispatchArg(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  return v;
}

// NavigateComplete2(pDisp, URL): the block holds its arguments last first.
TEST(BrowserUIHandler, InvokeChecksNavigateComplete2sArguments) {
  CBrowserUIHandler handler;
  IDispatch* sink = handler.EventSink();
  Stranger stranger;
  VARIANT url;
  VariantInit(&url);
  V_VT(&url) = VT_BSTR;
  V_BSTR(&url) = nullptr;

  struct Case {
    const char* name;
    DISPID id;
    std::vector<VARIANT> args;  // in the block's order
    HRESULT expected;
  } cases[] = {
      {"another event", 250, {}, S_OK},
      {"one argument", kNavigateComplete2, {DispatchArg(&stranger)}, E_INVALIDARG},
      {"first argument not an object", kNavigateComplete2, {url, url}, E_INVALIDARG},
      {"null object", kNavigateComplete2, {url, DispatchArg(nullptr)}, S_OK},
      {"an object that is no browser", kNavigateComplete2, {url, DispatchArg(&stranger)}, S_OK},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    DISPPARAMS params = {c.args.empty() ? nullptr : c.args.data(), nullptr,
                         static_cast<UINT>(c.args.size()), 0};
    EXPECT_EQ(sink->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              c.expected);
  }
  EXPECT_TRUE(stranger.WasAskedFor(kIWebBrowser2)) << "the navigated object was asked for its browser";
  EXPECT_EQ(sink->Invoke(kNavigateComplete2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                         nullptr),
            E_INVALIDARG);
}

TEST(BrowserUIHandler, ConnectToSomethingThatIsNoBrowserChangesNothing) {
  CBrowserUIHandler handler;
  Stranger stranger;
  handler.Connect(&stranger);
  handler.Connect(nullptr);
  EXPECT_TRUE(stranger.WasAskedFor(kIWebBrowser2));
  EXPECT_EQ(References(handler), 0u);
  EXPECT_EQ(HostFlags(handler, 0), 0u);
}

TEST(PageAddress, MakersPageWithANetworkElseTheLocalCopyBesideTheProgram) {
  const std::string remote = std::string("http://") + SORVAN_SITE_HOST + "/default1.htm";
  struct Case {
    const char* name;
    BOOL network;
    std::string executable;
    std::string expected;
  } cases[] = {
      {"network", TRUE, "C:\\Program Files\\sorvan\\sorvan.exe", remote},
      {"no network", FALSE, "C:\\Program Files\\sorvan\\sorvan.exe",
       "C:\\Program Files\\sorvan\\default1.htm"},
      // 0x81 0x5C is one character whose second byte is a backslash.
      {"folder name ending in trail byte 0x5C", FALSE, "C:\\tools\x81\x5C\\sorvan.exe",
       "C:\\tools\x81\x5C\\default1.htm"},
      {"file name holding trail byte 0x5C", FALSE, "D:\\apps\\\x81\x5Csorvan.exe",
       "D:\\apps\\default1.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int probes = 0;
    auto probe = [&](DWORD* flags) {
      ++probes;
      EXPECT_NE(flags, nullptr);
      return c.network;
    };
    EXPECT_EQ(ChoosePageAddress(probe, c.executable, Cp936WindowsRules()), c.expected);
    EXPECT_EQ(probes, 1);
  }
}

// The real main window with a platform of the test behind its panel.
class MainWindowPanel : public ::testing::Test {
 protected:
  void Open(const WebPanelPlatform& platform) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    dialog.SetShellAccess(shell);
    dialog.SetWebPanelPlatform(platform);
    ASSERT_TRUE(dialog.Create());
    window = dialog.GetSafeHwnd();
    while (dialog.PumpMessage()) {
    }
  }
  FakeShell shell;
  CSorvanDlg dialog;
  HWND window = nullptr;
};

TEST_F(MainWindowPanel, WindowOpensWithAnEmptyStripWhenNoBrowserCanBeMade) {
  WebPanelPlatform platform = SystemWebPanel();
  int attempts = 0;
  platform.createBrowser = [&](CWebBrowser2&, HWND, const RECT&) {
    ++attempts;
    return false;
  };
  Open(platform);
  EXPECT_EQ(attempts, 1);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(dialog.HasEnded());
  EXPECT_EQ(GetDlgItem(window, IDC_WEB_PANEL), nullptr);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the set-up went on";
}

// Under Wine the control hosts even without an HTML engine.
TEST_F(MainWindowPanel, BrowserSitsInTheTemplatesPlaceAndIsConnected) {
  WebPanelPlatform platform = SystemWebPanel();
  platform.isNetworkAlive = [](DWORD*) { return FALSE; };
  Open(platform);
  HWND panel = GetDlgItem(window, IDC_WEB_PANEL);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(panel, GWL_STYLE)) & 0xFFFF0000u, 0x50010000u);
  RECT expected = {28, 291, 28 + 407, 291 + 54}, actual;
  MapDialogRect(window, &expected);
  GetWindowRect(panel, &actual);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&actual), 2);
  EXPECT_TRUE(EqualRect(&expected, &actual));

  wchar_t before[32] = L"", after[32] = L"";
  GetWindowTextW(GetWindow(panel, GW_HWNDPREV), before, 32);
  GetWindowTextW(GetWindow(panel, GW_HWNDNEXT), after, 32);
  EXPECT_EQ(std::wstring(before), L"塔维尔:");
  EXPECT_EQ(std::wstring(after), L"电话: 010-6000-7200");
  EXPECT_EQ(GetWindow(panel, GW_HWNDNEXT), GetWindow(panel, GW_HWNDLAST));
}

TEST_F(MainWindowPanel, OnlineHelpAsksTheShellForTheHelpPageEachTime) {
  WebPanelPlatform platform = SystemWebPanel();
  platform.createBrowser = [](CWebBrowser2&, HWND, const RECT&) { return false; };
  Open(platform);
  for (int click = 0; click < 2; ++click)
    SendMessageW(GetDlgItem(window, IDC_ONLINE_HELP), BM_CLICK, 0, 0);
  const std::string help = std::string("http://") + SORVAN_SITE_HOST + "/products_TX_overview.html";
  ASSERT_EQ(shell.executed.size(), 2u);
  for (const FakeShell::Call& call : shell.executed) {
    EXPECT_EQ(call.verb, "(null)");
    EXPECT_EQ(call.file, help);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
  }
}

}  // namespace
