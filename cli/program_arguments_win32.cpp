#include "cli/arguments.h"

#include "platform/ansi_text.h"

std::vector<std::string> ProgramArguments(int, char**) { return ansi_text::CommandLineArguments(); }
