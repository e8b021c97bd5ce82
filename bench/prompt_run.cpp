// Drives the password prompt of a running sorvan.exe from outside, as a user
// would after opening a container from the desktop: types the password,
// presses "解密", and meanwhile sends the prompt an empty message every
// 100 ms, as another program asking whether it answers. Prints the seconds
// from the press until the success box, and the longest any of those
// messages waited for its answer; then dismisses the box. Built in the
// Windows tree; bench/prompt.sh uses it.
//
//   prompt_run PASSWORD
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "bench/seconds.h"

namespace {

const int kDecrypt = 1028, kPassword = 1029;
const wchar_t kPromptTitle[] = L"Tavrel\u6587\u4EF6\u52A0\u5BC6";

HWND Prompt() {
  for (int tries = 0; tries < 1200; ++tries) {
    HWND window = FindWindowW(L"#32770", kPromptTitle);
    if (window && IsWindowVisible(window) && GetDlgItem(window, kDecrypt)) return window;
    Sleep(50);
  }
  return nullptr;
}

// A box the prompt owns: its success message, or a failure's.
HWND OwnedBox(HWND prompt) {
  HWND box = FindWindowW(L"#32770", nullptr);
  while (box && (GetWindow(box, GW_OWNER) != prompt || !IsWindowVisible(box)))
    box = FindWindowExW(nullptr, box, L"#32770", nullptr);
  return box;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HWND prompt = Prompt();
  if (!prompt) {
    std::fprintf(stderr, "prompt_run: no prompt\n");
    return 1;
  }
  wchar_t password[256] = L"";
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, password, 255);
  SetDlgItemTextW(prompt, kPassword, password);
  double pressed = Seconds();
  PostMessageW(GetDlgItem(prompt, kDecrypt), BM_CLICK, 0, 0);
  double longest = 0;
  HWND box = nullptr;
  while (!(box = OwnedBox(prompt))) {
    double asked = Seconds();
    DWORD_PTR answer = 0;
    // A prompt that never answers ends the bench after ten minutes.
    if (!SendMessageTimeoutW(prompt, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer)) {
      std::fprintf(stderr, "prompt_run: the prompt did not answer for ten minutes\n");
      return 1;
    }
    double waited = Seconds() - asked;
    if (waited > longest) longest = waited;
    Sleep(100);
  }
  double ended = Seconds() - pressed;
  wchar_t caption[64] = L"";
  GetWindowTextW(box, caption, 64);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (std::wcscmp(caption, L"ok") != 0) {
    std::fprintf(stderr, "prompt_run: the restore failed\n");
    return 1;
  }
  std::printf("%.3f %.3f\n", ended, longest);
  return 0;
}
