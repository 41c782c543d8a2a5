#pragma once
// What the list view asks of its parent for rows it does not hold: texts and images lent row by row
// (LVN_GETDISPINFOA), the range about to be shown (LVN_ODCACHEHINT), a search (LVN_ODFINDITEMA) and a
// state change over a range (LVN_ODSTATECHANGED).

#include <string>

#include "platform/win32/CommCtrl.h"

namespace xj::ctl {

// What the parent lends for a row: the caption (or a sub-item's text), the image and the state image bits.
struct LentRow {
  std::string text;
  int image { -1 };
  UINT state { 0 };
};

// Asks for row i's text of column `sub` and, when `mask` says so, its image (LVIF_IMAGE) and state image
// (LVIF_STATE); `param` is the row's data. Side effect: the parent runs, and may destroy the view.
LentRow AskRow(HWND view, int i, int sub, UINT mask, LPARAM param);

// Tells the parent that rows from..to (inclusive) are about to be asked for.
void HintRows(HWND view, int from, int to);

// The parent's answer to a search that starts at row `start`: a row, or -1.
int AskFind(HWND view, int start, const LVFINDINFOA& find);

// Tells the parent that rows from..to (inclusive) went from oldState to newState.
void ReportRangeState(HWND view, int from, int to, UINT oldState, UINT newState);

// Whether a row's caption answers a text search (LVFI_STRING, with LVFI_PARTIAL a prefix), ignoring case.
bool CaptionMatches(const std::string& caption, const LVFINDINFOA& find);

}  // namespace xj::ctl
