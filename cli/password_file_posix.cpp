#include "cli/password_file.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "crypt/container_text.h"
#include "crypt/stop_request.h"

// The file's first line, without its line end. The file may be a FIFO that
// nobody writes yet: the wait is made in short slices, so Ctrl-C stops it.
LineRead ReadFirstLine(const std::string& path, const StopRequest& stop, std::string& line) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return stop.Requested() ? LineRead::Stopped : LineRead::Failed;
  line.clear();
  LineRead result = LineRead::Read;
  for (;;) {
    if (stop.Requested()) {
      result = LineRead::Stopped;
      break;
    }
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char c;
    ssize_t got = read(fd, &c, 1);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) result = LineRead::Failed;
    if (got <= 0 || c == '\n') break;
    line.push_back(c);
  }
  close(fd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return result;
}

std::optional<std::string> PasswordBytesOfUtf8(const std::string& line) {
  return container_text::ToContainer(line);
}

std::optional<std::string> PasswordBytesOfOtherText(const std::string&) { return std::nullopt; }

std::optional<std::string> PasswordBytesOfTyped(const std::string& typed) {
  return container_text::ToContainer(typed);
}
