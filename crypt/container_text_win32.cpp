// Windows: names are UTF-8, as on POSIX; the container's text is the ANSI
// code page's bytes (936), as the program has always written them.
#include <windows.h>

#include "crypt/container_text.h"
#include "platform/ansi_text.h"
#include "platform/path_text.h"

namespace container_text {

std::optional<std::string> ToContainer(const std::string& native) {
  if (native.empty()) return std::string();
  std::wstring wide = path_text::ToWide(native);
  if (wide.empty()) return std::nullopt;
  bool exact = false;
  std::string bytes = ansi_text::FromWide(wide, &exact);
  if (!exact || bytes.empty()) return std::nullopt;
  return bytes;
}

std::optional<std::string> FromContainer(const std::string& bytes) {
  if (bytes.empty()) return std::string();
  std::wstring wide = ansi_text::ToWide(bytes);
  if (wide.empty()) return std::nullopt;
  bool exact = false;
  std::string native = path_text::FromWide(wide, &exact);
  if (!exact) return std::nullopt;
  return native;
}

bool IsContainerLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace container_text
