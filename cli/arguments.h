#pragma once
#include <optional>
#include <string>
#include <vector>

#include "outcome.h"

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

ParsedArguments ParseArguments(int argc, char** argv);

extern const char kUsage[];
