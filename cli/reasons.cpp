#include "cli/reasons.h"

#include "crypt/container_format.h"

namespace {

struct OutcomeReason {
  Outcome outcome;
  const char* encrypt;
  const char* decrypt;  // nullptr: the same words as encrypt
};

const OutcomeReason kOutcomeReasons[] = {
    {Outcome::TooLarge, "larger than the 1,056 MiB (0x42000000 bytes) a file may have",
     "holds more than the 1,056 MiB (0x42000000 bytes) a file may have"},
    {Outcome::NamedAsContainer, "its name already ends in p6k, so it is taken for a container",
     nullptr},
    {Outcome::RecognisedByTrailer, "already a container made with this password", nullptr},
    {Outcome::NotNamedAsContainer, nullptr, "not a container: its name does not end in p6k"},
    {Outcome::MarkerMismatch, nullptr, "wrong password, or not a container"},
    {Outcome::TagMismatch, nullptr, "wrong password, or a damaged container"},
    {Outcome::UnsafeExtension, nullptr,
     "the extension stored in it cannot be part of a file name"},
    {Outcome::ExtensionNotRestorable,
     "its extension could not be stored so that decrypting gives it back", nullptr},
    {Outcome::NameNotConvertible, "the name cannot be written in code page 936",
     "the stored extension cannot be written as a file name here"},
    {Outcome::NameNotHeld, nullptr,
     "the restored name cannot be held by this system (a name may not end in a dot or space)"},
    {Outcome::NameTaken,
     "the container's name exists already (another file of this base name?); nothing was replaced",
     "the restored name exists already; nothing was replaced"},
    {Outcome::CreateFailed, "the container could not be created in this folder",
     "the restored file could not be created in this folder"},
    {Outcome::ReadFailed, "reading the file failed", nullptr},
    {Outcome::WriteFailed, "writing the container failed (is the disk full?)",
     "writing the restored file failed (is the disk full?)"},
    {Outcome::DeleteFailed,
     "the container is written, but the original is not removable; both are kept",
     "the file is restored, but the container is not removable; both are kept"},
    {Outcome::SourceChanged,
     "another program changed the file meanwhile; the container and the changed file are kept",
     "another program changed the container meanwhile; both files are kept"},
    {Outcome::Stopped, "stopped before it was done; the file is as it was", nullptr},
};

struct OpenReason {
  OpenFailure failure;
  const char* reason;
};

const OpenReason kOpenReasons[] = {
    {OpenFailure::Missing, "no such file"},
    {OpenFailure::UnderAFile, "a folder was expected, but a part of the path is a file"},
    {OpenFailure::Folder, "a folder whose files could not be listed"},
    {OpenFailure::Link, "a link, which is never followed"},
    {OpenFailure::Special, "not a regular file"},
    {OpenFailure::Refused,
     "cannot be opened for writing (read-only, in use by another program, or not permitted)"},
};

std::string OpenFailedReason(OpenFailure failure) {
  for (const OpenReason& r : kOpenReasons)
    if (r.failure == failure) return r.reason;
  return "cannot be opened";
}

}  // namespace

std::string RowReason(RunKind run, const RowResult& result) {
  if (StatusOf(run, result.outcome) == RowStatus::Success) return std::string();
  if (result.outcome == Outcome::OpenFailed) return OpenFailedReason(result.openFailure);
  for (const OutcomeReason& r : kOutcomeReasons) {
    if (r.outcome != result.outcome) continue;
    const char* words = run == RunKind::Decrypt && r.decrypt ? r.decrypt : r.encrypt;
    if (words) return words;
  }
  return "failed";
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
