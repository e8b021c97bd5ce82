#include "file_rows.h"

#include "file_drop_list.h"
#include "outcome.h"
#include "path_facts.h"
#include "resource.h"
#include "row_look.h"
#include "status_text.h"
#include "win32/resource_text.h"

namespace {

const int kReadyImage = static_cast<int>(RowImage::Dot);

void AddReadyRow(ListView& list, const std::string& path) {
  int row = list.InsertItem(0, path, kReadyImage);
  if (row >= 0) list.SetItemText(row, 1, StatusText(RowStatus::Ready));
}

// Only the files directly inside; a name the code page cannot hold shows
// with "?" and its row fails, a link's row fails too.
void AddFolderFiles(ListView& list, const std::string& folder) {
  std::vector<FolderEntry> entries;
  if (!ListFolder(folder, entries)) return;
  for (const FolderEntry& entry : entries)
    if (entry.kind != PathKind::Folder) AddReadyRow(list, folder + "\\" + entry.name);
}

}  // namespace

void SetUpFileList(ListView& list, ImageList& images) {
  RECT client;
  GetClientRect(list.GetSafeHwnd(), &client);
  int width = client.right - client.left;
  int first = static_cast<int>(width * 0.8);
  list.InsertColumn(0, LoadText(IDS_COLUMN_FILE), first);
  list.InsertColumn(1, LoadText(IDS_COLUMN_STATUS), width - first - GetSystemMetrics(SM_CXVSCROLL));
  list.SetExtendedStyle(0xFFFFFFFF, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  list.SetBkColor(RGB(247, 247, 255));
  list.SetTextColor(RGB(0, 0, 0));

  images.Create(16, 16, 0, 3, 3);
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (UINT id : {IDI_ROW_TICK, IDI_ROW_DOT, IDI_ROW_CROSS}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    images.Add(icon);
    if (icon) DestroyIcon(icon);
  }
  list.SetImageList(images.GetSafeHandle(), LVSIL_SMALL);
}

int AddDroppedPath(ListView& list, const std::string& path, std::uint32_t& kind) {
  // One paint for the whole drop: painting after every row of a large folder
  // made its cost grow with the square of the rows.
  list.SetRedraw(false);
  if (kind == PATH_IS_FOLDER)
    AddFolderFiles(list, path);
  else
    AddReadyRow(list, path);
  ResetRows(list);
  list.SetRedraw(true);
  return 0;
}

void ResetRows(ListView& list) {
  std::wstring ready = StatusText(RowStatus::Ready);
  for (int row = 0, count = list.GetItemCount(); row < count; ++row) {
    list.SetItemImage(row, kReadyImage);
    list.SetItemText(row, 1, ready);
  }
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
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER length;
  std::uint64_t result = GetFileSizeEx(file, &length) ? static_cast<std::uint64_t>(length.QuadPart) : 0;
  CloseHandle(file);
  return result;
}
