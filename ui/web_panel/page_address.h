#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "crypt/path_rules.h"

// The network test: non-zero when the computer reports a connection.
using NetworkProbe = std::function<BOOL(DWORD* flags)>;

// IsNetworkAlive of sensapi.dll, loaded at run time; no network when the
// library or its entry is missing.
BOOL SystemIsNetworkAlive(DWORD* flags);

// The running program's path, as the program carries paths.
std::string ExecutablePathA();

// The panel's page: the maker's "/default1.htm" with a network, else
// "default1.htm" in the executable's folder. The folder ends at the last
// backslash that is not the second byte of a double-byte character (the
// rules tell which bytes lead one).
std::string ChoosePageAddress(const NetworkProbe& isNetworkAlive, const std::string& executablePath,
                              const PathRules& rules = NativePathRules());

// The online help: the maker's "/products_TX_overview.html".
std::string HelpPageAddress();
