#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/support/shortcut.h"
#include "ui/sorvan_dlg.h"

// Drives the real main window in the test process as a user would: drops,
// typing, clicks, keys; message boxes are read and dismissed by a watcher.

struct Box {
  std::wstring caption;
  std::wstring text;
};

// Watches for message boxes owned by a window, records caption and text,
// and presses OK. The window's thread is blocked inside the box meanwhile,
// so a box is always recorded before the click that raised it returns.
class BoxWatcher {
 public:
  explicit BoxWatcher(HWND owner);
  ~BoxWatcher();
  std::vector<Box> Take();

 private:
  void Watch();
  HWND m_owner;
  std::atomic<bool> m_stop{false};
  std::mutex m_lock;
  std::vector<Box> m_boxes;
  std::thread m_thread;
};

struct Row {
  std::string path;
  std::wstring status;
  int image;
  bool operator==(const Row& o) const {
    return path == o.path && status == o.status && image == o.image;
  }
};

class WindowDriver {
 public:
  // beforeCreate sets the window's seams before it is made.
  explicit WindowDriver(const std::function<void(CSorvanDlg&)>& beforeCreate = nullptr);
  ~WindowDriver();

  CSorvanDlg& dialog() { return *m_dialog; }
  HWND window() const { return m_window; }
  HWND item(int id) const { return GetDlgItem(m_window, id); }

  // Serves the queue until it is empty.
  void PumpIdle();
  // Serves the queue until done() holds.
  void PumpUntil(const std::function<bool()>& done);
  // Serves the queue until a timer of the window set now with periodMs has
  // fired. The system hands out timers in the order they fall due, so by
  // then every timer of the window set before it with no longer a period has
  // fired too, however slow the machine. between() is called between every
  // two messages.
  void PumpPastDueTimers(UINT periodMs = USER_TIMER_MINIMUM,
                         const std::function<void()>& between = nullptr);
  // A run works while its buttons are off; they come back after its last row.
  bool Running() const {
    return !IsWindowEnabled(item(IDC_ENCRYPT)) || !IsWindowEnabled(item(IDC_DECRYPT));
  }
  void WaitForRun() {
    PumpUntil([this] { return !Running(); });
    PumpIdle();
  }

  // A drop handle built in UTF-16 as the shell of today builds it, posted
  // to the list; narrow paths are the tests' UTF-8.
  // Each waits until the list holds every dropped row.
  void Drop(const std::vector<std::string>& paths);
  void Drop(const std::vector<std::wstring>& paths);
  // The drop only posted; the list fills as the queue is served.
  void PostDrop(const std::vector<std::string>& paths);
  void WaitForList();
  void Type(int id, const std::wstring& text) { SetDlgItemTextW(m_window, id, text.c_str()); }
  void TypePasswords(const std::wstring& password) {
    Type(IDC_PASSWORD, password);
    Type(IDC_CONFIRM, password);
  }
  // A click; returns the message boxes it raised.
  std::vector<Box> Click(int id);
  std::vector<Box> TakeBoxes() { return m_boxes->Take(); }
  void PressKey(HWND target, WPARAM key);
  // A left click on a row of the list, or below the rows for -1.
  void ClickList(int row);

  std::vector<Row> Rows();
  // Each row's tip as the list asks the window for it when the pointer rests
  // on the row: empty where the window adds nothing to the list's own.
  std::vector<std::wstring> RowTips();
  // A row's image and status text set by hand, as a finished run leaves them.
  void SetRowLook(int row, int image, const std::wstring& status);
  // The row whose path is this (ignoring case), or -1.
  int FindRow(const std::string& path);
  void Screenshot(const std::string& name);

 private:
  std::unique_ptr<CSorvanDlg> m_dialog;
  HWND m_window = nullptr;
  std::unique_ptr<BoxWatcher> m_boxes;
};


// Status texts as the window shows them.
extern const std::wstring kReady, kSuccess, kFailed, kAlreadyEncrypted, kNotEncrypted, kNameTaken;
const int kTick = 0, kDot = 1, kCross = 2;
