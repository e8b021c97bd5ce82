#pragma once
#include <cstdint>
#include <string>

#include "crypt/container_format.h"
#include "crypt/file_system.h"
#include "crypt/outcome.h"
#include "crypt/path_rules.h"

// Reads a container's trailer from its end, marker first, then tag, then the
// extension field, and forms the restored name. Nothing before the start of
// the file is ever read: a file shorter than the trailer is MarkerMismatch.
struct TrailerReading {
  Outcome outcome = Outcome::Done;  // or MarkerMismatch, TagMismatch, UnsafeExtension,
                                    // NameNotConvertible, ReadFailed
  std::string restoredPath;
};

TrailerReading ReadTrailer(FileSystem& fs, FileHandle container, std::uint64_t length,
                           const std::string& path, std::uint8_t key, const PathRules& rules);

// Whether the trailer of a file of this length reads back with the key,
// marker first, then tag: Done, MarkerMismatch (also for a file too short to
// hold a trailer), TagMismatch or ReadFailed. The decryption asks it of a
// container, the encryption of a source it would not mask twice.
Outcome CheckTrailerKey(FileSystem& fs, FileHandle file, std::uint64_t length, std::uint8_t key);

// The extension a trailer's field gives back, as the restore names the file
// with it: Done, UnsafeExtension or NameNotConvertible. The encryption asks
// the same of the field it is about to write, so it never writes a container
// that this reading refuses.
struct ExtensionReading {
  Outcome outcome = Outcome::Done;
  std::string extension;  // native text
};

ExtensionReading ExtensionFromField(const unsigned char field[container::kExtensionFieldSize],
                                    std::uint8_t key);
