#pragma once
#include <windows.h>

#include <atomic>

// A worker held at a chosen call until the test lets it go. A window that
// never lets it go (its thread stuck waiting for the work) costs the test a
// hang's bound instead of a hang, and the gate tells it gave up.
class WorkerGate {
 public:
  // What tells a hang from a slow machine: nothing waits this long unless
  // something is stuck.
  static constexpr DWORD kHangMs = 120000;

  explicit WorkerGate(DWORD giveUpMs = kHangMs)
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
    if (WaitForSingleObject(m_open, m_giveUpMs) != WAIT_OBJECT_0) m_gaveUp = true;
  }
  bool Reached() const { return WaitForSingleObject(m_reached, 0) == WAIT_OBJECT_0; }
  // The worker went on without the test's leave.
  bool GaveUp() const { return m_gaveUp; }
  void Open() { SetEvent(m_open); }
  void Close() {
    ResetEvent(m_reached);
    ResetEvent(m_open);
    m_gaveUp = false;
  }

 private:
  DWORD m_giveUpMs;
  HANDLE m_reached;
  HANDLE m_open;
  std::atomic<bool> m_gaveUp{false};
};
