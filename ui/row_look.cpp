#include "row_look.h"

RowImage ImageOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
      return RowImage::Tick;
    case Outcome::RecognisedByTrailer:
    case Outcome::Stopped:
      return RowImage::Dot;
    default:
      return RowImage::Cross;
  }
}
