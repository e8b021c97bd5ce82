// Windows: the ANSI code page's lead bytes, and both separators.
#include <windows.h>

#include "crypt/path_rules.h"

namespace {
bool AnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }
}  // namespace

PathRules NativePathRules() { return PathRules{&AnsiLeadByte, true}; }
