#pragma once
#include "crypt/outcome.h"

// The images of the file list's image list.
enum class RowImage { Tick = 0, Dot = 1, Cross = 2 };

// The image a row shows for an outcome: the tick for success, the grey dot
// for a file this password already encrypted (and for a row left as it
// was), the cross for every failure and refusal.
RowImage ImageOf(Outcome outcome);
