#include "app/command_line.h"

std::string CommandLineFile(const std::vector<std::string>& arguments) {
  // Switches such as /p, /pt and /dde only matter to printing and shell
  // conversations, which this program never offers; they are skipped.
  for (const std::string& argument : arguments) {
    if (!argument.empty() && (argument[0] == '-' || argument[0] == '/')) continue;
    return argument;
  }
  return std::string();
}
