#include <gtest/gtest.h>

#include "crypt/key.h"

namespace {

// The rule written out independently: the seed's low byte XOR (b | 0x80) per byte.
std::uint8_t ExpectedKey(const std::string& password) {
  std::uint8_t k = 0xC4;
  for (unsigned char b : password) k ^= static_cast<std::uint8_t>(b | 0x80);
  return k;
}

TEST(DeriveKey, FollowsTheFoldingRule) {
  const std::string passwords[] = {"", "a", "pw", "Secret123", "\xC3\xDC\xC2\xEB" /* 密码 */,
                                   std::string("\x00\x7F\x80\xFF", 4)};
  for (const auto& p : passwords) EXPECT_EQ(DeriveKey(p), ExpectedKey(p)) << p;
  EXPECT_EQ(DeriveKey(""), 0xC4);
  EXPECT_EQ(DeriveKey("a"), 0xC4 ^ 0xE1);
}

TEST(DeriveKey, StatedConsequences) {
  struct Case { const char* a; const char* b; } same[] = {
      {"abc", "cba"},              // order does not matter
      {"pw", "pwxx"},              // two equal bytes cancel
      {"pwxx", "pwyyzz"},
      {"A", "\xC1"},               // a byte and the same byte with bit 7 flipped
      {"", "qq"},
  };
  for (auto& c : same) EXPECT_EQ(DeriveKey(c.a), DeriveKey(c.b)) << c.a << " / " << c.b;
  EXPECT_NE(DeriveKey("a"), DeriveKey("b"));
}

}  // namespace
