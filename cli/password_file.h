#pragma once
#include <optional>
#include <string>

class StopRequest;

// The password file's platform parts: reading its first line, and the
// code page 936 bytes that line stands for.
enum class LineRead { Read, Failed, Stopped };

// The file's first line, without its line end.
LineRead ReadFirstLine(const std::string& path, const StopRequest& stop, std::string& line);

// The bytes of a UTF-8 line; empty when code page 936 cannot hold it.
std::optional<std::string> PasswordBytesOfUtf8(const std::string& line);

// The bytes of a password typed at the prompt or set in P6K_PASSWORD: on
// Windows these come as the ANSI code page's bytes already, elsewhere as
// UTF-8; empty when code page 936 cannot hold it.
std::optional<std::string> PasswordBytesOfTyped(const std::string& typed);

// The bytes of a line that is not UTF-8: on Windows it comes from an older
// editor and is taken as the ANSI code page's bytes; elsewhere it is refused
// (empty).
std::optional<std::string> PasswordBytesOfOtherText(const std::string& line);
