#pragma once
#include <string>

#include "crypt/outcome.h"

// The words column 1 shows for a status, from the string table.
std::wstring StatusText(RowStatus status);
