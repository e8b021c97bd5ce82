#pragma once
#include <string>

#include "crypt/row_reason.h"

// Why a row did not succeed, in the window's words; empty for Reason::None.
std::wstring ReasonText(Reason reason);
