#pragma once
#ifdef _WIN32
#include <windows.h>

#include <string>

// What a Windows path really names. Internal to the engine's Windows halves.
namespace win32_paths {

// True when the opened file or folder is what its own name in its own folder
// names, and not reached through a link or junction. Attributes do not tell:
// under Wine a Unix link shows none. So the final path of the handle is
// compared with the final path of the folder followed by the name; a link
// higher up the path resolves alike on both sides and does not count.
bool StandsUnderItsOwnName(HANDLE handle, const std::string& path);

}  // namespace win32_paths
#endif
