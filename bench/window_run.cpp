// Drives the running sorvan.exe from outside, as a user would after dropping
// files on its list: waits for the rows, types the password twice, presses
// "加密文件" or "解密文件", and prints the seconds from the press until both
// command buttons come back, then the seconds until they went off. Built in
// the Windows tree; bench/window.sh uses it.
//
//   window_run where              prints the list's centre on the screen: "X Y"
//   window_run filled ROWS        once the list holds ROWS rows, prints the Unix time
//                                 and the longest wait for the list to answer
//   window_run run ROWS COMMAND   COMMAND is encrypt or decrypt
//   window_run watch ROWS COMMAND the same run, watched: whether the buttons
//                                 stayed off until the last row showed its
//                                 outcome, how the rows moved, and how long
//                                 "关于" took to open when clicked meanwhile
//   window_run close
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "bench/seconds.h"

namespace {

const int kEncrypt = 1004, kDecrypt = 1005, kPassword = 1002, kConfirm = 1012, kList = 1027,
          kAbout = 1008;

HWND MainWindow() {
  for (int tries = 0; tries < 600; ++tries) {
    HWND window = FindWindowW(nullptr, L"Tavrel\u6587\u4EF6\u52A0\u5BC6 7.2 ");
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

bool ButtonsEnabled(HWND window) {
  return IsWindowEnabled(GetDlgItem(window, kEncrypt)) && IsWindowEnabled(GetDlgItem(window, kDecrypt));
}

// The list answers only between the window's own messages, so the first
// answer that counts every row comes right after the drop's last one, and
// the longest wait for an answer is the longest the window left its user
// waiting meanwhile.
bool WaitForRows(HWND window, long rows, double* longestAnswer = nullptr) {
  HWND list = GetDlgItem(window, kList);
  double longest = 0;
  for (int tries = 0;; ++tries) {
    double asked = Seconds();
    LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    double answered = Seconds() - asked;
    if (answered > longest) longest = answered;
    if (count >= rows) break;
    if (tries > 60000) {
      std::fprintf(stderr, "window_run: the list never held %ld rows\n", rows);
      return false;
    }
    Sleep(5);
  }
  if (longestAnswer) *longestAnswer = longest;
  return true;
}

// Seconds since 1970 on the machine's clock, which the shell reads too.
double UnixSeconds() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart - 116444736000000000ull) / 1e7;
}

int Run(HWND window, long rows, bool encrypt) {
  if (!WaitForRows(window, rows)) return 1;
  SetDlgItemTextW(window, kPassword, L"bench");
  SetDlgItemTextW(window, kConfirm, L"bench");
  HWND button = GetDlgItem(window, encrypt ? kEncrypt : kDecrypt);
  double pressed = Seconds();
  PostMessageW(button, BM_CLICK, 0, 0);
  // The command disables both buttons before its worker starts; the run's
  // end enables them again.
  while (ButtonsEnabled(window) && Seconds() - pressed < 5) Sleep(0);
  double disabled = Seconds() - pressed;
  while (!ButtonsEnabled(window)) Sleep(1);
  std::printf("%.3f %.3f\n", Seconds() - pressed, disabled);
  return 0;
}

// A row's status text, read across processes: the list writes it into a
// buffer of the window's own process.
class RowReader {
 public:
  explicit RowReader(HWND list) : m_list(list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process)
      m_remote = VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RowReader() {
    if (m_remote) VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  bool Ready() const { return m_remote != nullptr; }
  // True when the row shows anything but "就绪".
  bool Ended(int row) {
    LVITEMW item = {};
    item.iSubItem = 1;
    item.cchTextMax = 64;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(m_remote) + 1024);
    wchar_t text[64] = {};
    SIZE_T moved = 0;
    if (!WriteProcessMemory(m_process, m_remote, &item, sizeof item, &moved)) return false;
    // A window that does not answer shows nothing that moved.
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(m_remote),
                             SMTO_NORMAL, 1000, &copied))
      return false;
    ReadProcessMemory(m_process, item.pszText, text, sizeof text - sizeof(wchar_t), &moved);
    return std::wcscmp(text, L"\u5C31\u7EEA") != 0;
  }

 private:
  HWND m_list;
  HANDLE m_process = nullptr;
  void* m_remote = nullptr;
};

