#include "app/command_line.h"

namespace {

bool IsSwitch(const std::string& argument) {
  return !argument.empty() && (argument[0] == '-' || argument[0] == '/');
}

// Switches are written in any case on Windows.
bool IsAddSwitch(const std::string& argument) {
  if (argument.size() != 4 || !IsSwitch(argument)) return false;
  for (std::size_t i = 1; i < 4; ++i)
    if ((argument[i] | 0x20) != "add"[i - 1]) return false;
  return true;
}

}  // namespace

std::string CommandLineFile(const std::vector<std::string>& arguments) {
  // Switches such as /p, /pt and /dde only matter to printing and shell
  // conversations, which this program never offers; they are skipped.
  for (const std::string& argument : arguments) {
    if (IsSwitch(argument)) continue;
    return argument;
  }
  return std::string();
}

AddRequest CommandLineAdd(const std::vector<std::string>& arguments) {
  AddRequest request;
  for (const std::string& argument : arguments) {
    if (IsAddSwitch(argument))
      request.asked = true;
    else if (!IsSwitch(argument) && !argument.empty())
      request.paths.push_back(argument);
  }
  if (!request.asked) request.paths.clear();
  return request;
}
