#pragma once
#include <windows.h>

// The two command buttons, turned off and on together: off while a run
// works, so a second click cannot start a second run over the same rows.
// The decrypt button always goes first, as it always did.
class CommandButtons {
 public:
  void Bind(HWND encryptButton, HWND decryptButton) {
    m_encrypt = encryptButton;
    m_decrypt = decryptButton;
  }
  void Off() { Enable(FALSE); }
  void On() { Enable(TRUE); }

 private:
  void Enable(BOOL on) {
    EnableWindow(m_decrypt, on);
    EnableWindow(m_encrypt, on);
  }

  HWND m_encrypt = nullptr;
  HWND m_decrypt = nullptr;
};
