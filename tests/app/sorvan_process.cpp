#include "tests/app/sorvan_process.h"

#include <commctrl.h>

#include "res/resource.h"

#include "tests/support/scratch_dir.h"

namespace {

struct Search {
  DWORD process;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param) {
  Search& s = *reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == s.process && IsWindowVisible(window) && WindowText(window) == s.title) {
    s.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

SorvanProcess::SorvanProcess(const std::string& executable, const std::string& arguments)
    : SorvanProcess(executable, WideText(arguments)) {}

SorvanProcess::SorvanProcess(const std::string& executable, const std::wstring& arguments) {
  std::wstring exe = WideText(executable);
  std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &m_info))
    m_info = PROCESS_INFORMATION{};
}

SorvanProcess::~SorvanProcess() {
  if (!m_info.hProcess) return;
  if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_info.hProcess, 99);
    WaitForSingleObject(m_info.hProcess, 10000);
  }
  CloseHandle(m_info.hProcess);
  CloseHandle(m_info.hThread);
}

HWND SorvanProcess::WaitForWindow(const std::wstring& title, DWORD timeoutMs) const {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    Search s = {m_info.dwProcessId, title, nullptr};
    EnumWindows(&FindTitled, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (WaitForSingleObject(m_info.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

HWND SorvanProcess::WaitForBox(HWND owner, DWORD timeoutMs) const {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    if (HWND box = FindOwnedBox(owner)) return box;
    if (WaitForSingleObject(m_info.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

long SorvanProcess::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(m_info.hProcess, &code);
  return static_cast<long>(code);
}

std::string SorvanExecutable() { return WinePath(SORVAN_EXE); }

void DismissBox(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (int waited = 0; waited < 10000 && IsWindow(box); waited += 10) Sleep(10);
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The list's texts live in the other process: the item and its buffer are
// made there, and read back.
std::vector<std::string> ListedPaths(HWND dialog) {
  std::vector<std::string> paths;
  HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
  DWORD process = 0;
  GetWindowThreadProcessId(list, &process);
  HANDLE other = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!other) return paths;
  const SIZE_T textSize = 4096;
  char* remote = static_cast<char*>(VirtualAllocEx(
      other, nullptr, sizeof(LVITEMW) + textSize * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; remote && row < count; ++row) {
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(textSize);
    WriteProcessMemory(other, remote, &item, sizeof item, nullptr);
    int length = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote)));
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
      ReadProcessMemory(other, remote + sizeof(LVITEMW), &text[0], text.size() * sizeof(wchar_t), nullptr);
    paths.push_back(Utf8Text(text));
  }
  if (remote) VirtualFreeEx(other, remote, 0, MEM_RELEASE);
  CloseHandle(other);
  return paths;
}

namespace {

struct Titled {
  std::wstring title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM param) {
  Titled& t = *reinterpret_cast<Titled*>(param);
  if (IsWindowVisible(window) && WindowText(window) == t.title) t.found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsTitled(const std::wstring& title) {
  Titled t = {title, {}};
  EnumWindows(&CollectTitled, reinterpret_cast<LPARAM>(&t));
  return t.found;
}

HWND WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    std::vector<HWND> windows = WindowsTitled(title);
    if (!windows.empty()) return windows.front();
    Sleep(100);
  }
  return nullptr;
}

std::vector<std::string> WaitForListedPaths(HWND dialog, std::size_t count, DWORD timeoutMs) {
  std::vector<std::string> rows;
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    rows = ListedPaths(dialog);
    if (rows.size() >= count) break;
    Sleep(100);
  }
  return rows;
}
