#include "crypt/batch_run.h"

#include "crypt/decrypt_run.h"
#include "crypt/encrypt_run.h"

void RunBatch(RunKind kind, RunListener& listener, const RunSettings& settings) {
  if (kind == RunKind::Encrypt)
    EncryptRows(listener, settings);
  else
    DecryptRows(listener, settings);
}
