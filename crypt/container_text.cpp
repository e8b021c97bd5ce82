#include "crypt/container_text.h"

#include <cstring>

#include "crypt/path_rules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace container_text {

#ifdef _WIN32

std::optional<std::string> ToContainer(const std::string& native) { return native; }
std::optional<std::string> FromContainer(const std::string& bytes) { return bytes; }
bool IsContainerLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

#else

namespace {
std::optional<std::string> Convert(const char* to, const char* from, const std::string& text) {
  if (text.empty()) return std::string();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = text;
  std::string out(text.size() * 4 + 4, '\0');
  char* inPtr = &in[0];
  std::size_t inLeft = in.size();
  char* outPtr = &out[0];
  std::size_t outLeft = out.size();
  std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}
}  // namespace

std::optional<std::string> ToContainer(const std::string& native) {
  return Convert("CP936", "UTF-8", native);
}

std::optional<std::string> FromContainer(const std::string& bytes) {
  return Convert("UTF-8", "CP936", bytes);
}

bool IsContainerLeadByte(unsigned char b) { return Cp936LeadByte(b); }

#endif

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
