#include "tests/packaging/embedded_manifest.h"

#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t kManifestType = 24;  // RT_MANIFEST
constexpr std::uint32_t kSubdirectory = 0x80000000u;

// A little-endian number at offset; reading past the end sets bad.
struct Bytes {
  const std::string& data;
  bool bad = false;
  std::uint32_t At(std::size_t offset, int width) {
    if (offset + width > data.size()) {
      bad = true;
      return 0;
    }
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
      value = value << 8 | static_cast<unsigned char>(data[offset + i]);
    return value;
  }
};

struct Sections {
  std::size_t table = 0;
  std::uint32_t count = 0;
};

// The file offset of a relative virtual address, through the section table.
bool FileOffsetOf(Bytes& bytes, const Sections& sections, std::uint32_t rva, std::size_t& offset) {
  for (std::uint32_t i = 0; i < sections.count; ++i) {
    std::size_t entry = sections.table + i * 40;
    std::uint32_t size = bytes.At(entry + 8, 4), address = bytes.At(entry + 12, 4);
    std::uint32_t rawSize = bytes.At(entry + 16, 4), raw = bytes.At(entry + 20, 4);
    if (size < rawSize) size = rawSize;
    if (rva >= address && rva - address < size) {
      offset = raw + (rva - address);
      return !bytes.bad;
    }
  }
  return false;
}

// The first entry of a resource directory whose id is wanted (any id when
// wanted is 0); its offset within the resource section.
bool EntryOf(Bytes& bytes, std::size_t root, std::size_t directory, std::uint32_t wanted,
             std::uint32_t& target) {
  std::uint32_t named = bytes.At(root + directory + 12, 2), ids = bytes.At(root + directory + 14, 2);
  for (std::uint32_t i = 0; i < named + ids && !bytes.bad; ++i) {
    std::size_t entry = root + directory + 16 + i * 8;
    std::uint32_t name = bytes.At(entry, 4);
    if (i < named || (wanted != 0 && name != wanted)) continue;
    target = bytes.At(entry + 4, 4);
    return !bytes.bad;
  }
  return false;
}

}  // namespace

bool ReadProgramImage(const std::string& path, ProgramImage& image) {
  std::ifstream file(path, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Bytes bytes{data};
  std::size_t header = bytes.At(0x3C, 4);
  if (bytes.bad || data.compare(0, 2, "MZ") != 0 || data.compare(header, 4, std::string("PE\0\0", 4)) != 0)
    return false;
  image.machine = static_cast<std::uint16_t>(bytes.At(header + 4, 2));
  std::size_t optional = header + 24;
  Sections sections{optional + bytes.At(header + 20, 2), bytes.At(header + 6, 2)};
  // The data directories follow the optional header's fixed part, longer in PE32+.
  std::size_t directories = optional + (bytes.At(optional, 2) == 0x20b ? 112 : 96);
  std::uint32_t resourcesRva = bytes.At(directories + 2 * 8, 4);
  image.manifest.clear();
  if (bytes.bad) return false;
  if (resourcesRva == 0) return true;
  std::size_t root = 0;
  if (!FileOffsetOf(bytes, sections, resourcesRva, root)) return false;
  // Type, then name, then language: the manifest is the first of each.
  std::uint32_t level = 0, offset = 0;
  if (!EntryOf(bytes, root, 0, kManifestType, offset)) return true;
  for (level = 0; level < 2; ++level) {
    if (!(offset & kSubdirectory) || !EntryOf(bytes, root, offset & ~kSubdirectory, 0, offset))
      return false;
  }
  if (offset & kSubdirectory) return false;
  std::uint32_t dataRva = bytes.At(root + offset, 4), size = bytes.At(root + offset + 4, 4);
  std::size_t dataOffset = 0;
  if (bytes.bad || !FileOffsetOf(bytes, sections, dataRva, dataOffset) || dataOffset + size > data.size())
    return false;
  image.manifest = data.substr(dataOffset, size);
  return true;
}
