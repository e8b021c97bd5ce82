#include "crypt/leftover_sweep.h"

#include <vector>

#include "crypt/output_writer.h"

void RemoveAbandonedTemporaries(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  if (!fs.ListNames(folder, names)) return;
  for (const std::string& name : names)
    if (IsTemporaryName(name)) fs.DeleteAbandoned(folder + name);
}
