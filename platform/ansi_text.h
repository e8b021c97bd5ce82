#pragma once
#ifdef _WIN32
#include <string>

// The ANSI code page's bytes of text the system hands over in UTF-16: a
// password's bytes, which make the key, and a container's extension field.
// (Paths are not narrowed here: see path_text.) The conversion is exact or
// marked: a character the code page cannot hold becomes "?", never a
// look-alike (the system's own conversion would make "¹" into "1").
namespace ansi_text {

// exact, when given, tells whether every character was held.
std::string FromWide(const std::wstring& wide, bool* exact = nullptr);
std::string FromWide(const wchar_t* wide);

// ANSI text as UTF-16, exactly; empty when it is not valid text of the code
// page.
std::wstring ToWide(const std::string& ansi);

}  // namespace ansi_text
#endif
