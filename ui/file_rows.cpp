#include "ui/file_rows.h"

#include <algorithm>

#include "crypt/outcome.h"
#include "platform/path_text.h"
#include "res/resource.h"
#include "ui/reason_text.h"
#include "ui/row_look.h"
#include "ui/status_text.h"
#include "ui/win32/resource_text.h"

namespace {

const int kReadyImage = static_cast<int>(RowImage::Dot);

// Loaded once: a drop of thousands asks for it once a row.
const std::wstring& ReadyText() {
  static const std::wstring ready = StatusText(RowStatus::Ready);
  return ready;
}

}  // namespace

void SetUpFileList(ListView& list, ImageList& images) {
  RECT client;
  GetClientRect(list.GetSafeHwnd(), &client);
  int width = client.right - client.left;
  int first = static_cast<int>(width * 0.8);
  list.InsertColumn(0, LoadText(IDS_COLUMN_FILE), first);
  list.InsertColumn(1, LoadText(IDS_COLUMN_STATUS), width - first - GetSystemMetrics(SM_CXVSCROLL));
  list.SetExtendedStyle(0xFFFFFFFF, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  list.SetBkColor(RGB(247, 247, 255));
  list.SetTextColor(RGB(0, 0, 0));

  // The row images are small icons: 16 px at 96 DPI, 24 at 144, each size
  // drawn for itself in the icon files.
  const int side = GetSystemMetrics(SM_CXSMICON);
  images.Create(side, side, 0, 3, 3);
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (UINT id : {IDI_ROW_TICK, IDI_ROW_DOT, IDI_ROW_CROSS}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    images.Add(icon);
    if (icon) DestroyIcon(icon);
  }
  list.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
}

void AddReadyRow(ListView& list, const std::string& path) {
  int row = list.InsertItem(0, path, kReadyImage);
  if (row >= 0) list.SetItemText(row, 1, ReadyText());
}

void ShowReady(ListView& list, int row) {
  ShowRowImage(list, row, kReadyImage, Reason::None);
  list.SetItemText(row, 1, ReadyText());
}

void ShowRowImage(ListView& list, int row, int image, Reason reason) {
  list.SetItemImage(row, image, static_cast<LPARAM>(reason));
}

Reason ReasonOfRow(const ListView& list, int row) {
  return static_cast<Reason>(list.GetItemData(row));
}

void FillReasonTip(const ListView& list, NMLVGETINFOTIPW& tip) {
  Reason reason = ReasonOfRow(list, tip.iItem);
  if (reason == Reason::None || !tip.pszText || tip.cchTextMax <= 0) return;
  std::wstring text = ReasonText(reason);
  std::size_t length = std::min(text.size(), static_cast<std::size_t>(tip.cchTextMax) - 1);
  text.copy(tip.pszText, length);
  tip.pszText[length] = L'\0';
}

namespace {

bool ShowsReady(const ListView& list, int row) {
  return list.GetItemImage(row) == kReadyImage && list.GetItemTextW(row, 1) == ReadyText();
}

}  // namespace

// Painted once: a press over thousands of rows waited for a paint a row.
// A row that already shows ready is only read, a fifth of the cost of
// setting it; after a drop every row does, and a press over 20,000 of them
// then neither sets a row nor repaints the list.
void ResetRows(ListView& list) {
  bool held = false;
  for (int row = 0, count = list.GetItemCount(); row < count; ++row) {
    if (ShowsReady(list, row)) continue;
    if (!held) list.SetRedraw(false);
    held = true;
    ShowReady(list, row);
  }
  if (held) list.SetRedraw(true);
}

LRESULT DrawRow(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      draw.clrText = RGB(0, 0, 0);
      draw.clrTextBk = draw.nmcd.dwItemSpec % 2 == 0 ? RGB(240, 240, 240) : RGB(255, 255, 255);
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

std::uint64_t QueryFileLength(const std::string& path) {
  HANDLE file = CreateFileW(path_text::ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER length;
  std::uint64_t result = GetFileSizeEx(file, &length) ? static_cast<std::uint64_t>(length.QuadPart) : 0;
  CloseHandle(file);
  return result;
}
