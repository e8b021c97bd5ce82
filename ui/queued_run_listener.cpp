#include "ui/queued_run_listener.h"

#include <utility>

void QueuedRunListener::RowsSized(const std::vector<std::uint64_t>& sizes) {
  Queue([sizes](WindowRunListener& l) { l.RowsSized(sizes); });
}

void QueuedRunListener::RunStarted(RunKind run) {
  Queue([run](WindowRunListener& l) { l.RunStarted(run); });
}

void QueuedRunListener::RowStarted(int row, const std::string& path) {
  Queue([row, path](WindowRunListener& l) { l.RowStarted(row, path); });
}

void QueuedRunListener::BytesDone(int row, std::uint64_t done, std::uint64_t total) {
  Queue([row, done, total](WindowRunListener& l) { l.BytesDone(row, done, total); }, true);
}

void QueuedRunListener::RowFinished(int row, const RowResult& result) {
  Queue([row, result](WindowRunListener& l) { l.RowFinished(row, result); });
}

void QueuedRunListener::RunEnded(RunKind run) {
  Queue([run](WindowRunListener& l) { l.RunEnded(run); }, false, true);
}

void QueuedRunListener::Queue(Fact fact, bool bytes, bool urgent) {
  bool post = false;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (bytes && m_lastIsBytes)
      m_facts.back() = std::move(fact);  // the window only shows the latest count
    else
      m_facts.push_back(std::move(fact));
    m_lastIsBytes = bytes;
    post = urgent && !m_posted;
    m_posted = m_posted || urgent;
  }
  if (post) PostMessageW(m_window, m_message, 0, 0);
}

void QueuedRunListener::Replay(WindowRunListener& target) {
  std::vector<Fact> facts;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    facts.swap(m_facts);
    m_lastIsBytes = false;
    m_posted = false;
  }
  for (const Fact& fact : facts) fact(target);
}
