#pragma once
#include <cstdint>

#include "file_system.h"
#include "path_rules.h"
#include "run_view.h"

class StopRequest;

// What a batch run is given when it starts; fixed for the whole run.
struct RunSettings {
  int rowCount = 0;
  std::uint8_t key = 0;
  FileSystem* fileSystem = nullptr;  // the native one when null
  PathRules rules = NativePathRules();
  const StopRequest* stop = nullptr;
};

// Encrypts rows 0 .. rowCount-1, reporting every row into the view.
void EncryptRows(RunView& view, const RunSettings& settings);

// Restores the containers of rows 0 .. rowCount-1.
void DecryptRows(RunView& view, const RunSettings& settings);
