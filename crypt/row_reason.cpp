#include "crypt/row_reason.h"

namespace {

struct OutcomeReason {
  Outcome outcome;
  Reason encrypt;
  Reason decrypt;
};

const OutcomeReason kOutcomeReasons[] = {
    {Outcome::TooLarge, Reason::FileTooLarge, Reason::ContainerTooLarge},
    {Outcome::NamedAsContainer, Reason::NamedAsContainer, Reason::NamedAsContainer},
    {Outcome::RecognisedByTrailer, Reason::AlreadyEncrypted, Reason::AlreadyEncrypted},
    {Outcome::NotNamedAsContainer, Reason::NotNamedAsContainer, Reason::NotNamedAsContainer},
    {Outcome::MarkerMismatch, Reason::WrongPassword, Reason::WrongPassword},
    {Outcome::TagMismatch, Reason::Damaged, Reason::Damaged},
    {Outcome::UnsafeExtension, Reason::UnsafeExtension, Reason::UnsafeExtension},
    {Outcome::ExtensionNotRestorable, Reason::ExtensionNotRestorable, Reason::ExtensionNotRestorable},
    {Outcome::NameNotConvertible, Reason::NameNotInCodePage, Reason::ExtensionNotAName},
    {Outcome::NameNotHeld, Reason::NameNotHeld, Reason::NameNotHeld},
    {Outcome::NameTaken, Reason::ContainerNameTaken, Reason::RestoredNameTaken},
    {Outcome::CreateFailed, Reason::ContainerNotCreated, Reason::RestoredNotCreated},
    {Outcome::ReadFailed, Reason::ReadFailed, Reason::ReadFailed},
    {Outcome::WriteFailed, Reason::ContainerNotWritten, Reason::RestoredNotWritten},
    {Outcome::DeleteFailed, Reason::SourceNotRemoved, Reason::ContainerNotRemoved},
    {Outcome::SourceChanged, Reason::SourceChanged, Reason::ContainerChanged},
    {Outcome::Stopped, Reason::Stopped, Reason::Stopped},
};

Reason WhyNotOpenedReason(OpenFailure failure) {
  switch (failure) {
    case OpenFailure::Missing: return Reason::Missing;
    case OpenFailure::NotCarried: return Reason::NameNotCarried;
    case OpenFailure::UnderAFile: return Reason::UnderAFile;
    case OpenFailure::Folder: return Reason::Folder;
    case OpenFailure::Link: return Reason::Link;
    case OpenFailure::Special: return Reason::Special;
    case OpenFailure::SystemFolder: return Reason::SystemFolder;
    case OpenFailure::Refused: return Reason::Refused;
    case OpenFailure::None: break;
  }
  return Reason::NotOpened;
}

}  // namespace

Reason ReasonOf(RunKind run, const RowResult& result) {
  if (StatusOf(run, result.outcome) == RowStatus::Success) return Reason::None;
  if (result.outcome == Outcome::OpenFailed) return WhyNotOpenedReason(result.openFailure);
  for (const OutcomeReason& r : kOutcomeReasons)
    if (r.outcome == result.outcome) return run == RunKind::Decrypt ? r.decrypt : r.encrypt;
  return Reason::Failed;
}
