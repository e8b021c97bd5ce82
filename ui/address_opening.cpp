#include "ui/address_opening.h"

#include <shellapi.h>

#include "res/resource.h"
#include "ui/win32/resource_text.h"

namespace {

// The registered command up to its placeholder "%1" (from the opening
// quote when it is quoted), one space, the address. Whatever followed the
// placeholder is dropped. False when the result would not fit the buffer.
bool ComposeBrowserCommand(const std::string& registered, const std::string& address,
                           std::string& command) {
  size_t cut = registered.find("\"%1\"");
  if (cut == std::string::npos) cut = registered.find("%1");
  command = registered.substr(0, cut) + " " + address;
  return command.size() + 1 <= static_cast<size_t>(kOpenBufferSize);
}

UINT OpenFailureReason(INT_PTR code) {
  switch (code) {
    case 0: return IDS_LINK_OUT_OF_RESOURCES;
    case SE_ERR_FNF: return IDS_LINK_FILE_NOT_FOUND;
    case SE_ERR_PNF: return IDS_LINK_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED: return IDS_LINK_ACCESS_DENIED;
    case SE_ERR_OOM: return IDS_LINK_OUT_OF_MEMORY;
    case ERROR_BAD_FORMAT: return IDS_LINK_BAD_FORMAT;
    case SE_ERR_SHARE: return IDS_LINK_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE: return IDS_LINK_ASSOCIATION_INCOMPLETE;
    case SE_ERR_DDETIMEOUT: return IDS_LINK_DDE_TIMEOUT;
    case SE_ERR_DDEFAIL: return IDS_LINK_DDE_FAILED;
    case SE_ERR_DDEBUSY: return IDS_LINK_DDE_BUSY;
    case SE_ERR_NOASSOC: return IDS_LINK_NO_ASSOCIATION;
    case SE_ERR_DLLNOTFOUND: return IDS_LINK_DLL_NOT_FOUND;
    default: return 0;
  }
}

}  // namespace

INT_PTR OpenAddress(ShellAccess& shell, const std::string& address, int show) {
  INT_PTR code = shell.Execute("open", address.c_str(), show);
  if (static_cast<UINT_PTR>(code) > 32) return code;
  char buffer[kOpenBufferSize];
  if (ReadClassesDefault(shell, HKEY_CLASSES_ROOT, ".htm", buffer) != ERROR_SUCCESS) return code;
  // A class name is at most 259 bytes, so the suffix always fits.
  lstrcatA(buffer, "\\shell\\open\\command");
  if (ReadClassesDefault(shell, HKEY_CLASSES_ROOT, buffer, buffer) != ERROR_SUCCESS) return code;
  std::string command;
  if (!ComposeBrowserCommand(buffer, address, command)) return code;
  return static_cast<INT_PTR>(shell.Exec(command.c_str(), static_cast<UINT>(show)));
}

// A key that opens but whose value cannot be read fails too: the value
// read is what the caller runs.
LONG ReadClassesDefault(ShellAccess& shell, HKEY root, const char* subkey, char* out) {
  HKEY key = nullptr;
  LONG status = shell.OpenKey(root, subkey, KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  char value[MAX_PATH] = "";
  LONG size = sizeof value;
  status = shell.QueryDefault(key, value, &size);
  shell.CloseKey(key);
  if (status != ERROR_SUCCESS) return status;
  value[sizeof value - 1] = '\0';
  lstrcpyA(out, value);
  return ERROR_SUCCESS;
}

std::wstring OpenFailureText(INT_PTR code) {
  std::wstring text = LoadText(IDS_LINK_CANNOT_OPEN);
  if (UINT reason = OpenFailureReason(code)) return text + LoadText(reason);
  std::wstring unknown = LoadText(IDS_LINK_UNKNOWN_ERROR);
  std::size_t at = unknown.find(L"%1");
  if (at != std::wstring::npos) unknown.replace(at, 2, std::to_wstring(code));
  return text + unknown;
}

void ShowOpenFailure(HWND owner, INT_PTR code) {
  MessageBoxW(owner, OpenFailureText(code).c_str(), ApplicationTitle().c_str(),
              MB_ICONEXCLAMATION | MB_OK);
}
