#pragma once
#include <cstdint>

// The progress bar's positions for a file of total bytes: byte j moves the
// bar to j / C whenever j is a multiple of C, with C = total / 100 (at least 1).
// A file of 10,000 bytes and more ends at 99 or 100; a smaller one of 100
// bytes and more runs past the range's end of 100, where the bar stays full;
// one below 100 bytes ends short of full. Data moves in buffers, so the
// positions are worked out per range of bytes.
class ProgressSteps {
 public:
  explicit ProgressSteps(std::uint64_t total)
      : m_step(total / 100 == 0 ? 1 : total / 100) {}

  // The last position the bar has passed once done bytes are handled, or -1
  // before the first byte.
  int PositionAfter(std::uint64_t done) const {
    return done == 0 ? -1 : static_cast<int>((done - 1) / m_step);
  }

  // Calls show(position) for every byte j in [from, to) that moves the bar.
  template <typename Show>
  void Cover(std::uint64_t from, std::uint64_t to, Show&& show) const {
    if (to <= from) return;
    for (std::uint64_t p = (from + m_step - 1) / m_step; p <= (to - 1) / m_step; ++p)
      show(static_cast<int>(p));
  }

 private:
  std::uint64_t m_step;
};
