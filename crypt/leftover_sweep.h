#pragma once
#include <string>

#include "crypt/file_system.h"

// Removes the temporary files that runs which died left in folder: names of
// the runs' own pattern, and of those only the files no living writer holds,
// so that a run working in the same folder at the same time keeps its own.
// Whatever cannot be listed or removed stays as it is.
void RemoveAbandonedTemporaries(FileSystem& fs, const std::string& folder);
