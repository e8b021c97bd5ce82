#include "crypt/container_format.h"

#include <cstring>

namespace container {
namespace {
const unsigned char kTag[kTagSize] = {'l', 'o', 'v', 'e', 0};
const unsigned char kMarker[kMarkerSize] = {'q', 'v', 't', 'o', 'r', 'm', 'x', 0};

bool DecodesTo(const unsigned char* stored, const unsigned char* plain, std::size_t n,
               std::uint8_t key) {
  for (std::size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(stored[i] ^ key) != plain[i]) return false;
  return true;
}
}  // namespace

void ApplyMask(unsigned char* data, std::size_t size, std::uint8_t mask) {
  // Blocks of a fixed length need no remainder inside the vector loop, so the
  // compiler uses its widest registers for them even at -O2.
  constexpr std::size_t kBlock = 64;
  std::size_t i = 0;
  for (; size - i >= kBlock; i += kBlock)
    for (std::size_t k = 0; k < kBlock; ++k) data[i + k] ^= mask;
  for (; i < size; ++i) data[i] ^= mask;
}

std::string BuildTrailer(const std::string& extension, std::uint8_t key) {
  unsigned char trailer[kTrailerSize] = {};
  std::size_t kept = extension.size() < kExtensionFieldSize ? extension.size() : kExtensionFieldSize;
  std::memcpy(trailer, extension.data(), kept);
  std::memcpy(trailer + kExtensionFieldSize, kTag, kTagSize);
  std::memcpy(trailer + kExtensionFieldSize + kTagSize, kMarker, kMarkerSize);
  ApplyMask(trailer, kTrailerSize, key);
  return std::string(reinterpret_cast<const char*>(trailer), kTrailerSize);
}

bool MarkerMatches(const unsigned char marker[kMarkerSize], std::uint8_t key) {
  return DecodesTo(marker, kMarker, kMarkerSize, key);
}

bool TagMatches(const unsigned char tag[kTagSize], std::uint8_t key) {
  return DecodesTo(tag, kTag, kTagSize, key);
}

std::string ReadExtensionField(const unsigned char field[kExtensionFieldSize], std::uint8_t key) {
  std::string text;
  for (std::size_t i = 0; i < kExtensionFieldSize; ++i) {
    char c = static_cast<char>(field[i] ^ key);
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

}  // namespace container
