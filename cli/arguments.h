#pragma once
#include <optional>
#include <string>
#include <vector>

#include "crypt/outcome.h"

// p6k encrypt|decrypt [-r] [--password-file FILE] PATH...
// p6k --help | --version
struct Arguments {
  enum class Action { Run, Help, Version };
  Action action = Action::Run;
  RunKind kind = RunKind::Encrypt;
  bool recursive = false;
  std::optional<std::string> passwordFile;
  std::vector<std::string> paths;
};

struct ParsedArguments {
  std::optional<Arguments> arguments;
  std::string error;  // one line, when arguments is empty
};

// argv as ProgramArguments gives it, the program's name first.
ParsedArguments ParseArguments(const std::vector<std::string>& argv);

// The arguments of main as narrow strings. On Windows they are taken from
// the UTF-16 command line, so that a name the code page cannot hold arrives
// marked with "?" instead of as a look-alike of another name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

extern const char kUsage[];
