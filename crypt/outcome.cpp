#include "outcome.h"

RowLook LookOf(RunKind run, Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      return {RowImage::Tick, RowStatus::Success};
    case Outcome::TooLarge:
      return {RowImage::Cross,
              run == RunKind::Encrypt ? RowStatus::TooLargeEncrypt : RowStatus::TooLargeDecrypt};
    case Outcome::NamedAsContainer:
      return {RowImage::Cross, RowStatus::AlreadyEncrypted};
    case Outcome::RecognisedByTrailer:
      return {RowImage::Dot, RowStatus::AlreadyEncrypted};
    case Outcome::NotNamedAsContainer:
      return {RowImage::Cross, RowStatus::NotEncrypted};
    case Outcome::NameTaken:
      return {RowImage::Cross, RowStatus::NameTaken};
    case Outcome::Stopped:
      return {RowImage::Dot, RowStatus::Ready};
    default:
      return {RowImage::Cross, RowStatus::Failed};
  }
}
