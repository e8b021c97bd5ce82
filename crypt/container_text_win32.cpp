// Windows: the program's narrow names are already code page 936, the
// container's own text.
#include <windows.h>

#include "crypt/container_text.h"

namespace container_text {

std::optional<std::string> ToContainer(const std::string& native) { return native; }
std::optional<std::string> FromContainer(const std::string& bytes) { return bytes; }
bool IsContainerLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace container_text
