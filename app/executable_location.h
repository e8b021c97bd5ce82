#pragma once
#include <string>

// The running program's path in its short (8.3) form, which the shell's
// commands can hold without quotes; the long path when there is no short one.
std::string ShortExecutablePath();

// True when the executable holds an icon at that index (counted over its
// icon groups in ascending identifier order).
bool HasIconAtIndex(const std::string& executable, int index);
