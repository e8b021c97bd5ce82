#include "ui/path_handoff.h"

#include "platform/path_text.h"

namespace path_handoff {

std::wstring Encode(const std::vector<std::string>& paths) {
  std::wstring data;
  for (const std::string& path : paths) {
    std::wstring wide = path_text::ToWide(path);
    if (wide.empty()) continue;  // not UTF-8: it names nothing
    data += wide;
    data.push_back(L'\0');
  }
  return data;
}

bool Decode(const COPYDATASTRUCT& data, std::vector<std::string>& paths) {
  if (data.dwData != kMark || data.cbData % sizeof(wchar_t) != 0) return false;
  if (data.cbData > 0 && !data.lpData) return false;
  const wchar_t* text = static_cast<const wchar_t*>(data.lpData);
  std::size_t length = data.cbData / sizeof(wchar_t);
  if (length > 0 && text[length - 1] != L'\0') return false;
  paths.clear();
  for (std::size_t start = 0; start < length;) {
    std::wstring path(text + start);
    start += path.size() + 1;
    if (!path.empty()) paths.push_back(path_text::FromWide(path));
  }
  return true;
}

}  // namespace path_handoff
