#include "cli/arguments.h"

#include "platform/path_text.h"

std::vector<std::string> ProgramArguments(int, char**) { return path_text::CommandLineArguments(); }
