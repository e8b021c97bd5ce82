#include "ui/reason_text.h"

#include "res/resource.h"
#include "ui/win32/resource_text.h"

namespace {

UINT TextId(Reason reason) {
  switch (reason) {
    case Reason::None: return 0;
    case Reason::Failed: return IDS_REASON_FAILED;
    case Reason::FileTooLarge: return IDS_REASON_FILE_TOO_LARGE;
    case Reason::ContainerTooLarge: return IDS_REASON_CONTAINER_TOO_LARGE;
    case Reason::NamedAsContainer: return IDS_REASON_NAMED_AS_CONTAINER;
    case Reason::AlreadyEncrypted: return IDS_REASON_ALREADY_ENCRYPTED;
    case Reason::NotNamedAsContainer: return IDS_REASON_NOT_NAMED_AS_CONTAINER;
    case Reason::WrongPassword: return IDS_REASON_WRONG_PASSWORD;
    case Reason::Damaged: return IDS_REASON_DAMAGED;
    case Reason::UnsafeExtension: return IDS_REASON_UNSAFE_EXTENSION;
    case Reason::ExtensionNotRestorable: return IDS_REASON_EXTENSION_NOT_RESTORABLE;
    case Reason::NameNotInCodePage: return IDS_REASON_NAME_NOT_IN_CODE_PAGE;
    case Reason::ExtensionNotAName: return IDS_REASON_EXTENSION_NOT_A_NAME;
    case Reason::NameNotHeld: return IDS_REASON_NAME_NOT_HELD;
    case Reason::ContainerNameTaken: return IDS_REASON_CONTAINER_NAME_TAKEN;
    case Reason::RestoredNameTaken: return IDS_REASON_RESTORED_NAME_TAKEN;
    case Reason::ContainerNotCreated: return IDS_REASON_CONTAINER_NOT_CREATED;
    case Reason::RestoredNotCreated: return IDS_REASON_RESTORED_NOT_CREATED;
    case Reason::ReadFailed: return IDS_REASON_READ_FAILED;
    case Reason::ContainerNotWritten: return IDS_REASON_CONTAINER_NOT_WRITTEN;
    case Reason::RestoredNotWritten: return IDS_REASON_RESTORED_NOT_WRITTEN;
    case Reason::SourceNotRemoved: return IDS_REASON_SOURCE_NOT_REMOVED;
    case Reason::ContainerNotRemoved: return IDS_REASON_CONTAINER_NOT_REMOVED;
    case Reason::SourceChanged: return IDS_REASON_SOURCE_CHANGED;
    case Reason::ContainerChanged: return IDS_REASON_CONTAINER_CHANGED;
    case Reason::Stopped: return IDS_REASON_STOPPED;
    case Reason::Missing: return IDS_REASON_MISSING;
    case Reason::NameNotCarried: return IDS_REASON_NAME_NOT_CARRIED;
    case Reason::UnderAFile: return IDS_REASON_UNDER_A_FILE;
    case Reason::Folder: return IDS_REASON_FOLDER;
    case Reason::Link: return IDS_REASON_LINK;
    case Reason::Special: return IDS_REASON_SPECIAL;
    case Reason::SystemFolder: return IDS_REASON_SYSTEM_FOLDER;
    case Reason::Refused: return IDS_REASON_REFUSED;
    case Reason::NotOpened: return IDS_REASON_NOT_OPENED;
  }
  return IDS_REASON_FAILED;
}

}  // namespace

std::wstring ReasonText(Reason reason) {
  UINT id = TextId(reason);
  return id ? LoadText(id) : std::wstring();
}
