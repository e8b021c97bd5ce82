#include "crypt/container_reader.h"

#include "crypt/container_format.h"
#include "crypt/container_text.h"
#include "crypt/file_names.h"

Outcome CheckTrailerKey(FileSystem& fs, FileHandle file, std::uint64_t length, std::uint8_t key) {
  if (length < container::kTrailerSize) return Outcome::MarkerMismatch;
  unsigned char marker[container::kMarkerSize];
  if (!fs.ReadAt(file, length - container::kMarkerFromEnd, marker, sizeof marker))
    return Outcome::ReadFailed;
  if (!container::MarkerMatches(marker, key)) return Outcome::MarkerMismatch;
  unsigned char tag[container::kTagSize];
  if (!fs.ReadAt(file, length - container::kTagFromEnd, tag, sizeof tag)) return Outcome::ReadFailed;
  if (!container::TagMatches(tag, key)) return Outcome::TagMismatch;
  return Outcome::Done;
}

TrailerReading ReadTrailer(FileSystem& fs, FileHandle container, std::uint64_t length,
                           const std::string& path, std::uint8_t key, const PathRules& rules) {
  TrailerReading reading;
  reading.outcome = CheckTrailerKey(fs, container, length, key);
  if (reading.outcome != Outcome::Done) return reading;
  unsigned char field[container::kExtensionFieldSize];
  if (!fs.ReadAt(container, length - container::kExtensionFromEnd, field, sizeof field)) {
    reading.outcome = Outcome::ReadFailed;
    return reading;
  }
  ExtensionReading extension = ExtensionFromField(field, key);
  if (extension.outcome != Outcome::Done) {
    reading.outcome = extension.outcome;
    return reading;
  }
  reading.restoredPath = RestoredName(path, extension.extension, rules);
  return reading;
}

ExtensionReading ExtensionFromField(const unsigned char field[container::kExtensionFieldSize],
                                    std::uint8_t key) {
  ExtensionReading reading;
  std::optional<std::string> safe =
      container_text::SafeExtension(container::ReadExtensionField(field, key));
  if (!safe) {
    reading.outcome = Outcome::UnsafeExtension;
    return reading;
  }
  std::optional<std::string> native = container_text::FromContainer(*safe);
  if (!native) {
    reading.outcome = Outcome::NameNotConvertible;
    return reading;
  }
  reading.extension = *native;
  return reading;
}
