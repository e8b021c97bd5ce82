#pragma once
#include "outcome.h"

// The status texts as the window writes them, in UTF-8.
const char* StatusText(RowStatus status);
