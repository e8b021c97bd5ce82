#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/taskbar_button.h"

// A taskbar button that keeps every call, as text: "40/400", "none", "flash".
class RecordingButton : public TaskbarButton {
 public:
  void ShowProgress(std::uint64_t done, std::uint64_t total) override {
    calls.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  void ShowNoProgress() override { calls.push_back("none"); }
  void Flash() override { calls.push_back("flash"); }
  std::vector<std::string> calls;
};
