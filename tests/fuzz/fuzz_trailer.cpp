// The trailer tests and the extension read over arbitrary bytes: the first
// byte is the key, the rest the end of a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "crypt/container_format.h"
#include "crypt/container_text.h"

namespace {

// The layout's own reading, independent of the engine's: each stored byte
// XOR the key equals the plain text, its terminating 0 included.
bool ReadsBackAs(const unsigned char* stored, const char* plain, std::size_t size,
                 std::uint8_t key) {
  for (std::size_t i = 0; i < size; ++i)
    if (static_cast<unsigned char>(stored[i] ^ key) != static_cast<unsigned char>(plain[i]))
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 + container::kTrailerSize) return 0;
  std::uint8_t key = data[0];
  const unsigned char* end = data + size;
  bool marker = container::MarkerMatches(end - container::kMarkerFromEnd, key);
  bool tag = container::TagMatches(end - container::kTagFromEnd, key);
  if (marker != ReadsBackAs(end - 8, "qvtormx", 8, key)) std::abort();
  if (tag != ReadsBackAs(end - 13, "love", 5, key)) std::abort();
  std::string field = container::ReadExtensionField(end - container::kExtensionFromEnd, key);
  if (field.size() > container::kExtensionFieldSize) std::abort();
  if (auto safe = container_text::SafeExtension(field)) {
    if (safe->size() > field.size()) std::abort();
    // No separator, colon or control byte may stand as a character of its own.
    for (std::size_t i = 0; i < safe->size(); ++i) {
      unsigned char b = static_cast<unsigned char>((*safe)[i]);
      if (container_text::IsContainerLeadByte(b)) {
        if (i + 1 == safe->size()) std::abort();  // a cut character is dropped
        ++i;
      } else if (b < 0x20 || b == '/' || b == '\\' || b == ':') {
        std::abort();
      }
    }
    container_text::FromContainer(*safe);
  }
  // A trailer built for the field reads back under its own key.
  std::string trailer = container::BuildTrailer(field, key);
  auto bytes = reinterpret_cast<const unsigned char*>(trailer.data());
  if (!container::MarkerMatches(bytes + 13, key) || !container::TagMatches(bytes + 8, key))
    std::abort();
  if (container::ReadExtensionField(bytes, key) != field) std::abort();
  return 0;
}
