#pragma once
#include <atomic>

// Asked for by another thread (the window closing, Ctrl-C); a run looks at it
// between rows and between buffers.
class StopRequest {
 public:
  void Request() { m_requested.store(true); }
  // Before a new run over the same request: a stop asked of the run before
  // is not this one's.
  void Clear() { m_requested.store(false); }
  bool Requested() const { return m_requested.load(); }

 private:
  std::atomic<bool> m_requested{false};
};
