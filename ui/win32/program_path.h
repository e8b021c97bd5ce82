#pragma once
#include <string>

// The running program's full path, however long.
std::wstring ProgramPath();
