#include "crypt/path_rules.h"

bool Cp936LeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool NoLeadByte(unsigned char) { return false; }
