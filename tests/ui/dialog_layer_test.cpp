#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "ui/file_drop_list.h"
#include "res/resource.h"
#include "ui/win32/dialog.h"
#include "tests/ui/window_driver.h"

namespace {

// A static that keeps what it is told about itself.
class RecordingStatic : public Control {
 public:
  int colourRequests = 0;
  int clicks = 0;
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ~RecordingStatic() override { DeleteObject(brush); }

  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (message == WM_CTLCOLORSTATIC) {
      ++colourRequests;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
      ++clicks;
      return true;
    }
    return false;
  }
};

// The main window's template under a dialog of the layer alone.
class LayerDialog : public Dialog {
 public:
  LayerDialog() : Dialog(IDD_SORVAN_DIALOG, nullptr) {}
  RecordingStatic label;
  std::string password = "stored";
  std::vector<WPARAM> keysSeen;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    dx.Bind(IDC_SITE_LINK, label);
    dx.Text(IDC_PASSWORD, password);
  }
  BOOL OnInitDialog() override {
    Dialog::OnInitDialog();
    // Work queued for the modal loop: a key, then the close.
    PostMessageW(GetDlgItem(m_hWnd, IDC_PASSWORD), WM_KEYDOWN, 'A', 1);
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) keysSeen.push_back(msg->wParam);
    return Dialog::PreTranslateMessage(msg);
  }
};

TEST(DialogLayer, ModalLoopShowsEveryKeyToPreTranslateMessage) {
  LayerDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.keysSeen, std::vector<WPARAM>{'A'});
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dialog.label.GetSafeHwnd(), nullptr) << "detached when its window went";
}

TEST(DialogLayer, NotificationsReachTheControlThatSentThem) {
  LayerDialog dialog;
  ASSERT_TRUE(dialog.Create());
  HWND window = dialog.GetSafeHwnd();
  HWND label = GetDlgItem(window, IDC_SITE_LINK);
  EXPECT_EQ(Control::FromHandle(label), &dialog.label);

  HDC dc = GetDC(label);
  LRESULT brush = SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(label));
  ReleaseDC(label, dc);
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(dialog.label.brush));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_SITE_LINK, STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
  EXPECT_EQ(dialog.label.clicks, 1);

  // Both directions of the transfer, as code page 936 bytes.
  char typed[16] = "";
  GetDlgItemTextA(window, IDC_PASSWORD, typed, 16);
  EXPECT_EQ(std::string(typed), "stored");
  SetDlgItemTextW(window, IDC_PASSWORD, L"密码");
  dialog.UpdateData(true);
  EXPECT_EQ(dialog.password, "\xC3\xDC\xC2\xEB");
}

// Where the component services cannot start (the thread has chosen another
// apartment), the list says so in the application's box and goes on.
TEST(FileDropList, ComponentServicesThatCannotStartAreReported) {
  std::vector<Box> boxes;
  std::thread other([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    BoxWatcher watcher(nullptr);
    {
      CFileDropList list;
    }
    boxes = watcher.Take();
    CoUninitialize();
  });
  other.join();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"ui_tests");
  EXPECT_EQ(boxes[0].text,
            L"OLE initialization failed.\n\nMake sure that the OLE libraries are the correct version.");
}

// A handler that throws: the exception stays on this side of the dialog
// procedure, the message counts as not handled, and the dialog goes on.
class ThrowingDialog : public Dialog {
 public:
  ThrowingDialog() : Dialog(IDD_SORVAN_DIALOG, nullptr) {}
  int clicks = 0;

 protected:
  bool OnButtonClicked(WORD id) override {
    if (id == IDC_ABOUT) throw std::runtime_error("a handler failed");
    if (id == IDC_CLEAR_LIST) ++clicks;
    return true;
  }
};

TEST(DialogLayer, NoExceptionCrossesTheDialogProcedure) {
  ThrowingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  HWND window = dialog.GetSafeHwnd();
  SendMessageW(GetDlgItem(window, IDC_ABOUT), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(window, IDC_CLEAR_LIST), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.clicks, 1);
  EXPECT_TRUE(IsWindow(window));
}

// The drop rules on a list of the test's own: drops need a handler, and a
// path is taken as a folder or a file, or not at all.
TEST(FileDropList, DropsNeedAHandlerAndTakeFoldersAndFiles) {
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                              nullptr, nullptr);
  HWND view = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, host,
                              nullptr, nullptr, nullptr);
  CFileDropList list;
  ASSERT_TRUE(list.Attach(view));
  EXPECT_FALSE(list.ConfigureDrops(DropSettings()));
  DropSettings handled;
  handled.onPath = [](const std::string&, std::uint32_t) {};
  EXPECT_TRUE(list.ConfigureDrops(handled));

  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string folder = windows;
  struct Case { std::string path; bool taken; std::uint32_t kind; } cases[] = {
      {folder, true, PATH_IS_FOLDER},
      {folder + "\\win.ini", true, PATH_IS_FILE},
      {folder + "\\notepad.exe", true, PATH_IS_FILE},
      {folder + "\\*.ini", false, 0},
      {folder + "\\no such file.txt", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::uint32_t kind = 0;
    EXPECT_EQ(list.ClassifyPath(c.path, kind), c.taken);
    EXPECT_EQ(kind, c.kind);
  }
  list.Detach();
  DestroyWindow(host);
}

}  // namespace
