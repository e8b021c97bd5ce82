#include "cli/terminal.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "crypt/stop_request.h"

namespace {

// Best effort: a prompt that cannot be shown does not keep the line from being read.
void Say(int tty, const char* text) {
  ssize_t written = write(tty, text, std::strlen(text));
  (void)written;
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

bool WriteText(std::FILE* stream, const std::string& utf8) {
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() && std::fflush(stream) == 0;
}

PromptResult ReadHiddenLine(const char* prompt, const StopRequest& stop, std::string& line) {
  int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return PromptResult::NoTerminal;
  struct termios saved;
  if (tcgetattr(tty, &saved) != 0) {
    close(tty);
    return PromptResult::NoTerminal;
  }
  // Echo goes off before the prompt shows, so nothing typed after it is echoed.
  struct termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  tcsetattr(tty, TCSAFLUSH, &quiet);
  Say(tty, prompt);
  std::string typed;
  // A Ctrl-C that comes just before a read starts would not interrupt it:
  // wait in short slices and look at the stop request between them.
  while (!stop.Requested()) {
    pollfd ready{tty, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char c;
    ssize_t got = read(tty, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || c == '\n') break;
    typed.push_back(c);
  }
  bool stopped = stop.Requested();
  tcsetattr(tty, TCSAFLUSH, &saved);
  if (stopped) Say(tty, "\n");
  close(tty);
  if (stopped) return PromptResult::Stopped;
  if (!typed.empty() && typed.back() == '\r') typed.pop_back();
  line = typed;
  return PromptResult::Read;
}

std::size_t ConsoleCharacterLength(const std::string& text, std::size_t i) {
  std::size_t n = 1;
  while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}
