#pragma once
#ifdef _WIN32
#include <string>
#include <vector>

// Paths as the program carries them on Windows: UTF-8, converted exactly to
// and from the system's UTF-16 at the door they come in by and at the file
// call, so every name the system holds survives the way between.
//
// A name may hold a lone surrogate, which NTFS allows and no UTF-8 text can
// stand for. It becomes "?", a character no Windows name holds, so such a
// path opens nothing rather than another file; exact tells of it.
namespace path_text {

// exact, when given, tells whether every character was held.
std::string FromWide(const std::wstring& wide, bool* exact = nullptr);
std::string FromWide(const wchar_t* wide);

// UTF-8 text (a path) as UTF-16; empty when it is not valid UTF-8.
std::wstring ToWide(const std::string& utf8);

// True when the path holds a "?" or "*" after its "\\?\" prefix, if it has
// one: the mark of a character no text carries, or a character no Windows
// name holds. Such a path names no file as written.
bool HoldsMark(const std::string& utf8);

// The program's arguments, its name first, split by the run-time library's
// quoting rules from the UTF-16 command line, each as UTF-8.
std::vector<std::string> CommandLineArguments();

}  // namespace path_text
#endif
