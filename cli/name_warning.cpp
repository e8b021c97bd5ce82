#include "cli/name_warning.h"

#include <cstdio>

#include "cli/path_expansion.h"
#include "cli/terminal.h"
#include "crypt/container_naming.h"
#include "crypt/path_rules.h"

void WarnOfReturnedName(const std::string& sourcePath) {
  // The names do not depend on the key; the trailer made here is dropped.
  ContainerNaming naming = NameContainer(sourcePath, 0, NativePathRules());
  if (naming.outcome != Outcome::Done || naming.returnedPath == sourcePath) return;
  const char* why = !sourcePath.empty() && sourcePath.back() == '.'
                        ? "the container keeps no dot at the end of a name"
                        : "the container keeps only the first 8 bytes of an extension";
  WriteText(stderr, "p6k: " + sourcePath + ": will come back as " +
                        FileNameOf(naming.returnedPath) + " (" + why + ")\n");
}
