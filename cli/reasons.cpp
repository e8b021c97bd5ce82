#include "cli/reasons.h"

#include "crypt/row_reason.h"

namespace {

const char* Words(Reason reason) {
  switch (reason) {
    case Reason::None: return "";
    case Reason::Failed: return "failed";
    case Reason::FileTooLarge: return "larger than the 1,056 MiB (0x42000000 bytes) a file may have";
    case Reason::ContainerTooLarge:
      return "holds more than the 1,056 MiB (0x42000000 bytes) a file may have";
    case Reason::NamedAsContainer: return "its name already ends in p6k, so it is taken for a container";
    case Reason::AlreadyEncrypted: return "already a container made with this password";
    case Reason::NotNamedAsContainer: return "not a container: its name does not end in p6k";
    case Reason::WrongPassword: return "wrong password, or not a container";
    case Reason::Damaged: return "wrong password, or a damaged container";
    case Reason::UnsafeExtension: return "the extension stored in it cannot be part of a file name";
    case Reason::ExtensionNotRestorable:
      return "its extension could not be stored so that decrypting gives it back";
    case Reason::NameNotInCodePage: return "the name cannot be written in code page 936";
    case Reason::ExtensionNotAName: return "the stored extension cannot be written as a file name here";
    case Reason::NameNotHeld:
      return "the restored name cannot be held by this system (a name may not end in a dot or space)";
    case Reason::ContainerNameTaken:
      return "the container's name exists already (another file of this base name?); nothing was "
             "replaced";
    case Reason::RestoredNameTaken: return "the restored name exists already; nothing was replaced";
    case Reason::ContainerNotCreated: return "the container could not be created in this folder";
    case Reason::RestoredNotCreated: return "the restored file could not be created in this folder";
    case Reason::ReadFailed: return "reading the file failed";
    case Reason::ContainerNotWritten: return "writing the container failed (is the disk full?)";
    case Reason::RestoredNotWritten: return "writing the restored file failed (is the disk full?)";
    case Reason::SourceNotRemoved:
      return "the container is written, but the original is not removable; both are kept";
    case Reason::ContainerNotRemoved:
      return "the file is restored, but the container is not removable; both are kept";
    case Reason::SourceChanged:
      return "another program changed the file meanwhile; the container and the changed file are "
             "kept";
    case Reason::ContainerChanged:
      return "another program changed the container meanwhile; both files are kept";
    case Reason::Stopped: return "stopped before it was done; the file is as it was";
    case Reason::Missing: return "no such file";
    case Reason::NameNotCarried:
      return "the name holds a character no path here can carry (a lone UTF-16 surrogate, or one "
             "Windows forbids in a name)";
    case Reason::UnderAFile: return "a folder was expected, but a part of the path is a file";
    case Reason::Folder: return "a folder whose files could not be listed";
    case Reason::Link: return "a link, which is never followed";
    case Reason::Special: return "not a regular file";
    case Reason::SystemFolder:
      return "under the system folder, which a 32-bit program on 64-bit Windows cannot reach";
    case Reason::Refused:
      return "cannot be opened for writing (read-only, in use by another program, or not "
             "permitted)";
    case Reason::NotOpened: return "cannot be opened";
  }
  return "failed";
}

}  // namespace

std::string RowReason(RunKind run, const RowResult& result) {
  return Words(ReasonOf(run, result));
}

std::string LeftOutReason(LeftOut::Why why) {
  switch (why) {
    case LeftOut::Why::Special: return "not a regular file or folder; left out";
    case LeftOut::Why::Temporary: return "a temporary file of an unfinished run; left out";
    case LeftOut::Why::EmptyFolder: return "no files in this folder";
    case LeftOut::Why::EmptyTree: return "no files in this folder or below it";
  }
  return "left out";
}

bool LeftOutFails(LeftOut::Why why) {
  return why == LeftOut::Why::Special || why == LeftOut::Why::Temporary;
}
