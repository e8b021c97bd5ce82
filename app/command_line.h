#pragma once
#include <string>
#include <vector>

// The file named on the command line: the first argument after the program's
// name that is not a switch ("-" or "/" first), exactly as it arrived.
// Empty when there is none.
std::string CommandLineFile(const std::vector<std::string>& arguments);

// "/add PATH...", as Explorer's "添加到 Tavrel文件加密" starts the program:
// every argument that is not a switch is a path for the main window's list.
// Without the switch the command line means what CommandLineFile says.
struct AddRequest {
  bool asked = false;
  std::vector<std::string> paths;
};
AddRequest CommandLineAdd(const std::vector<std::string>& arguments);
