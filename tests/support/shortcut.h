#pragma once
#ifdef _WIN32
#include <string>

// A shortcut file made with the shell's link object; in UTF-16 for a target
// the code page cannot hold.
bool MakeShortcut(const std::wstring& link, const std::wstring& target);
bool MakeShortcut(const std::string& link, const std::string& target);
#endif
