#include "ui/taskbar_button.h"

#include <shobjidl.h>

SystemTaskbarButton::SystemTaskbarButton(HWND window) : m_window(window) {
  ITaskbarList3* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(&list))))
    return;
  if (FAILED(list->HrInit())) {
    list->Release();
    return;
  }
  m_list = list;
}

SystemTaskbarButton::~SystemTaskbarButton() {
  if (m_list) m_list->Release();
}

// A call made before the shell has made the button fails and is let go: the
// next look of the window sets the progress again.
void SystemTaskbarButton::ShowProgress(std::uint64_t done, std::uint64_t total) {
  if (m_list) m_list->SetProgressValue(m_window, done, total);
}

void SystemTaskbarButton::ShowNoProgress() {
  if (m_list) m_list->SetProgressState(m_window, TBPF_NOPROGRESS);
}

void SystemTaskbarButton::Flash() {
  FLASHWINFO flash = {sizeof flash, m_window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}
