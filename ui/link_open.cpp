// CLinkLabel's opening of its target: the shell first, then the browser
// that is registered for ".htm" files, and the message when both fail.
#include "link_label.h"

#include <shellapi.h>

#include "win32/resource_text.h"

namespace {

// The registered command up to its placeholder "%1" (from the opening
// quote when it is quoted), one space, the target. Whatever followed the
// placeholder is dropped. False when the result would not fit the buffer.
bool ComposeBrowserCommand(const std::string& registered, const std::string& target,
                           std::string& command) {
  size_t cut = registered.find("\"%1\"");
  if (cut == std::string::npos) cut = registered.find("%1");
  command = registered.substr(0, cut) + " " + target;
  return command.size() + 1 <= static_cast<size_t>(CLinkLabel::kOpenBufferSize);
}

const wchar_t* OpenErrorText(INT_PTR code) {
  switch (code) {
    case 0: return L"The operating system is out\nof memory or resources.";
    case SE_ERR_FNF: return L"The specified file was not found.";
    case SE_ERR_PNF: return L"The specified path was not found.";
    case SE_ERR_ACCESSDENIED: return L"The operating system denied\naccess to the specified file.";
    case SE_ERR_OOM: return L"There was not enough memory to complete the operation.";
    case ERROR_BAD_FORMAT: return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case SE_ERR_SHARE: return L"A sharing violation occurred. ";
    case SE_ERR_ASSOCINCOMPLETE: return L"The filename association is\nincomplete or invalid.";
    case SE_ERR_DDETIMEOUT:
      return L"The DDE transaction could not\nbe completed because the request timed out.";
    case SE_ERR_DDEFAIL: return L"The DDE transaction failed.";
    case SE_ERR_DDEBUSY:
      return L"The DDE transaction could not\nbe completed because other DDE transactions\n"
             L"were being processed.";
    case SE_ERR_NOASSOC: return L"There is no application associated\nwith the given filename extension.";
    case SE_ERR_DLLNOTFOUND: return L"The specified dynamic-link library was not found.";
    default: return nullptr;
  }
}

}  // namespace

INT_PTR CLinkLabel::OpenTarget(const std::string& target, int show) {
  INT_PTR code = m_pShell->Execute("open", target.c_str(), show);
  if (static_cast<UINT_PTR>(code) > 32) return code;
  char buffer[kOpenBufferSize];
  if (ReadKeyDefault(HKEY_CLASSES_ROOT, ".htm", buffer) != ERROR_SUCCESS) return code;
  // A class name is at most 259 bytes, so the suffix always fits.
  lstrcatA(buffer, "\\shell\\open\\command");
  if (ReadKeyDefault(HKEY_CLASSES_ROOT, buffer, buffer) != ERROR_SUCCESS) return code;
  std::string command;
  if (!ComposeBrowserCommand(buffer, target, command)) return code;
  return static_cast<INT_PTR>(m_pShell->Exec(command.c_str(), static_cast<UINT>(show)));
}

// A key that opens but whose value cannot be read fails too: the value
// read is what the caller runs.
LONG CLinkLabel::ReadKeyDefault(HKEY root, const char* subkey, char* out) {
  HKEY key = nullptr;
  LONG status = m_pShell->OpenKey(root, subkey, KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  char value[MAX_PATH] = "";
  LONG size = sizeof value;
  status = m_pShell->QueryDefault(key, value, &size);
  m_pShell->CloseKey(key);
  if (status != ERROR_SUCCESS) return status;
  value[sizeof value - 1] = '\0';
  lstrcpyA(out, value);
  return ERROR_SUCCESS;
}

void CLinkLabel::ShowOpenError(INT_PTR code) {
  std::wstring text = L"Unable to open hyperlink:\n\n";
  if (const wchar_t* known = OpenErrorText(code))
    text += known;
  else
    text += L"Unknown Error (" + std::to_wstring(code) + L") occurred.";
  HWND owner = m_hWnd ? GetAncestor(m_hWnd, GA_ROOT) : GetActiveWindow();
  MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), MB_ICONEXCLAMATION | MB_OK);
}
