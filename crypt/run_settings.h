#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "crypt/file_system.h"
#include "crypt/path_rules.h"

class StopRequest;

// What a batch run is given when it starts; fixed for the whole run.
struct RunSettings {
  std::vector<std::string> rows;     // one file's path per row, in order
  std::uint8_t key = 0;
  FileSystem* fileSystem = nullptr;  // the native one when null
  PathRules rules = NativePathRules();
  const StopRequest* stop = nullptr;
  // Rows whose outputs are made durable together: a group ends once it has
  // this many outputs or this many bytes of them (1 file: each on its own).
  std::size_t groupFiles = 64;
  std::uint64_t groupBytes = std::uint64_t(16) << 20;
};
