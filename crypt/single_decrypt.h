#pragma once
#include <cstdint>
#include <string>

#include "crypt/file_system.h"
#include "crypt/outcome.h"
#include "crypt/path_rules.h"
#include "crypt/run_listener.h"
#include "crypt/stop_request.h"

// The password prompt's decryption of the one file named on the command
// line: no suffix test, no size limit. The outcome is one of
// Done, OpenFailed, MarkerMismatch, TagMismatch, UnsafeExtension,
// NameNotConvertible, NameNotHeld, NameTaken, AlreadyInPlace (the restored file stood
// there already; both kept), CreateFailed, ReadFailed, WriteFailed,
// DeleteFailed, SourceChanged, and Stopped when stop was asked for before
// the restored file stood complete (nothing left but the container).
struct SingleDecryption {
  Outcome outcome = Outcome::Done;
  std::string restoredPath;
};

// A listener, when given, is told the decryption as a run of one row (row 0)
// with its bytes as they move; stop is looked at between buffers.
SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key,
                                   FileSystem& fs = NativeFileSystem(),
                                   const PathRules& rules = NativePathRules(),
                                   RunListener* listener = nullptr,
                                   const StopRequest* stop = nullptr);
