#pragma once
#ifdef _WIN32
#include <string>
#include <vector>

// Names and arguments arrive from the system in UTF-16; the program's narrow
// strings are in the ANSI code page. The conversion is exact or marked: a
// character the code page cannot hold becomes "?", never a look-alike (the
// system's own conversion would make "report¹.txt" into "report1.txt", the
// name of another file). No file name holds a "?", so such a name opens
// nothing.
namespace ansi_text {

// exact, when given, tells whether every character was held.
std::string FromWide(const std::wstring& wide, bool* exact = nullptr);
std::string FromWide(const wchar_t* wide);

// ANSI text (a path) as UTF-16, exactly; empty when it is not valid text of
// the code page.
std::wstring ToWide(const std::string& ansi);

// The program's arguments, its name first, split by the run-time library's
// quoting rules from the UTF-16 command line and narrowed as above.
std::vector<std::string> CommandLineArguments();

}  // namespace ansi_text
#endif
