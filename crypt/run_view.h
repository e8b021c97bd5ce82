#pragma once
#include <cstdint>
#include <string>

#include "outcome.h"

enum class CommandButton { Encrypt, Decrypt };

// What a batch run needs of the window that holds the rows. The window
// carries each call out synchronously, so updates appear in the run's order.
class RunView {
 public:
  virtual ~RunView() = default;
  // False when the row no longer exists: such a row names no file.
  virtual bool ReadRowPath(int row, std::string& path) = 0;
  virtual void SetRowImage(int row, RowImage image) = 0;
  virtual void SetRowPath(int row, const std::string& path) = 0;      // column 0
  virtual void SetRowStatus(int row, RowStatus status) = 0;           // column 1
  virtual void EnsureRowVisible(int row) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void EnableCommand(CommandButton button, bool enable) = 0;
  // Told once per row that was reached, after its last update; shownPath is
  // what column 0 holds afterwards.
  virtual void RowFinished(int row, Outcome outcome, const std::string& shownPath) {
    (void)row; (void)outcome; (void)shownPath;
  }
  // Told while data moves, for displays finer than the progress bar.
  virtual void BytesDone(std::uint64_t done, std::uint64_t total) { (void)done; (void)total; }
};

// A run without a window: the row, progress and button updates go nowhere;
// what is heard comes through ReadRowPath, RowFinished and BytesDone.
class HeadlessRunView : public RunView {
 public:
  void SetRowImage(int, RowImage) override {}
  void SetRowPath(int, const std::string&) override {}
  void SetRowStatus(int, RowStatus) override {}
  void EnsureRowVisible(int) override {}
  void SetProgress(int) override {}
  void EnableCommand(CommandButton, bool) override {}
};
