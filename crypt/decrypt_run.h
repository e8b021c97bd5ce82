#pragma once
#include <cstdint>
#include <string>

#include "crypt/file_system.h"
#include "crypt/path_rules.h"
#include "crypt/row_steps.h"
#include "crypt/run_listener.h"
#include "crypt/run_settings.h"

class StopRequest;

// The decryption run: every row's container restored under its former
// name, and the container removed once the restored file stands.
void DecryptRows(RunListener& listener, const RunSettings& settings);

// The one way a container is restored, for the batch run and for the
// prompt: which of the batch run's refusals apply, and what hears of the
// bytes and may stop the work.
struct RestoreRules {
  std::uint8_t key = 0;
  PathRules paths = NativePathRules();
  bool sizeLimit = true;      // refuse a container whose data is over the limit
  bool suffixNeeded = true;   // refuse a path that does not end in "p6k"
  const StopRequest* stop = nullptr;
};

// Opens the container at path and restores it beside itself, up to the
// restored file in place (Done), a restored file that stood there already,
// byte for byte (AlreadyInPlace: nothing is to be removed), or the outcome
// that stopped it. The container stays open in the work for the caller's
// removal.
FileWork RestoreContainer(FileSystem& fs, const std::string& path, const RestoreRules& rules,
                          const BytesDoneCallback& bytesDone);
