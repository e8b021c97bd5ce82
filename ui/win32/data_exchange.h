#pragma once
#include <windows.h>

#include <string>

class Control;

// One transfer between a dialog's controls and the members bound to them:
// from the window into the members (saving) or the other way.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saveAndValidate)
      : m_hDialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

  // Attaches the template control to its object; later transfers leave it.
  void Bind(int id, Control& control);
  // An edit's text as narrow text in the ANSI code page, no length limit.
  void Text(int id, std::string& value);
  // An edit's text that is a path, as UTF-8.
  void PathText(int id, std::string& value);

  bool Saving() const { return m_bSaveAndValidate; }

 private:
  HWND m_hDialog;
  bool m_bSaveAndValidate;
};

std::string GetItemTextA(HWND dialog, int id);
