#pragma once
#include <optional>
#include <string>

#include "crypt/outcome.h"

class StopRequest;

// The password's bytes as containers take them (code page 936), from the
// first source present: the password file, P6K_PASSWORD, the terminal.
struct PasswordReading {
  std::optional<std::string> bytes;
  std::string error;     // one line, a usage error, when bytes is empty
  bool stopped = false;  // Ctrl-C at the prompt
};

PasswordReading ReadPassword(RunKind kind, const std::optional<std::string>& passwordFile,
                             const StopRequest& stop);
