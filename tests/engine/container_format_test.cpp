#include <gtest/gtest.h>

#include "crypt/container_format.h"
#include "crypt/container_text.h"

namespace {

// The trailer spelled out from the layout: extension field, "love\0", "qvtormx\0".
std::string TrailerFromLayout(const std::string& extension, std::uint8_t key) {
  std::string plain = extension.substr(0, 8);
  plain.resize(8, '\0');
  plain += std::string("love\0", 5);
  plain += std::string("qvtormx\0", 8);
  for (auto& c : plain) c = static_cast<char>(c ^ key);
  return plain;
}

TEST(ContainerFormat, TrailerBytes) {
  const std::string extensions[] = {"", "txt", "gz", "properties", "12345678", "\xCE\xC4\xB5\xB5"};
  for (std::uint8_t key : {0x00, 0x25, 0xC4, 0xFF})
    for (const auto& ext : extensions) {
      std::string trailer = container::BuildTrailer(ext, key);
      ASSERT_EQ(trailer.size(), 21u);
      EXPECT_EQ(trailer, TrailerFromLayout(ext, key)) << ext << " key " << int(key);
    }
}

TEST(ContainerFormat, ZeroBytesOfTheTrailerAreStoredAsTheKey) {
  std::string trailer = container::BuildTrailer("txt", 0x5A);
  for (int i : {3, 4, 5, 6, 7, 12, 20}) EXPECT_EQ(static_cast<unsigned char>(trailer[i]), 0x5A);
}

TEST(ContainerFormat, ReadsBackOnlyWithItsKey) {
  for (int k = 0; k < 256; ++k) {
    std::string trailer = container::BuildTrailer("doc", static_cast<std::uint8_t>(k));
    auto bytes = reinterpret_cast<const unsigned char*>(trailer.data());
    for (int other : {k, k ^ 1, k ^ 0x80}) {
      bool same = other == k;
      EXPECT_EQ(container::MarkerMatches(bytes + 13, static_cast<std::uint8_t>(other)), same);
      EXPECT_EQ(container::TagMatches(bytes + 8, static_cast<std::uint8_t>(other)), same);
    }
    EXPECT_EQ(container::ReadExtensionField(bytes, static_cast<std::uint8_t>(k)), "doc");
  }
}

TEST(ContainerFormat, ExtensionFieldStopsAtTheFirstZero) {
  struct Case { std::string plain; std::string text; } cases[] = {
      {std::string("txt\0abcd", 8), "txt"},
      {std::string("12345678", 8), "12345678"},
      {std::string("\0xxxxxxx", 8), ""},
  };
  for (auto& c : cases) {
    std::string stored = c.plain;
    for (auto& ch : stored) ch = static_cast<char>(ch ^ 0x33);
    EXPECT_EQ(container::ReadExtensionField(reinterpret_cast<const unsigned char*>(stored.data()), 0x33),
              c.text);
  }
}

TEST(ContainerFormat, DataMaskAndSizeLimit) {
  // K XOR (L mod 256), all eight bits of the length's low byte.
  struct Case { std::uint8_t key; std::uint64_t length; std::uint8_t mask; } cases[] = {
      {0x25, 0, 0x25}, {0x25, 5, 0x20}, {0x25, 0xA0, 0x85}, {0x25, 0x1A0, 0x85},
      {0x00, 0xFF, 0xFF}, {0xC4, 0x42000000ull, 0xC4},
  };
  for (const Case& c : cases) EXPECT_EQ(container::DataMask(c.key, c.length), c.mask) << c.length;
  EXPECT_FALSE(container::ExceedsSizeLimit(1107296256ull));
  EXPECT_TRUE(container::ExceedsSizeLimit(1107296257ull));
  EXPECT_TRUE(container::ExceedsSizeLimit((4ull << 30) + 10));
}

TEST(ContainerText, SafeExtensions) {
  struct Case { std::string field; bool safe; std::string result; } cases[] = {
      {"txt", true, "txt"},
      {"", true, ""},
      {"\xCE\xC4\xB5\xB5", true, "\xCE\xC4\xB5\xB5"},
      {"a\x95\x5C", true, "a\x95\x5C"},   // trail byte 0x5C inside a character
      {"a\x81\x7C", true, "a\x81\x7C"},   // trail byte 0x7C inside a character
      {"abcdefg\xCE", true, "abcdefg"},   // a lead byte cut off by the 8-byte field
      {"..\\x", false, ""}, {"../x", false, ""}, {"a:b", false, ""}, {"a*", false, ""},
      {"a?", false, ""}, {"a\"", false, ""}, {"a<", false, ""}, {"a>", false, ""},
      {"a|b", false, ""}, {"a\x1F", false, ""}, {"\t", false, ""},
  };
  for (auto& c : cases) {
    auto safe = container_text::SafeExtension(c.field);
    EXPECT_EQ(safe.has_value(), c.safe) << c.field;
    if (safe && c.safe) {
      EXPECT_EQ(*safe, c.result);
    }
  }
}

#ifndef _WIN32
TEST(ContainerText, PosixConvertsBetweenUtf8AndCodePage936) {
  EXPECT_EQ(container_text::ToContainer("\xE5\xAF\x86\xE7\xA0\x81"), std::string("\xC3\xDC\xC2\xEB"));
  EXPECT_EQ(container_text::FromContainer("\xCE\xC4\xB5\xB5"), std::string("\xE6\x96\x87\xE6\xA1\xA3"));
  EXPECT_EQ(container_text::ToContainer("txt"), std::string("txt"));
  EXPECT_FALSE(container_text::ToContainer("\xF0\x9F\x98\x80").has_value());  // an emoji
  EXPECT_FALSE(container_text::ToContainer("\xFF\xFE").has_value());          // not UTF-8
}
#endif

}  // namespace