// The rows that ended so far: they end in order, so the first one still
// ready is found by halving.
long RowsEnded(RowReader& rows, long count) {
  long low = 0, high = count;
  while (low < high) {
    long middle = low + (high - low) / 2;
    if (rows.Ended(static_cast<int>(middle)))
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

HWND AboutBox(HWND window) {
  HWND box = FindWindowW(L"#32770", nullptr);
  while (box && (GetWindow(box, GW_OWNER) != window || !IsWindowVisible(box)))
    box = FindWindowExW(nullptr, box, L"#32770", nullptr);
  return box;
}

int Watch(HWND window, long rows, bool encrypt) {
  if (!WaitForRows(window, rows)) return 1;
  RowReader reader(GetDlgItem(window, kList));
  if (!reader.Ready()) {
    std::fprintf(stderr, "window_run: the window's rows cannot be read\n");
    return 1;
  }
  SetDlgItemTextW(window, kPassword, L"bench");
  SetDlgItemTextW(window, kConfirm, L"bench");
  double pressed = Seconds();
  PostMessageW(GetDlgItem(window, encrypt ? kEncrypt : kDecrypt), BM_CLICK, 0, 0);
  while (ButtonsEnabled(window) && Seconds() - pressed < 5) Sleep(0);
  double aboutClicked = 0, aboutOpened = -1, lastReport = 0;
  long ended = 0;
  std::printf("seconds rows-ended buttons\n");
  while (!ButtonsEnabled(window)) {
    Sleep(50);
    double at = Seconds() - pressed;
    if (at - lastReport >= 1) {
      ended = RowsEnded(reader, rows);
      std::printf("%.1f %ld off\n", at, ended);
      lastReport = at;
      if (aboutClicked == 0 && ended >= rows / 3) {
        aboutClicked = Seconds();
        PostMessageW(GetDlgItem(window, kAbout), BM_CLICK, 0, 0);
      }
    }
    HWND box = aboutClicked > 0 && aboutOpened < 0 ? AboutBox(window) : nullptr;
    if (box) {
      aboutOpened = Seconds() - aboutClicked;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  double end = Seconds() - pressed;
  ended = RowsEnded(reader, rows);
  std::printf("%.1f %ld on\n", end, ended);
  std::printf("buttons came back with %ld of %ld rows ended, %.3f s after the press\n", ended,
              rows, end);
  if (aboutOpened >= 0)
    std::printf("\"关于\" opened %.3f s after its click during the run\n", aboutOpened);
  else
    std::printf("\"关于\" did not open during the run\n");
  return ended == rows && aboutOpened >= 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND window = MainWindow();
  if (!window) {
    std::fprintf(stderr, "window_run: no main window\n");
    return 1;
  }
  if (std::strcmp(argv[1], "where") == 0) {
    RECT list;
    GetWindowRect(GetDlgItem(window, kList), &list);
    std::printf("%ld %ld\n", (list.left + list.right) / 2, (list.top + list.bottom) / 2);
    return 0;
  }
  if (std::strcmp(argv[1], "filled") == 0 && argc == 3) {
    double longest = 0;
    if (!WaitForRows(window, std::atol(argv[2]), &longest)) return 1;
    std::printf("%.6f %.3f\n", UnixSeconds(), longest);
    return 0;
  }
  if (std::strcmp(argv[1], "run") == 0 && argc == 4)
    return Run(window, std::atol(argv[2]), std::strcmp(argv[3], "encrypt") == 0);
  if (std::strcmp(argv[1], "watch") == 0 && argc == 4)
    return Watch(window, std::atol(argv[2]), std::strcmp(argv[3], "encrypt") == 0);
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
