#include "app/main_window_claim.h"

#include <sddl.h>

#include "ui/path_handoff.h"

namespace {

// The user's SID as text; the session is already the "Local\" namespace's.
std::wstring UserTag() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  std::wstring tag;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  wchar_t* text = nullptr;
  if (size && GetTokenInformation(token, TokenUser, &buffer[0], size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid, &text)) {
    tag = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return tag;
}

}  // namespace

MainWindowClaim::MainWindowClaim() {
  std::wstring tag = UserTag();
  m_mutex = CreateMutexW(nullptr, FALSE, (L"Local\\Tavrel.Sorvan.MainWindow." + tag).c_str());
  m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                 (L"Local\\Tavrel.Sorvan.MainWindowHandle." + tag).c_str());
  if (m_mapping)
    m_window = static_cast<volatile LONG*>(
        MapViewOfFile(m_mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
}

MainWindowClaim::~MainWindowClaim() {
  Release();
  if (m_window) UnmapViewOfFile(const_cast<LONG*>(m_window));
  if (m_mapping) CloseHandle(m_mapping);
  if (m_mutex) CloseHandle(m_mutex);
}

bool MainWindowClaim::TryTake() {
  if (m_held) return true;
  if (!m_mutex) return false;
  DWORD taken = WaitForSingleObject(m_mutex, 0);
  m_held = taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
  return m_held;
}

// A window handle's meaningful bits fit 32 bits in 32- and 64-bit processes
// alike, so one LONG serves both.
void MainWindowClaim::Publish(HWND window) {
  if (m_held && m_window) InterlockedExchange(m_window, HandleToLong(window));
}

void MainWindowClaim::Withdraw() {
  if (m_held && m_window) InterlockedExchange(m_window, 0);
}

HWND MainWindowClaim::PublishedWindow() const {
  if (!m_window) return nullptr;
  return static_cast<HWND>(LongToHandle(InterlockedCompareExchange(m_window, 0, 0)));
}

void MainWindowClaim::Release() {
  if (!m_held) return;
  Withdraw();
  ReleaseMutex(m_mutex);
  m_held = false;
}

bool HandPathsTo(HWND window, const std::vector<std::string>& paths) {
  std::wstring data = path_handoff::Encode(paths);
  COPYDATASTRUCT message = {path_handoff::kMark, static_cast<DWORD>(data.size() * sizeof(wchar_t)),
                            data.empty() ? nullptr : &data[0]};
  // The window may come to the front: this process was started by the user.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process) AllowSetForegroundWindow(process);
  DWORD_PTR took = FALSE;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                             SMTO_NORMAL, kClaimWaitMs, &took) &&
         took == TRUE;
}

bool TakeClaimOrHandOver(MainWindowClaim& claim, const std::vector<std::string>& paths,
                         DWORD waitMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (claim.TryTake()) return true;
    HWND window = claim.PublishedWindow();
    if (window && IsWindow(window) && HandPathsTo(window, paths)) return false;
    if (GetTickCount() - start >= waitMs) return true;
    Sleep(50);
  }
}
