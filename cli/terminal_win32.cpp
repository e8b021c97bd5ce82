#include "cli/terminal.h"

#include <io.h>
#include <windows.h>

#include <cstring>

#include "platform/ansi_text.h"
#include "platform/path_text.h"
#include "crypt/stop_request.h"

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

bool WriteText(std::FILE* stream, const std::string& utf8) {
  if (std::fflush(stream) != 0) return false;
  std::wstring wide = path_text::ToWide(utf8);
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
           written == wide.size();
  }
  std::string ansi = ansi_text::FromWide(wide);
  return std::fwrite(ansi.data(), 1, ansi.size(), stream) == ansi.size() && std::fflush(stream) == 0;
}

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

std::size_t ConsoleCharacterLength(const std::string& text, std::size_t i) {
  std::size_t n = 1;
  while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}
