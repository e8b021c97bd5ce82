#include "ui/stored_link_target.h"

#include <windows.h>

#include <vector>

#include "platform/wow64.h"

namespace {

// The variable a 32-bit process under WOW64 holds the native folder in.
std::wstring NativeName(const std::wstring& name) {
  struct Pair {
    const wchar_t* asked;
    const wchar_t* native;
  };
  static const Pair kPairs[] = {
      {L"ProgramFiles", L"ProgramW6432"},
      {L"CommonProgramFiles", L"CommonProgramW6432"},
  };
  for (const Pair& pair : kPairs)
    if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), pair.asked, -1, TRUE) ==
        CSTR_EQUAL)
      return pair.native;
  return name;
}

std::wstring FromEnvironment(const std::wstring& name) {
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::wstring();
    if (length < value.size()) return std::wstring(value.data(), length);
    value.resize(length);
  }
}

}  // namespace

std::wstring ExpandStoredTarget(const std::wstring& raw, const VariableLookup& lookup, bool wow64) {
  std::wstring expanded;
  std::size_t at = 0;
  for (;;) {
    std::size_t open = raw.find(L'%', at);
    std::size_t close = open == std::wstring::npos ? open : raw.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    std::wstring name = raw.substr(open + 1, close - open - 1);
    std::wstring value = name.empty() ? std::wstring() : lookup(wow64 ? NativeName(name) : name);
    if (value.empty()) {
      // Not a variable: the first "%" stays, and the second may open one.
      expanded.append(raw, at, close - at);
      at = close;
      continue;
    }
    expanded.append(raw, at, open - at);
    expanded += value;
    at = close + 1;
  }
  return expanded + raw.substr(at);
}

std::wstring ExpandStoredTarget(const std::wstring& raw) {
  static const bool wow64 = RunsUnderWow64();
  return ExpandStoredTarget(raw, &FromEnvironment, wow64);
}
