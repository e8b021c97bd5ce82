// POSIX: names are UTF-8, the container's text is code page 936.
#include <iconv.h>

#include "crypt/container_text.h"
#include "crypt/path_rules.h"

namespace container_text {

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

}  // namespace container_text
