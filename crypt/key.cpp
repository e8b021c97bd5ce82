#include "crypt/key.h"

namespace {
const std::uint32_t kKeySeed = 0x6A3D52C4u;
}

std::uint8_t DeriveKey(const std::string& password) {
  std::uint32_t word = kKeySeed;
  for (unsigned char b : password) {
    // A byte below 0x80 gets bit 7 set; a byte from 0x80 up is widened as a
    // signed char. Only the low byte survives, and both rules agree there.
    word ^= (b < 0x80) ? (b | 0x80u) : (0xFFFFFF00u | b);
  }
  return static_cast<std::uint8_t>(word & 0xFF);
}
