#include "cli/status_utf8.h"

#include "res/status_words.h"

const char* StatusUtf8(RowStatus status) {
  switch (status) {
    case RowStatus::Ready: return STATUS_WORD_READY;
    case RowStatus::Success: return STATUS_WORD_SUCCESS;
    case RowStatus::Failed: return STATUS_WORD_FAILED;
    case RowStatus::TooLargeEncrypt: return STATUS_WORD_TOO_LARGE_ENCRYPT;
    case RowStatus::TooLargeDecrypt: return STATUS_WORD_TOO_LARGE_DECRYPT;
    case RowStatus::AlreadyEncrypted: return STATUS_WORD_ALREADY_ENCRYPTED;
    case RowStatus::NotEncrypted: return STATUS_WORD_NOT_ENCRYPTED;
    case RowStatus::NameTaken: return STATUS_WORD_NAME_TAKEN;
  }
  return STATUS_WORD_FAILED;
}
