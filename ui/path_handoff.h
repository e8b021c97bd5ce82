#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Paths one process of the program hands to another's main window with
// WM_COPYDATA: UTF-16, each ended by a NUL, marked as ours so that no other
// sender's data is taken for paths.
namespace path_handoff {

const ULONG_PTR kMark = 0x50364B41;  // "P6KA"

// The message's data for paths given as UTF-8.
std::wstring Encode(const std::vector<std::string>& paths);

// The paths a message carries, as UTF-8 as a drop's are; false when it is
// not ours or not whole.
bool Decode(const COPYDATASTRUCT& data, std::vector<std::string>& paths);

}  // namespace path_handoff
