#include "ui/win32/list_view.h"

#include <vector>

// LVM_GETITEMTEXT reports only how much it copied, so the buffer grows until
// the text no longer fills it.
std::string ListView::GetItemText(int row, int column, size_t maxChars) const {
  size_t size = maxChars ? maxChars + 1 : 256;
  for (;;) {
    std::vector<char> buffer(size, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    size_t copied = static_cast<size_t>(Send(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (maxChars || copied + 2 < size) return std::string(buffer.data(), copied);
    size *= 2;
  }
}

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
