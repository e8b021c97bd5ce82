#include "tests/ui/window_driver.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "res/resource.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"

const std::wstring kReady = L"就绪", kSuccess = L"成功", kFailed = L"失败",
                   kAlreadyEncrypted = L"被加密过的", kNotEncrypted = L"没有被加密过的",
                   kNameTaken = L"失败,文件已存在";


BoxWatcher::BoxWatcher(HWND owner) : m_owner(owner), m_thread([this] { Watch(); }) {}

BoxWatcher::~BoxWatcher() {
  m_stop = true;
  m_thread.join();
}

std::vector<Box> BoxWatcher::Take() {
  std::lock_guard<std::mutex> hold(m_lock);
  std::vector<Box> boxes;
  boxes.swap(m_boxes);
  return boxes;
}

void BoxWatcher::Watch() {
  while (!m_stop) {
    HWND found = FindOwnedBox(m_owner);
    if (found) {
      Box box;
      box.caption = WindowText(found);
      box.text = BoxText(found);
      {
        std::lock_guard<std::mutex> hold(m_lock);
        m_boxes.push_back(box);
      }
      PostMessageW(found, WM_COMMAND, IDOK, 0);
      while (!m_stop && IsWindow(found)) Sleep(5);  // one box is read once
    }
    Sleep(10);
  }
}

WindowDriver::WindowDriver(const std::function<void(CSorvanDlg&)>& beforeCreate) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  m_dialog.reset(new CSorvanDlg());
  if (beforeCreate) beforeCreate(*m_dialog);
  if (m_dialog->Create()) m_window = m_dialog->GetSafeHwnd();
  m_boxes.reset(new BoxWatcher(m_window));
  PumpIdle();
}

WindowDriver::~WindowDriver() {
  m_boxes.reset();
  m_dialog.reset();
}

void WindowDriver::PumpIdle() {
  while (m_dialog->PumpMessage()) {
  }
}

void WindowDriver::PumpUntil(const std::function<bool()>& done) {
  while (!done()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    while (!done() && m_dialog->PumpMessage()) {
    }
  }
}

namespace {

bool g_probeTimerFired = false;

void CALLBACK ProbeTimerFired(HWND, UINT, UINT_PTR, DWORD) { g_probeTimerFired = true; }

}  // namespace

void WindowDriver::PumpPastDueTimers(UINT periodMs, const std::function<void()>& between) {
  const UINT_PTR kProbeTimer = 0x7E57;
  g_probeTimerFired = false;
  ASSERT_NE(SetTimer(m_window, kProbeTimer, periodMs, ProbeTimerFired), 0u);
  PumpUntil([&] {
    if (between) between();
    return g_probeTimerFired;
  });
  KillTimer(m_window, kProbeTimer);
}

namespace {

template <typename Char>
HGLOBAL DropHandle(const std::vector<std::basic_string<Char>>& paths) {
  size_t bytes = sizeof(DROPFILES) + sizeof(Char);
  for (auto& p : paths) bytes += (p.size() + 1) * sizeof(Char);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = sizeof(Char) == sizeof(wchar_t);
  Char* name = reinterpret_cast<Char*>(files + 1);
  for (auto& p : paths) {
    std::memcpy(name, p.c_str(), (p.size() + 1) * sizeof(Char));
    name += p.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

}  // namespace

void WindowDriver::PostDrop(const std::vector<std::string>& paths) {
  std::vector<std::wstring> wide;
  for (const std::string& path : paths) wide.push_back(WideText(path));
  PostMessageW(item(IDC_FILE_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(DropHandle(wide)), 0);
}

void WindowDriver::Drop(const std::vector<std::string>& paths) {
  PostDrop(paths);
  WaitForList();
}

void WindowDriver::Drop(const std::vector<std::wstring>& paths) {
  PostMessageW(item(IDC_FILE_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(DropHandle(paths)), 0);
  WaitForList();
}

void WindowDriver::WaitForList() {
  PumpIdle();
  PumpUntil([this] { return !m_dialog->IsFillingList(); });
  PumpIdle();
}

std::vector<Box> WindowDriver::Click(int id) {
  SendMessageW(item(id), BM_CLICK, 0, 0);
  return m_boxes->Take();
}

void WindowDriver::PressKey(HWND target, WPARAM key) {
  // The focus moves as Tab moves it, so a push button that gets it becomes
  // the dialog's default button, as it does for a user.
  SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  PumpIdle();
}

void WindowDriver::ClickList(int row) {
  HWND list = item(IDC_FILE_LIST);
  RECT cell = {};
  if (row >= 0) {
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
  } else {
    GetClientRect(list, &cell);
    cell.top = cell.bottom - 4;
  }
  LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  PumpIdle();
}

namespace {

// The window's list, read and written through its messages alone.
class ListOfTheWindow : public ListView {
 public:
  explicit ListOfTheWindow(HWND window) { m_hWnd = window; }
  ~ListOfTheWindow() override { m_hWnd = nullptr; }

  // Case-insensitive search for a row whose text equals text; -1 if none.
  int FindItem(const std::string& text) const {
    std::wstring wide = WideText(text);
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;
    find.psz = wide.c_str();
    return static_cast<int>(Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  }
};

}  // namespace

std::vector<Row> WindowDriver::Rows() {
  std::vector<Row> rows;
  ListOfTheWindow list(item(IDC_FILE_LIST));
  for (int i = 0; i < list.GetItemCount(); ++i)
    rows.push_back({list.GetItemText(i, 0), list.GetItemTextW(i, 1), list.GetItemImage(i)});
  return rows;
}

std::vector<std::wstring> WindowDriver::RowTips() {
  std::vector<std::wstring> tips;
  HWND list = item(IDC_FILE_LIST);
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    wchar_t text[INFOTIPSIZE] = L"";
    NMLVGETINFOTIPW tip = {};
    tip.hdr.hwndFrom = list;
    tip.hdr.idFrom = IDC_FILE_LIST;
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.pszText = text;
    tip.cchTextMax = INFOTIPSIZE;
    tip.iItem = row;
    SendMessageW(m_window, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&tip));
    tips.push_back(text);
  }
  return tips;
}

void WindowDriver::SetRowLook(int row, int image, const std::wstring& status) {
  ListOfTheWindow list(item(IDC_FILE_LIST));
  list.SetItemImage(row, image);
  list.SetItemText(row, 1, status);
}

int WindowDriver::FindRow(const std::string& path) {
  return ListOfTheWindow(item(IDC_FILE_LIST)).FindItem(path);
}

// The window as the screen shows it, as a 24-bit BMP beside the build; the
// test command converts it to PNG.
void WindowDriver::Screenshot(const std::string& name) {
  RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  PumpIdle();
  SaveScreenshot(m_window, SORVAN_SCREENSHOT_DIR, name);
}
