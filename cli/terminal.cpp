#include "terminal.h"

#include <cstring>

#include "stop_request.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

std::string Recode(const std::string& text, UINT from, UINT to) {
  if (text.empty() || from == to) return text;
  int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return text;
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
  int narrow = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return text;
  std::string out(static_cast<std::size_t>(narrow), '\0');
  WideCharToMultiByte(to, 0, w.data(), wide, &out[0], narrow, nullptr, nullptr);
  return out;
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::string ConsoleText(const std::string& utf8) { return Recode(utf8, CP_UTF8, GetACP()); }

PromptResult ReadHiddenLine(const char* prompt, const StopRequest& stop, std::string& line) {
  HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD mode = 0;
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &mode)) {
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return PromptResult::NoTerminal;
  }
  SetConsoleMode(in, (mode & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
  DWORD written = 0;
  WriteConsoleA(out, prompt, static_cast<DWORD>(std::strlen(prompt)), &written, nullptr);
  std::string typed;
  bool lineEnded = false;
  while (!lineEnded) {
    char chunk[256];
    DWORD got = 0;
    // Ctrl-C and Ctrl-Break end the read with nothing, and the handler runs on
    // a thread of its own, maybe later: a read without a line end is a stop.
    if (!ReadConsoleA(in, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
    typed.append(chunk, got);
    lineEnded = typed.find('\n') != std::string::npos;
  }
  SetConsoleMode(in, mode);
  WriteConsoleA(out, "\r\n", 2, &written, nullptr);
  CloseHandle(in);
  CloseHandle(out);
  if (!lineEnded || stop.Requested()) return PromptResult::Stopped;
  typed = typed.substr(0, typed.find_first_of("\r\n"));
  // The console hands out its input code page; passwords are ANSI bytes.
  line = Recode(typed, GetConsoleCP(), GetACP());
  return PromptResult::Read;
}

#else

namespace {

// Best effort: a prompt that cannot be shown does not keep the line from being read.
void Say(int tty, const char* text) {
  ssize_t written = write(tty, text, std::strlen(text));
  (void)written;
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::string ConsoleText(const std::string& utf8) { return utf8; }

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

#endif
