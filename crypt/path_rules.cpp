#include "crypt/path_rules.h"

#ifdef _WIN32
#include <windows.h>
#endif

bool Cp936LeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool NoLeadByte(unsigned char) { return false; }

#ifdef _WIN32
namespace {
bool AnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }
}  // namespace

PathRules NativePathRules() { return PathRules{&AnsiLeadByte, true}; }
#else
PathRules NativePathRules() { return PathRules{&NoLeadByte, false}; }
#endif
