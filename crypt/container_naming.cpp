#include "crypt/container_naming.h"

#include <optional>

#include "crypt/container_format.h"
#include "crypt/container_reader.h"
#include "crypt/container_text.h"
#include "crypt/file_names.h"

ContainerNaming NameContainer(const std::string& sourcePath, std::uint8_t key,
                              const PathRules& rules) {
  ContainerNaming naming;
  std::optional<std::string> extension =
      container_text::ToContainer(SplitPath(sourcePath, rules).extension);
  if (!extension) {
    naming.outcome = Outcome::NameNotConvertible;
    return naming;
  }
  naming.containerPath = ContainerName(sourcePath, rules);
  naming.trailer = container::BuildTrailer(*extension, key);
  // The name given back is read from the trailer as the decryption reads it,
  // so what it would refuse is refused before anything is written.
  const unsigned char* field = reinterpret_cast<const unsigned char*>(naming.trailer.data());
  ExtensionReading returned = ExtensionFromField(field, key);
  if (returned.outcome != Outcome::Done) {
    naming.outcome = Outcome::ExtensionNotRestorable;
    return naming;
  }
  naming.returnedPath = RestoredName(naming.containerPath, returned.extension, rules);
  return naming;
}
