#include "ui/win32/data_exchange.h"

#include "platform/path_text.h"
#include "ui/win32/control.h"

std::string GetItemTextA(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  // The length is counted in ANSI bytes only when the window converts, so
  // leave room for a double-byte character per UTF-16 unit.
  int length = GetWindowTextLengthA(item);
  std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
  int copied = GetWindowTextA(item, &text[0], static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

namespace {

std::wstring GetItemTextW(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  int copied = GetWindowTextW(item, &text[0], static_cast<int>(text.size()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

}  // namespace

void DataExchange::Bind(int id, Control& control) {
  if (!control.GetSafeHwnd()) control.Attach(GetDlgItem(m_hDialog, id));
}

void DataExchange::Text(int id, std::string& value) {
  if (m_bSaveAndValidate)
    value = GetItemTextA(m_hDialog, id);
  else
    SetDlgItemTextA(m_hDialog, id, value.c_str());
}

void DataExchange::PathText(int id, std::string& value) {
  if (m_bSaveAndValidate)
    value = path_text::FromWide(GetItemTextW(m_hDialog, id));
  else
    SetDlgItemTextW(m_hDialog, id, path_text::ToWide(value).c_str());
}
