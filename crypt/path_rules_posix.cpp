// POSIX: UTF-8 names, where only "/" separates.
#include "crypt/path_rules.h"

PathRules NativePathRules() { return PathRules{&NoLeadByte, false}; }

bool SystemHoldsName(const std::string&) { return true; }
