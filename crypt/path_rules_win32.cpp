// Windows: UTF-8 names, as on POSIX, where both "\" and "/" separate.
#include "crypt/path_rules.h"

PathRules NativePathRules() { return PathRules{&NoLeadByte, true}; }

bool SystemHoldsName(const std::string& path) {
  return path.empty() || (path.back() != '.' && path.back() != ' ');
}
