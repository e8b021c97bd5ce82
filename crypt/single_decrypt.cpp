#include "crypt/single_decrypt.h"

#include "crypt/decrypt_run.h"
#include "crypt/row_steps.h"

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key, FileSystem& fs,
                                   const PathRules& rules) {
  RestoreRules restore;
  restore.key = key;
  restore.paths = rules;
  restore.sizeLimit = false;
  restore.suffixNeeded = false;
  FileWork work = RestoreContainer(fs, path, restore, nullptr);
  SingleDecryption result;
  // The name the restore chose, also when the row failed at it.
  result.restoredPath = work.outputPath;
  result.outcome = FinishRow(fs, path, work).outcome;
  return result;
}
