#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

class StopRequest;

// Whether the stream is an interactive terminal (or console).
bool IsTerminal(std::FILE* stream);

// Text of the program, written in UTF-8, as the console expects it: UTF-8 on
// POSIX, the ANSI code page on Windows (where paths already are ANSI).
std::string ConsoleText(const std::string& utf8);

// Bytes of the character that starts at text[i] in the console's text: a
// double-byte character of the ANSI code page on Windows, a UTF-8 sequence
// elsewhere.
std::size_t ConsoleCharacterLength(const std::string& text, std::size_t i);

enum class PromptResult { Read, NoTerminal, Stopped };

// Asks on the terminal itself, not on the redirected standard streams, and
// reads one line without echo. The line end is not part of the result.
PromptResult ReadHiddenLine(const char* prompt, const StopRequest& stop, std::string& line);
