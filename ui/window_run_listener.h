#pragma once
#include <cstdint>
#include <vector>

#include "crypt/run_listener.h"

// The facts a run tells the window: the engine's, and the size of every row,
// which the window's worker measures before the run starts so that the
// taskbar button can show the share of the run's bytes done.
class WindowRunListener : public RunListener {
 public:
  virtual void RowsSized(const std::vector<std::uint64_t>& sizes) { (void)sizes; }
};
