#pragma once
// WM_NOTIFY from a common control to its parent, and the arrow glyph the scrolling controls draw.

#include <algorithm>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/WinGdi.h"

namespace xj::ctl {

// Fills in the header (sender, id, code) and sends it; the parent's answer, 0 without a parent.
inline LRESULT NotifyParentOf(HWND hwnd, UINT code, NMHDR& hdr) {
  hdr.hwndFrom = hwnd;
  hdr.idFrom = (UINT_PTR)GetWindowLongPtrA(hwnd, GWL_ID);
  hdr.code = code;
  HWND parent = GetParent(hwnd);
  return parent ? SendMessageA(parent, WM_NOTIFY, hdr.idFrom, (LPARAM)&hdr) : 0;
}

enum class ArrowDir { Up, Down, Left, Right };

// A solid triangle pointing `dir`, centred in `r`, a third of the smaller side deep (at least 2 rows).
inline void DrawArrow(HDC dc, const RECT& r, ArrowDir dir, COLORREF colour) {
  int w = r.right - r.left, h = r.bottom - r.top;
  int depth = std::max(2, std::min(w, h) / 3);  // rows from the tip; the base is 2·depth − 1 wide
  HBRUSH brush = CreateSolidBrush(colour);
  int cx = r.left + w / 2, cy = r.top + h / 2;
  for (int i = 0; i < depth; ++i) {
    int span = i;
    RECT line {};
    switch (dir) {
      case ArrowDir::Up:
        line = RECT { cx - span, cy - depth / 2 + i, cx + span + 1, cy - depth / 2 + i + 1 };
        break;
      case ArrowDir::Down:
        line = RECT { cx - span, cy + depth / 2 - i, cx + span + 1, cy + depth / 2 - i + 1 };
        break;
      case ArrowDir::Left:
        line = RECT { cx - depth / 2 + i, cy - span, cx - depth / 2 + i + 1, cy + span + 1 };
        break;
      case ArrowDir::Right:
        line = RECT { cx + depth / 2 - i, cy - span, cx + depth / 2 - i + 1, cy + span + 1 };
        break;
    }
    FillRect(dc, &line, brush);
  }
  DeleteObject(brush);
}

}  // namespace xj::ctl
