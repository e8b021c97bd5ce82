#include "cli/password.h"

#include <cstdio>
#include <cstdlib>

#include "cli/password_file.h"
#include "cli/terminal.h"

namespace {

PasswordReading Fail(const std::string& error) {
  PasswordReading reading;
  reading.error = error;
  return reading;
}

PasswordReading Stopped() {
  PasswordReading reading;
  reading.stopped = true;
  return reading;
}

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                                 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

const char kNotInCodePage[] = "the password holds characters that code page 936 cannot hold";

// A password file is UTF-8, as editors save it today, with or without a
// byte-order mark; the key is made from the password's code page 936 bytes,
// as the window makes it. On Windows a line that is not UTF-8 comes from an
// older editor and is taken as the ANSI code page's bytes.
PasswordReading FromPasswordFileLine(std::string line) {
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  if (line.empty()) return Fail("the password is empty");
  std::optional<std::string> bytes;
  if (IsUtf8(line)) {
    bytes = PasswordBytesOfUtf8(line);
    if (!bytes) return Fail(kNotInCodePage);
  } else {
    bytes = PasswordBytesOfOtherText(line);
    if (!bytes) return Fail("the password file's first line is not UTF-8 text");
  }
  PasswordReading reading;
  reading.bytes = bytes;
  return reading;
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
    std::string line;
    LineRead read = ReadFirstLine(*passwordFile, stop, line);
    if (read == LineRead::Stopped) return Stopped();
    if (read == LineRead::Failed)
      return Fail("cannot read the password file '" + *passwordFile + "'");
    return FromPasswordFileLine(line);
  }
  if (const char* variable = std::getenv("P6K_PASSWORD")) {
    native = variable;
  } else {
    PasswordReading prompt = FromTerminal(kind, stop, native);
    if (prompt.stopped || !prompt.error.empty()) return prompt;
  }
  if (native.empty()) return Fail("the password is empty");
  std::optional<std::string> bytes = PasswordBytesOfTyped(native);
  if (!bytes) return Fail(kNotInCodePage);
  PasswordReading reading;
  reading.bytes = bytes;
  return reading;
}
