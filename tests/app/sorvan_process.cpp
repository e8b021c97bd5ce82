#include "sorvan_process.h"

namespace {

struct Search {
  DWORD process;
  std::wstring title;
  HWND owner;
  HWND found;
};

std::wstring ClassName(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

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

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM param) {
  Search& s = *reinterpret_cast<Search*>(param);
  if (ClassName(window) == L"#32770" && GetWindow(window, GW_OWNER) == s.owner &&
      IsWindowVisible(window)) {
    s.found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindText(HWND child, LPARAM param) {
  if (ClassName(child) == L"Static" && GetWindowTextLengthW(child) > 0) {
    *reinterpret_cast<std::wstring*>(param) = WindowText(child);
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
  // The box keeps its icon control when it shows no icon, only empty.
  if (ClassName(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

SorvanProcess::SorvanProcess(const std::string& executable, const std::string& arguments) {
  std::string command = "\"" + executable + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(executable.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &m_info))
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
    Search s = {m_info.dwProcessId, title, nullptr, nullptr};
    EnumWindows(&FindTitled, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (WaitForSingleObject(m_info.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

HWND SorvanProcess::WaitForBox(HWND owner, DWORD timeoutMs) const {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    Search s = {m_info.dwProcessId, L"", owner, nullptr};
    EnumWindows(&FindOwnedBox, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
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

std::string SorvanExecutable() {
  // Wine shows the Unix root as drive Z:.
  std::string path = std::string("Z:") + SORVAN_EXE;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return text;
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, &FindText, reinterpret_cast<LPARAM>(&text));
  return text;
}

bool BoxHasIcon(HWND box) {
  bool icon = false;
  EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&icon));
  return icon;
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
