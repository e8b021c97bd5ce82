#pragma once
#include <windows.h>

// A worker held at a chosen call until the test lets it go. A window that
// never lets it go (its thread stuck waiting for the work) costs the test
// the give-up time instead of a hang.
class WorkerGate {
 public:
  explicit WorkerGate(DWORD giveUpMs = 3000)
      : m_giveUpMs(giveUpMs),
        m_reached(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        m_open(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~WorkerGate() {
    Open();
    CloseHandle(m_reached);
    CloseHandle(m_open);
  }
  WorkerGate(const WorkerGate&) = delete;
  WorkerGate& operator=(const WorkerGate&) = delete;

  void Hold() {
    SetEvent(m_reached);
    WaitForSingleObject(m_open, m_giveUpMs);
  }
  bool Reached() const { return WaitForSingleObject(m_reached, 0) == WAIT_OBJECT_0; }
  void Open() { SetEvent(m_open); }
  void Close() {
    ResetEvent(m_reached);
    ResetEvent(m_open);
  }

 private:
  DWORD m_giveUpMs;
  HANDLE m_reached;
  HANDLE m_open;
};
