#include "crypt/outcome.h"

RowStatus StatusOf(RunKind run, Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
    case Outcome::AlreadyInPlace:
      return RowStatus::Success;
    case Outcome::TooLarge:
      return run == RunKind::Encrypt ? RowStatus::TooLargeEncrypt : RowStatus::TooLargeDecrypt;
    case Outcome::NamedAsContainer:
    case Outcome::RecognisedByTrailer:
      return RowStatus::AlreadyEncrypted;
    case Outcome::NotNamedAsContainer:
      return RowStatus::NotEncrypted;
    case Outcome::NameTaken:
      return RowStatus::NameTaken;
    case Outcome::Stopped:
      return RowStatus::Ready;
    default:
      return RowStatus::Failed;
  }
}
