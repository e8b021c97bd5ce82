#pragma once
#ifdef _WIN32
#include <windows.h>

// Libraries from the system folder only. By default Windows looks for a
// library loaded by name in the program's own folder first, and a portable
// program's folder is often Downloads, where any "atl.dll" a browser left
// would run inside our process with the user's rights.
namespace system_library {

// Narrows the search of every later load to the system folder, and takes
// the current folder out of it. Called first thing at start.
void NarrowSearchToSystemFolder();

// A library of the system folder by its file name ("atl.dll"), or null.
HMODULE Load(const wchar_t* fileName);

}  // namespace system_library
#endif
