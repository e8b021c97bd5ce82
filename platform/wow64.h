#pragma once
#ifdef _WIN32

// Whether this process is a 32-bit one on 64-bit Windows, where the system
// quietly sends some folders and variables elsewhere.
bool RunsUnderWow64();

#endif
