#include "ui/web_panel/page_address.h"

#include "platform/path_text.h"
#include "platform/system_library.h"
#include "ui/win32/program_path.h"

#include <vector>

#include "site.h"

BOOL SystemIsNetworkAlive(DWORD* flags) {
  using IsNetworkAliveProc = BOOL(WINAPI*)(LPDWORD);
  static IsNetworkAliveProc probe = [] {
    HMODULE sens = system_library::Load(L"sensapi.dll");
    return sens ? reinterpret_cast<IsNetworkAliveProc>(
                      reinterpret_cast<void*>(GetProcAddress(sens, "IsNetworkAlive")))
                : nullptr;
  }();
  return probe ? probe(flags) : FALSE;
}

std::string ExecutablePathA() { return path_text::FromWide(ProgramPath()); }

std::string ChoosePageAddress(const NetworkProbe& isNetworkAlive, const std::string& executablePath,
                              const PathRules& rules) {
  DWORD flags = 0;
  if (isNetworkAlive(&flags)) return SORVAN_SITE_URL "default1.htm";
  size_t lastSeparator = std::string::npos;
  for (size_t i = 0; i < executablePath.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(executablePath[i]);
    if (rules.isLeadByte(b) && i + 1 < executablePath.size())
      ++i;
    else if (b == '\\')
      lastSeparator = i;
  }
  if (lastSeparator == std::string::npos) return "default1.htm";
  return executablePath.substr(0, lastSeparator) + "\\default1.htm";
}

std::string HelpPageAddress() { return SORVAN_SITE_URL "products_TX_overview.html"; }
