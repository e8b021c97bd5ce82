#include "crypt/single_decrypt.h"

#include "crypt/decrypt_run.h"
#include "crypt/row_steps.h"

SingleDecryption DecryptSingleFile(const std::string& path, std::uint8_t key, FileSystem& fs,
                                   const PathRules& rules, RunListener* listener,
                                   const StopRequest* stop) {
  RunListener quiet;
  RunListener& tell = listener ? *listener : quiet;
  tell.RunStarted(RunKind::Decrypt);
  tell.RowStarted(0, path);
  RestoreRules restore;
  restore.key = key;
  restore.paths = rules;
  restore.sizeLimit = false;
  restore.suffixNeeded = false;
  restore.stop = stop;
  BytesDoneCallback bytesDone;
  if (listener)
    bytesDone = [listener](std::uint64_t done, std::uint64_t total) {
      listener->BytesDone(0, done, total);
    };
  FileWork work = RestoreContainer(fs, path, restore, bytesDone);
  SingleDecryption result;
  // The name the restore chose, also when the row failed at it.
  result.restoredPath = work.outputPath;
  std::uint64_t placedBytes = work.bytesWhenPlaced;
  RowResult row = FinishRow(fs, path, work);
  if (placedBytes && !row.outputPath.empty()) tell.BytesDone(0, placedBytes, placedBytes);
  result.outcome = row.outcome;
  tell.RowFinished(0, row);
  tell.RunEnded(RunKind::Decrypt);
  return result;
}
