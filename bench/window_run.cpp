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
//   window_run close
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kEncrypt = 1004, kDecrypt = 1005, kPassword = 1002, kConfirm = 1012, kList = 1027;

HWND MainWindow() {
  for (int tries = 0; tries < 600; ++tries) {
    HWND window = FindWindowW(nullptr, L"Tavrel\u6587\u4EF6\u52A0\u5BC6 7.2 ");
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
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
  if (std::strcmp(argv[1], "close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
