#pragma once
#ifdef _WIN32
#include <windows.h>

#include <string>

// What a Windows path really names. Internal to the engine's Windows halves.
namespace win32_paths {

// The program's narrow path as the wide "\\?\" path the layer hands to the
// system, so that no path is cut at 260 characters; a path given in that
// form already is taken as written. Empty when the path cannot stand for one
// file as written: not UTF-8, a "?" or "*" past the prefix (see
// path_text::HoldsMark), or a part
// that ends in "." or " ", which the system would quietly drop and so open
// another file (Linux, and Wine with it, allows such names).
std::wstring LongPath(const std::string& path);

// The same for a path that is already UTF-16. Empty too for a path that a
// 32-bit process on 64-bit Windows would be sent elsewhere for (see
// system_folder_win32.h): every operation on it fails, and none reaches
// another file.
std::wstring LongPath(const std::wstring& path);

// LongPath without the check of the system folder.
std::wstring LongPathAsWritten(const std::wstring& path);

// True when path is refused because of where WOW64 would send it.
bool UnderRedirectedSystemFolder(const std::string& path);

// True when the opened file or folder is what its own name in its own folder
// names, and not reached through a link or junction. Attributes do not tell:
// under Wine a Unix link shows none. So the final path of the handle is
// compared with the final path of the folder followed by the name; a link
// higher up the path resolves alike on both sides and does not count.
bool StandsUnderItsOwnName(HANDLE handle, const std::string& path);

}  // namespace win32_paths
#endif
