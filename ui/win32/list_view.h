#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/win32/control.h"

// A report-view list. Narrow texts are paths, carried as UTF-8 and shown
// as the system holds them; wide texts are the program's own words.
class ListView : public Control {
 public:
  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
  int GetSelectionMark() const { return static_cast<int>(Send(LVM_GETSELECTIONMARK, 0, 0)); }
  bool DeleteAllItems() { return Send(LVM_DELETEALLITEMS, 0, 0) != 0; }
  // Off, changes are not painted; on again, the control is painted anew once.
  void SetRedraw(bool redraw) {
    Send(WM_SETREDRAW, redraw, 0);
    if (redraw) InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  bool EnsureVisible(int row, bool partialOk) { return Send(LVM_ENSUREVISIBLE, row, partialOk) != 0; }
  void SetExtendedStyle(DWORD mask, DWORD style) { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style); }
  bool SetBkColor(COLORREF colour) { return Send(LVM_SETBKCOLOR, 0, colour) != 0; }
  bool SetTextColor(COLORREF colour) { return Send(LVM_SETTEXTCOLOR, 0, colour) != 0; }
  void SetImageList(HIMAGELIST images, int which) { Send(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(images)); }

  int InsertColumn(int index, const std::wstring& heading, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(heading.c_str());
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
  }

  // Index of the new row, or -1.
  int InsertItem(int index, const std::string& path, int image);

  bool SetItemImage(int row, int image) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
  }
  // The image with the number the row keeps for its owner, in one call.
  bool SetItemImage(int row, int image, LPARAM data) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = row;
    item.iImage = image;
    item.lParam = data;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
  }
  LPARAM GetItemData(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
  }
  int GetItemImage(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
  }

  bool SetItemText(int row, int column, const std::string& path);
  bool SetItemText(int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return Send(LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != 0;
  }

  // The whole path, however long; maxChars caps its UTF-16 length when not 0.
  std::string GetItemText(int row, int column, size_t maxChars = 0) const;
  std::wstring GetItemTextW(int row, int column) const;

 protected:
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(m_hWnd, message, wParam, lParam);
  }
};
