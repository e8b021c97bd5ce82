#include "ui/status_text.h"

#include "res/resource.h"
#include "ui/win32/resource_text.h"

std::wstring StatusText(RowStatus status) {
  switch (status) {
    case RowStatus::Ready: return LoadText(IDS_STATUS_READY);
    case RowStatus::Success: return LoadText(IDS_STATUS_SUCCESS);
    case RowStatus::Failed: return LoadText(IDS_STATUS_FAILED);
    case RowStatus::TooLargeEncrypt: return LoadText(IDS_STATUS_TOO_LARGE_ENCRYPT);
    case RowStatus::TooLargeDecrypt: return LoadText(IDS_STATUS_TOO_LARGE_DECRYPT);
    case RowStatus::AlreadyEncrypted: return LoadText(IDS_STATUS_ALREADY_ENCRYPTED);
    case RowStatus::NotEncrypted: return LoadText(IDS_STATUS_NOT_ENCRYPTED);
    case RowStatus::NameTaken: return LoadText(IDS_STATUS_NAME_TAKEN);
  }
  return LoadText(IDS_STATUS_FAILED);
}
