#include "crypt/container_text.h"

#include <cstring>

namespace container_text {

std::optional<std::string> SafeExtension(const std::string& field) {
  std::string safe;
  for (std::size_t i = 0; i < field.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(field[i]);
    if (IsContainerLeadByte(b)) {
      if (i + 1 == field.size()) break;  // the cut split this character
      safe.push_back(field[i]);
      safe.push_back(field[++i]);
      continue;
    }
    if (b < 0x20 || std::strchr("\\/:*?\"<>|", b) != nullptr) return std::nullopt;
    safe.push_back(field[i]);
  }
  return safe;
}

}  // namespace container_text
