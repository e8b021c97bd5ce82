#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "crypt/row_reason.h"
#include "ui/win32/image_list.h"
#include "ui/win32/list_view.h"

// The rows of the main window's file list: column 0 a file's full path,
// column 1 its status, and an image (0 tick, 1 grey disc, 2 cross); a row
// that did not succeed keeps why, which its tip tells.

// Columns, look and the row images; once, while the window initialises.
void SetUpFileList(ListView& list, ImageList& images);

// A row at the top, showing the grey disc and "就绪".
void AddReadyRow(ListView& list, const std::string& path);
// A row back to the grey disc and "就绪"; its path stays.
void ShowReady(ListView& list, int row);
// Every row so.
void ResetRows(ListView& list);

// A row's image, with why the row did not succeed (Reason::None when it did)
// kept in the row for its tip.
void ShowRowImage(ListView& list, int row, int image, Reason reason);
Reason ReasonOfRow(const ListView& list, int row);
// LVN_GETINFOTIP: pointed at, a row that did not succeed tells why; any
// other row keeps the list's own tip (its whole text, when it is cut short).
void FillReasonTip(const ListView& list, NMLVGETINFOTIPW& tip);

// NM_CUSTOMDRAW: rows in alternating shades by index.
LRESULT DrawRow(NMLVCUSTOMDRAW& draw);

// The length of a file that nobody else holds open; 0 when it cannot be
// opened that way.
std::uint64_t QueryFileLength(const std::string& path);
