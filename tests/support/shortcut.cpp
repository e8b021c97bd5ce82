#ifdef _WIN32
#include "tests/support/shortcut.h"

#include <shlobj.h>

#include "tests/support/scratch_dir.h"

namespace {

// COM for the call's length, in a test program that has not started it.
struct ComForTheCall {
  bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  ~ComForTheCall() {
    if (started) CoUninitialize();
  }
};

}  // namespace

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
  ComForTheCall com;
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell))))
    return false;
  bool saved = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->SetPath(target.c_str())) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(link.c_str(), TRUE));
    file->Release();
  }
  shell->Release();
  return saved;
}

bool MakeShortcut(const std::string& link, const std::string& target) {
  return MakeShortcut(WideText(link), WideText(target));
}
#endif
