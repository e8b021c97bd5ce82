#include "arguments.h"

#include "ansi_text.h"

std::vector<std::string> ProgramArguments(int, char**) { return ansi_text::CommandLineArguments(); }
