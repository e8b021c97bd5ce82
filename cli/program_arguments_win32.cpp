#include "cli/arguments.h"

#include "crypt/ansi_text.h"

std::vector<std::string> ProgramArguments(int, char**) { return ansi_text::CommandLineArguments(); }
