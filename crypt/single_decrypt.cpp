#include "single_decrypt.h"

#include "container_restore.h"
#include "row_steps.h"

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key, FileSystem& fs,
                                   const PathRules& rules) {
  RestoreRules restore;
  restore.key = key;
  restore.paths = rules;
  restore.sizeLimit = false;
  restore.suffixNeeded = false;
  FileWork work = RestoreContainer(fs, path, restore, nullptr);
  SingleDecryption result;
  result.restoredPath = work.outputPath;
  result.outcome = work.outcome == Outcome::Done ? RemoveSource(fs, path, work) : work.outcome;
  CloseSource(fs, work);
  return result;
}
