#include "ui/win32/list_view.h"

#include <vector>

#include "platform/path_text.h"

int ListView::InsertItem(int index, const std::string& path, int image) {
  std::wstring text = path_text::ToWide(path);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.iImage = image;
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::SetItemText(int row, int column, const std::string& path) {
  return SetItemText(row, column, path_text::ToWide(path));
}

std::string ListView::GetItemText(int row, int column, size_t maxChars) const {
  if (!maxChars) return path_text::FromWide(GetItemTextW(row, column));
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  size_t copied = static_cast<size_t>(Send(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
  return path_text::FromWide(std::wstring(buffer.data(), copied));
}

// LVM_GETITEMTEXT reports only how much it copied, so the buffer grows until
// the text no longer fills it.
std::wstring ListView::GetItemTextW(int row, int column) const {
  size_t size = 256;
  for (;;) {
    std::vector<wchar_t> buffer(size, L'\0');
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    size_t copied = static_cast<size_t>(Send(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (copied + 1 < size) return std::wstring(buffer.data(), copied);
    size *= 2;
  }
}
