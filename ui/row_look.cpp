#include "ui/row_look.h"

RowImage ImageOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
    case Outcome::AlreadyInPlace:
      return RowImage::Tick;
    case Outcome::RecognisedByTrailer:
    case Outcome::Stopped:
      return RowImage::Dot;
    default:
      return RowImage::Cross;
  }
}
