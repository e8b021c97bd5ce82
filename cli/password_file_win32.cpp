#include "cli/password_file.h"

#include <windows.h>

#include <cstdio>

#include "platform/ansi_text.h"
#include "platform/path_text.h"

// The file's first line, without its line end.
LineRead ReadFirstLine(const std::string& path, const StopRequest&, std::string& line) {
  std::FILE* file = _wfopen(path_text::ToWide(path).c_str(), L"rb");
  if (!file) return LineRead::Failed;
  line.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  bool ok = !std::ferror(file);
  std::fclose(file);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return ok ? LineRead::Read : LineRead::Failed;
}

std::optional<std::string> PasswordBytesOfUtf8(const std::string& line) {
  int length = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0], length);
  bool exact = false;
  std::string bytes = ansi_text::FromWide(wide, &exact);
  if (!exact) return std::nullopt;
  return bytes;
}

// A line from an older editor, in the ANSI code page.
std::optional<std::string> PasswordBytesOfOtherText(const std::string& line) { return line; }

std::optional<std::string> PasswordBytesOfTyped(const std::string& typed) { return typed; }
