#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The ".p6k" container: the source's bytes masked with one value, then a
// 21-byte trailer (extension field, tag, marker) masked with K alone.
namespace container {

constexpr std::size_t kExtensionFieldSize = 8;
constexpr std::size_t kTagSize = 5;
constexpr std::size_t kMarkerSize = 8;
constexpr std::size_t kTrailerSize = kExtensionFieldSize + kTagSize + kMarkerSize;  // 21

// Offsets of the trailer's fields counted back from the end of the file.
constexpr std::size_t kMarkerFromEnd = kMarkerSize;                   // 8
constexpr std::size_t kTagFromEnd = kMarkerSize + kTagSize;           // 13
constexpr std::size_t kExtensionFromEnd = kTrailerSize;               // 21

// Larger sources and containers are refused by the batch runs ("1G").
constexpr std::uint64_t kSizeLimit = 0x42000000ull;  // 1,107,296,256 bytes

inline bool ExceedsSizeLimit(std::uint64_t length) { return length > kSizeLimit; }

// A container's data is held to the same limit as a source, so every
// container the runs write can be read back: the container itself may be
// longer by its trailer.
inline bool ContainerExceedsSizeLimit(std::uint64_t containerLength) {
  return containerLength > kSizeLimit + kTrailerSize;
}

// The one value every byte of the data area is masked with.
inline std::uint8_t DataMask(std::uint8_t key, std::uint64_t sourceLength) {
  return static_cast<std::uint8_t>(key ^ static_cast<std::uint8_t>(sourceLength & 0xFF));
}

// XOR every byte with mask, in loops the compiler vectorises.
void ApplyMask(unsigned char* data, std::size_t size, std::uint8_t mask);

// The 21 trailer bytes for an extension (container bytes, without its dot).
// Only the first 8 bytes of the extension are kept.
std::string BuildTrailer(const std::string& extension, std::uint8_t key);

// Steps 1 and 2 of reading: the 8 bytes at N-8 and the 5 bytes at N-13.
bool MarkerMatches(const unsigned char marker[kMarkerSize], std::uint8_t key);
bool TagMatches(const unsigned char tag[kTagSize], std::uint8_t key);

// The extension text of a decoded field: its bytes up to the first 0 byte.
std::string ReadExtensionField(const unsigned char field[kExtensionFieldSize], std::uint8_t key);

}  // namespace container
