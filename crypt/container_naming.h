#pragma once
#include <cstdint>
#include <string>

#include "crypt/outcome.h"
#include "crypt/path_rules.h"

// How a source is named in its container, and the name that decrypting the
// container gives back. The container keeps the base name in its own name
// and at most 8 bytes of the extension in its trailer, so the name given
// back can differ from the source's: a longer extension comes back cut, a
// name ending in "." comes back without it.
struct ContainerNaming {
  Outcome outcome = Outcome::Done;  // or NameNotConvertible, ExtensionNotRestorable
  std::string containerPath;        // folder + base name + ".p6k"
  std::string trailer;              // the 21 trailer bytes, masked with the key
  std::string returnedPath;         // what the decryption will restore
};

ContainerNaming NameContainer(const std::string& sourcePath, std::uint8_t key,
                              const PathRules& rules);
