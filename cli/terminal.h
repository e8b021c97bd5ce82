#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

class StopRequest;

// Whether the stream is an interactive terminal (or console).
bool IsTerminal(std::FILE* stream);

// Writes the program's text (UTF-8, paths included) to the stream and
// flushes it; false when either failed. POSIX writes the bytes as they are.
// Windows writes a console in UTF-16, so every name shows whole, and a file
// or pipe in the ANSI code page, as it always has: there a character the
// code page cannot hold is "?", never a look-alike of another name.
bool WriteText(std::FILE* stream, const std::string& utf8);

// Bytes of the UTF-8 character that starts at text[i].
std::size_t ConsoleCharacterLength(const std::string& text, std::size_t i);

enum class PromptResult { Read, NoTerminal, Stopped };

// Asks on the terminal itself, not on the redirected standard streams, and
// reads one line without echo. The line end is not part of the result.
PromptResult ReadHiddenLine(const char* prompt, const StopRequest& stop, std::string& line);
