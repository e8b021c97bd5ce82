#pragma once
#include <string>

// Before a file is masked: a line on standard error when decrypting its
// container will not give back the name it has now, with the name it will
// give back. The row goes ahead all the same.
void WarnOfReturnedName(const std::string& sourcePath);
