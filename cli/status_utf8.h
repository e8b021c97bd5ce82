#pragma once
#include "crypt/outcome.h"

// The words of a status as the window shows them, in UTF-8: the string
// table's words, from the one header both take them from.
const char* StatusUtf8(RowStatus status);
