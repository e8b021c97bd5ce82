#include "crypt/sole_opener_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>

namespace sole_opener {

Lease Take(int fd) {
  // An open by another process while the lease is held is told by a signal,
  // SIGIO unless set otherwise, and SIGIO would end the program; SIGURG is
  // ignored by default.
  fcntl(fd, F_SETSIG, SIGURG);
  if (fcntl(fd, F_SETLEASE, F_WRLCK) == 0) return Lease::Taken;
  return errno == EAGAIN ? Lease::HeldElsewhere : Lease::Unknown;
}

void Drop(int fd) { fcntl(fd, F_SETLEASE, F_UNLCK); }

}  // namespace sole_opener
