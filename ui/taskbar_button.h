#pragma once
#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

// The window's button on the taskbar: what it can show of a run.
class TaskbarButton {
 public:
  virtual ~TaskbarButton() = default;
  virtual void ShowProgress(std::uint64_t done, std::uint64_t total) = 0;
  virtual void ShowNoProgress() = 0;
  // Flashes until the user brings the window to the foreground.
  virtual void Flash() = 0;
};

// The system's button, through ITaskbarList3. Where the system has no such
// object (before Windows 7, or a shell without a taskbar) the progress shows
// nowhere and nothing else changes; the flash needs no object.
class SystemTaskbarButton : public TaskbarButton {
 public:
  explicit SystemTaskbarButton(HWND window);
  ~SystemTaskbarButton() override;
  SystemTaskbarButton(const SystemTaskbarButton&) = delete;
  SystemTaskbarButton& operator=(const SystemTaskbarButton&) = delete;

  bool HasTaskbarObject() const { return m_list != nullptr; }
  void ShowProgress(std::uint64_t done, std::uint64_t total) override;
  void ShowNoProgress() override;
  void Flash() override;

 private:
  HWND m_window;
  ITaskbarList3* m_list = nullptr;
};
