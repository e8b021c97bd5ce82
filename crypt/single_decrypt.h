#pragma once
#include <cstdint>
#include <string>

#include "crypt/file_system.h"
#include "crypt/outcome.h"
#include "crypt/path_rules.h"

// The password prompt's decryption of the one file named on the command
// line: no suffix test, no size limit, no progress. The outcome is one of
// Done, OpenFailed, MarkerMismatch, TagMismatch, UnsafeExtension,
// NameNotConvertible, NameNotHeld, NameTaken, AlreadyInPlace (the restored file stood
// there already; both kept), CreateFailed, ReadFailed, WriteFailed,
// DeleteFailed, SourceChanged.
struct SingleDecryption {
  Outcome outcome = Outcome::Done;
  std::string restoredPath;
};

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key,
                                   FileSystem& fs = NativeFileSystem(),
                                   const PathRules& rules = NativePathRules());
