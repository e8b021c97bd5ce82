#include "password.h"

#include <cstdio>
#include <cstdlib>

#include "container_text.h"
#include "terminal.h"

namespace {

PasswordReading Fail(const std::string& error) {
  PasswordReading reading;
  reading.error = error;
  return reading;
}

// The file's first line, without its line end.
bool ReadFirstLine(const std::string& path, std::string& line) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  line.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  bool ok = !std::ferror(file);
  std::fclose(file);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ok;
}

PasswordReading FromTerminal(RunKind kind, const StopRequest& stop, std::string& typed) {
  PasswordReading reading;
  PromptResult r = ReadHiddenLine("Password: ", stop, typed);
  if (r == PromptResult::Read && kind == RunKind::Encrypt) {
    std::string again;
    r = ReadHiddenLine("Password again: ", stop, again);
    // Byte for byte, as the window compares its two entries.
    if (r == PromptResult::Read && again != typed) return Fail("the two passwords differ");
  }
  if (r == PromptResult::NoTerminal)
    return Fail("no password: use --password-file, set P6K_PASSWORD, or run in a terminal");
  reading.stopped = r == PromptResult::Stopped;
  return reading;
}

}  // namespace

PasswordReading ReadPassword(RunKind kind, const std::optional<std::string>& passwordFile,
                             const StopRequest& stop) {
  std::string native;
  if (passwordFile) {
    if (!ReadFirstLine(*passwordFile, native))
      return Fail("cannot read the password file '" + *passwordFile + "'");
  } else if (const char* variable = std::getenv("P6K_PASSWORD")) {
    native = variable;
  } else {
    PasswordReading prompt = FromTerminal(kind, stop, native);
    if (prompt.stopped || !prompt.error.empty()) return prompt;
  }
  if (native.empty()) return Fail("the password is empty");
  std::optional<std::string> bytes = container_text::ToContainer(native);
  if (!bytes) return Fail("the password holds characters that code page 936 cannot hold");
  PasswordReading reading;
  reading.bytes = bytes;
  return reading;
}
