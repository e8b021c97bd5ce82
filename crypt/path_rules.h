#pragma once
#include <string>

// How a narrow path is read: which bytes start a double-byte character (so
// that its second byte is never taken for a separator or a dot), and whether
// the backslash separates folders.
struct PathRules {
  bool (*isLeadByte)(unsigned char);
  bool backslashSeparates;
};

bool Cp936LeadByte(unsigned char b);  // 0x81..0xFE
bool NoLeadByte(unsigned char b);     // UTF-8 never reuses ASCII bytes inside a character

// Windows: UTF-8 names, "\" and "/" both separate.
// POSIX: UTF-8 names, only "/" separates.
PathRules NativePathRules();

// Whether this system can hold a file under the last part of path as
// written. Windows drops a trailing "." or " " from a name, so such a name
// would stand for another file; POSIX holds it.
bool SystemHoldsName(const std::string& path);

// Code page 936 with Windows separators: the rules the tests fix.
inline PathRules Cp936WindowsRules() { return PathRules{&Cp936LeadByte, true}; }
