#pragma once
#include <functional>
#include <string>

// A shortcut's target as it stores it, environment variables and all,
// expanded as the 64-bit system reads it. A 32-bit process on 64-bit Windows
// sees %ProgramFiles% and %CommonProgramFiles% as the "(x86)" folders, and
// the shell, expanding them for it, would give a row for another folder's
// file; the native folders stand in %ProgramW6432% and
// %CommonProgramW6432%, which that process is given too.

// A variable's value, or empty when it is not set.
using VariableLookup = std::function<std::wstring(const std::wstring&)>;

// raw with each %NAME% replaced by its value; a name that is not set stays as
// written, as the system leaves it. wow64 reads the Program Files names as
// the native folders.
std::wstring ExpandStoredTarget(const std::wstring& raw, const VariableLookup& lookup, bool wow64);

// The same with this process's environment and word size.
std::wstring ExpandStoredTarget(const std::wstring& raw);
