// The list view's geometry, its items' texts and states as shown, hit testing and scrolling.

#include "platform/win32/ctl/ListViewPrivate.h"

namespace xj::ctl::listview {

// ---- Style and geometry -------------------------------------------------------------------------------

DWORD StyleOf(const ListView& v) { return (DWORD)GetWindowLongA(v.hwnd, GWL_STYLE); }
DWORD ViewOf(const ListView& v) { return StyleOf(v) & LVS_TYPEMASK; }
bool Report(const ListView& v) { return ViewOf(v) == LVS_REPORT; }
bool List(const ListView& v) { return ViewOf(v) == LVS_LIST; }
bool Icons(const ListView& v) { return ViewOf(v) == LVS_ICON || ViewOf(v) == LVS_SMALLICON; }
bool Checks(const ListView& v) { return (v.exStyle & LVS_EX_CHECKBOXES) != 0; }
// One- and two-click activation track the item under the mouse as hot tracking does.
bool Activates(const ListView& v) { return (v.exStyle & (LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE)) != 0; }
bool Tracks(const ListView& v) { return (v.exStyle & LVS_EX_TRACKSELECT) || Activates(v); }
int Count(const ListView& v) { return v.ownerData ? v.rowCount : (int)v.items.Size(); }
bool Valid(const ListView& v, WPARAM i) { return i < (WPARAM)Count(v); }

SIZE ImageSize(HIMAGELIST list) {
  int cx = 0, cy = 0;
  if (list) ImageList_GetIconSize(list, &cx, &cy);
  return SIZE { cx, cy };
}

SIZE ClientSize(const ListView& v) {
  RECT r {};
  GetClientRect(v.hwnd, &r);
  return SIZE { r.right, r.bottom };
}

int HeaderHeight(const ListView& v) {
  if (!v.header || !IsWindowVisible(v.header)) return 0;
  RECT r {};
  GetWindowRect(v.header, &r);
  return r.bottom - r.top;
}

// The width the state image or check box takes at the left of a row.
int StateWidth(const ListView& v) {
  if (v.stateImages) return ImageSize(v.stateImages).cx;
  return Checks(v) ? (int)kCheckSize + 2 : 0;
}

int RowHeight(const ListView& v) {
  int h = v.lineH + 2;
  h = std::max(h, (int)ImageSize(v.small).cy + 1);
  h = std::max(h, Checks(v) || v.stateImages ? std::max((int)kCheckSize + 2, (int)ImageSize(v.stateImages).cy) : 0);
  return h;
}

SIZE IconCell(const ListView& v) {
  if (ViewOf(v) == LVS_SMALLICON) {
    int w = StateWidth(v) + std::max(16, (int)ImageSize(v.small).cx) + 4 + 12 * v.charW;
    return SIZE { w, RowHeight(v) };
  }
  SIZE img = ImageSize(v.large);
  // A caption that may wrap has room for a second line.
  int lines = StyleOf(v) & LVS_NOLABELWRAP ? 1 : 2;
  return SIZE { std::max((int)img.cx + 16, 75), std::max((int)img.cy, 32) + 8 + lines * v.lineH + 6 };
}

int ListColumnWidth(const ListView& v) {
  if (v.listColumnWidth > 0) return v.listColumnWidth;
  return StateWidth(v) + std::max(16, (int)ImageSize(v.small).cx) + 4 + 15 * v.charW;
}

int RowsPerPage(const ListView& v) {
  int h = ClientSize(v).cy - HeaderHeight(v);
  return std::max(1, h / RowHeight(v));
}

int RowsPerColumn(const ListView& v) { return std::max(1, (int)ClientSize(v).cy / RowHeight(v)); }
int VisibleListColumns(const ListView& v) { return std::max(1, (int)ClientSize(v).cx / ListColumnWidth(v)); }
int ListColumns(const ListView& v) { return (Count(v) + RowsPerColumn(v) - 1) / RowsPerColumn(v); }

// A pixel position worked out in 64 bits, held where a rectangle of it still fits an int.
int Px(long long p) { return (int)std::clamp(p, -(1LL << 30), 1LL << 30); }

IconGrid GridOf(const ListView& v) {
  IconGrid g { IconCell(v), POINT {}, 1, 1, (StyleOf(v) & LVS_ALIGNMASK) == LVS_ALIGNLEFT };
  SIZE c = ClientSize(v);
  RECT area = v.workAreas.empty() ? RECT { 0, 0, c.cx, c.cy } : v.workAreas.front();
  g.at = POINT { area.left, area.top };
  int n = Count(v);
  if (g.byColumn) {
    g.down = std::max(1, (int)(area.bottom - area.top) / (int)g.cell.cy);
    g.across = (n + g.down - 1) / g.down;
  } else {
    g.across = std::max(1, (int)(area.right - area.left) / (int)g.cell.cx);
    g.down = (n + g.across - 1) / g.across;
  }
  return g;
}

POINT CellOf(const IconGrid& g, int i) {
  return g.byColumn ? POINT { i / g.down, i % g.down } : POINT { i % g.across, i / g.across };
}

// The item in a cell of the grid, or −1.
int ItemInCell(const IconGrid& g, int col, int row) {
  if (col < 0 || row < 0) return -1;
  if (g.byColumn) return row < g.down ? col * g.down + row : -1;
  return col < g.across ? row * g.across + col : -1;
}

// How far the items reach, in view pixels.
SIZE GridExtent(const ListView& v, const IconGrid& g) {
  int n = Count(v);
  int cols = g.byColumn ? g.across : std::min(n, g.across), rows = g.byColumn ? std::min(n, g.down) : g.down;
  return SIZE { n ? Px(g.at.x + (long long)cols * g.cell.cx) : 0, n ? Px(g.at.y + (long long)rows * g.cell.cy) : 0 };
}

int TotalWidth(const ListView& v) {
  int w = 0;
  for (const Column& c : v.columns) w += c.width;
  return w;
}

int CountPerPage(const ListView& v) {
  if (Report(v)) return RowsPerPage(v);
  if (List(v)) return RowsPerColumn(v) * VisibleListColumns(v);
  return Count(v);
}

RECT Bounds(const ListView& v, int i) {
  if (Report(v)) {
    int y = Px(HeaderHeight(v) + (long long)(i - v.top) * RowHeight(v));
    return RECT { -v.hOffset, y, TotalWidth(v) - v.hOffset, y + RowHeight(v) };
  }
  if (List(v)) {
    int rows = RowsPerColumn(v), w = ListColumnWidth(v);
    int x = Px((long long)(i / rows - v.top) * w), y = (i % rows) * RowHeight(v);
    return RECT { x, y, x + w, y + RowHeight(v) };
  }
  IconGrid g = GridOf(v);
  POINT cell = CellOf(g, i);
  int x = Px(g.at.x + (long long)cell.x * g.cell.cx - v.origin.x);
  int y = Px(g.at.y + (long long)cell.y * g.cell.cy - v.origin.y);
  return RECT { x, y, x + g.cell.cx, y + g.cell.cy };
}

// The first column's cell in report view (the item's own part), else the whole bounds.
RECT FirstCell(const ListView& v, int i) {
  RECT r = Bounds(v, i);
  if (!Report(v) || v.columns.empty()) return r;
  int x = r.left;
  for (int c : v.order) {
    if (c == 0) return RECT { x, r.top, x + v.columns[0].width, r.bottom };
    x += v.columns[c].width;
  }
  return r;
}

RECT StateRect(const ListView& v, int i) {
  RECT r = FirstCell(v, i);
  if (ViewOf(v) == LVS_ICON)
    return RECT { r.left + 2, r.top + 2, r.left + 2 + StateWidth(v), r.top + 2 + (int)kCheckSize };
  int h = Checks(v) && !v.stateImages ? (int)kCheckSize : (int)ImageSize(v.stateImages).cy;
  int y = r.top + (r.bottom - r.top - h) / 2;
  return RECT { r.left + 1, y, r.left + 1 + StateWidth(v), y + h };
}

RECT IconRect(const ListView& v, int i) {
  RECT r = FirstCell(v, i);
  if (ViewOf(v) == LVS_ICON) {
    SIZE img = ImageSize(v.large);
    int w = std::max(32, (int)img.cx), h = std::max(32, (int)img.cy);
    int x = r.left + (r.right - r.left - w) / 2;
    return RECT { x, r.top + 4, x + w, r.top + 4 + h };
  }
  int x = r.left + 1 + StateWidth(v);
  SIZE img = ImageSize(v.small);
  return RECT { x, r.top, x + (v.small ? (int)img.cx : 0), r.bottom };
}

RECT LabelRect(const ListView& v, int i) {
  RECT r = FirstCell(v, i);
  RECT icon = IconRect(v, i);
  if (ViewOf(v) == LVS_ICON) return RECT { r.left, icon.bottom + 2, r.right, r.bottom - 2 };
  return RECT { icon.right + 2, r.top, r.right, r.bottom };
}

LRESULT GetItemRect(const ListView& v, WPARAM i, RECT* r) {
  if (!Valid(v, i) || !r) return FALSE;
  switch (r->left) {
    case LVIR_BOUNDS:
      *r = Bounds(v, (int)i);
      return TRUE;
    case LVIR_ICON:
      *r = IconRect(v, (int)i);
      return TRUE;
    case LVIR_LABEL:
      *r = LabelRect(v, (int)i);
      return TRUE;
    case LVIR_SELECTBOUNDS: {
      RECT b = Bounds(v, (int)i), icon = IconRect(v, (int)i), label = LabelRect(v, (int)i);
      *r = (v.exStyle & LVS_EX_FULLROWSELECT) && Report(v) ? b : RECT { icon.left, b.top, label.right, b.bottom };
      return TRUE;
    }
  }
  return FALSE;
}

// The first and one-past-last items that can show.
std::pair<int, int> VisibleRange(const ListView& v) {
  int n = Count(v);
  SIZE c = ClientSize(v);
  if (Report(v)) return { std::min(v.top, n), std::min(n, v.top + RowsPerPage(v) + 1) };
  if (List(v)) {
    int rows = RowsPerColumn(v);
    return { std::min(n, v.top * rows), std::min(n, (v.top + VisibleListColumns(v) + 1) * rows) };
  }
  IconGrid g = GridOf(v);
  // The lines of cells (rows, or columns when aligned left) the client area crosses.
  int from = g.byColumn ? v.origin.x - g.at.x : v.origin.y - g.at.y;
  int size = g.byColumn ? g.cell.cx : g.cell.cy, span = g.byColumn ? c.cx : c.cy, per = g.byColumn ? g.down : g.across;
  int first = std::max(0, from / size), last = std::max(0, (from + span) / size + 1);
  return { std::min(n, first * per), std::min(n, last * per) };
}

// ---- Texts ------------------------------------------------------------------------------------------

// Row i's selection, focus and check box of an owner-data view, kept here by index.
UINT OwnState(const ListView& v, int i) {
  UINT state = (v.selected.Contains(i) ? LVIS_SELECTED : 0) | (v.focus == i ? LVIS_FOCUSED : 0);
  if (Checks(v)) state |= INDEXTOSTATEIMAGEMASK(v.checked.Contains(i) ? 2 : 1);
  return state;
}

// Item i; an owner-data view's is lent by the parent (its state images too when it has its own and no
// check boxes) and kept only while one row is drawn. Side effect: the parent runs, and may destroy the
// view or change the count.
const Item& ItemAt(ListView& v, int i) {
  if (!v.ownerData) return v.items[i];
  if (v.holdRow && v.rowIndex == i) return v.row;
  const bool ownStates = v.stateImages && !Checks(v);
  LentRow lent = AskRow(v.hwnd, i, 0, LVIF_IMAGE | (ownStates ? LVIF_STATE : 0), 0);
  v.row.text = std::move(lent.text);
  v.row.image = lent.image;
  v.row.state = OwnState(v, i) | (ownStates ? lent.state : 0);
  v.rowIndex = i;
  return v.row;
}

UINT StateOf(const ListView& v, int i) { return v.ownerData ? OwnState(v, i) : v.items[i].state; }
LPARAM ParamOf(const ListView& v, int i) { return v.ownerData ? 0 : v.items[i].lParam; }

// Keeps the bits the view holds of a state it changed: the item's whole state, or an owner-data row's
// check box (its selection and focus are kept by the caller).
void StoreState(ListView& v, int i, UINT state) {
  if (!v.ownerData) {
    v.items[i].state = state;
  } else if ((state & LVIS_STATEIMAGEMASK) >> 12 == 2) {
    v.checked.Insert(i);
  } else {
    v.checked.Erase(i);
  }
}

// A callback item asks the parent for its caption and its sub-items alike, as an owner-data row does.
std::string TextOf(ListView& v, int i, int sub) {
  if (v.ownerData) return sub == 0 ? ItemAt(v, i).text : AskRow(v.hwnd, i, sub, 0, 0).text;
  const Item& it = v.items[i];
  if (!it.callback) {
    if (sub > 0) return sub - 1 < (int)it.sub.size() ? it.sub[sub - 1] : std::string();
    return it.text;
  }
  return AskRow(v.hwnd, i, sub, 0, it.lParam).text;
}

// A text's width in the view's font.
int ExtentOf(ListView& v, const std::string& s) {
  HDC dc = GetDC(v.hwnd);
  HGDIOBJ old = SelectObject(dc, FontOrDefault(v.font));
  SIZE ext {};
  GetTextExtentPoint32A(dc, s.data(), (int)s.size(), &ext);
  SelectObject(dc, old);
  ReleaseDC(v.hwnd, dc);
  return ext.cx;
}

int TextWidth(ListView& v, int i) { return ExtentOf(v, TextOf(v, i, 0)); }

// The item at a client point and where on it, or −1.
LVHITTESTINFO HitTest(ListView& v, POINT p) {
  LVHITTESTINFO info { p, LVHT_NOWHERE, -1, 0 };
  SIZE c = ClientSize(v);
  if (p.x < 0 || p.y < HeaderHeight(v) || p.x >= c.cx || p.y >= c.cy) return info;
  int i = -1;
  if (Report(v)) {
    i = v.top + (p.y - HeaderHeight(v)) / RowHeight(v);
  } else if (List(v)) {
    int rows = RowsPerColumn(v), row = p.y / RowHeight(v);
    if (row < rows) i = (v.top + p.x / ListColumnWidth(v)) * rows + row;
  } else {
    IconGrid g = GridOf(v);
    int x = p.x + v.origin.x - g.at.x, y = p.y + v.origin.y - g.at.y;
    if (x >= 0 && y >= 0) i = ItemInCell(g, x / g.cell.cx, y / g.cell.cy);
  }
  if (i < 0 || i >= Count(v)) return info;
  RECT b = Bounds(v, i);
  if (!PtInRect(&b, p)) return info;
  RECT state = StateRect(v, i), icon = IconRect(v, i), label = LabelRect(v, i);
  const bool fullRow = Report(v) && (v.exStyle & LVS_EX_FULLROWSELECT);
  if (Report(v) && !fullRow) {
    label.right = std::min(label.right, label.left + TextWidth(v, i) + 4);
    if (v.dead || i >= Count(v)) return info;  // the parent changed the items while lending the text
  }
  if (StateWidth(v) && PtInRect(&state, p))
    info.flags = LVHT_ONITEMSTATEICON;
  else if (PtInRect(&icon, p))
    info.flags = LVHT_ONITEMICON;
  else if (PtInRect(&label, p) || fullRow)
    info.flags = LVHT_ONITEMLABEL;
  else
    return info;
  info.iItem = i;
  return info;
}

// ---- Scroll state and repainting -----------------------------------------------------------------------

void Redraw(ListView& v) {
  if (v.redraw) InvalidateRect(v.hwnd, nullptr, TRUE);
}

void RedrawItem(ListView& v, int i) {
  if (!v.redraw || !Valid(v, (WPARAM)i)) return;
  RECT r = Bounds(v, i);
  if (Report(v)) {
    r.left = 0;
    r.right = std::max(r.right, (int)ClientSize(v).cx);
  }
  InvalidateRect(v.hwnd, &r, FALSE);
}

int MaxTop(const ListView& v) {
  if (Report(v)) return std::max(0, Count(v) - RowsPerPage(v));
  if (List(v)) return std::max(0, ListColumns(v) - VisibleListColumns(v));
  return 0;
}

void PlaceHeader(ListView& v) {
  if (!v.header) return;
  SIZE c = ClientSize(v);
  RECT r { 0, 0, c.cx, c.cy };
  WINDOWPOS wp {};
  HDLAYOUT layout { &r, &wp };
  SendMessageA(v.header, HDM_LAYOUT, 0, (LPARAM)&layout);
  SetWindowPos(v.header, nullptr, -v.hOffset, 0, std::max((int)c.cx + v.hOffset, TotalWidth(v)), wp.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClampPositions(ListView& v) {
  SIZE c = ClientSize(v);
  v.top = std::clamp(v.top, 0, MaxTop(v));
  if (Report(v)) v.hOffset = std::clamp(v.hOffset, 0, std::max(0, TotalWidth(v) - (int)c.cx));
  if (Icons(v)) {
    SIZE extent = GridExtent(v, GridOf(v));
    v.origin.y = std::clamp((int)v.origin.y, 0, std::max(0, (int)extent.cy - (int)c.cy));
    v.origin.x = std::clamp((int)v.origin.x, 0, std::max(0, (int)extent.cx - (int)c.cx));
  }
}

// Publishes the scroll state: (0, 0) for a direction that does not scroll.
void SyncBars(ListView& v) {
  if (v.syncingBars || !v.redraw) return;
  v.syncingBars = true;
  for (int round = 0; round < 3 && !v.dead; ++round) {
    SIZE before = ClientSize(v);
    ClampPositions(v);
    SCROLLINFO vs { sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0 };
    SCROLLINFO hs = vs;
    if (Report(v)) {
      if (MaxTop(v) > 0)
        vs = SCROLLINFO {
          sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, Count(v) - 1, (UINT)RowsPerPage(v), v.top, 0
        };
      if (TotalWidth(v) > before.cx)
        hs = SCROLLINFO {
          sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, TotalWidth(v) - 1, (UINT)before.cx, v.hOffset, 0
        };
    } else if (List(v)) {
      if (MaxTop(v) > 0)
        hs = SCROLLINFO { sizeof(SCROLLINFO),
                          SIF_RANGE | SIF_PAGE | SIF_POS,
                          0,
                          ListColumns(v) - 1,
                          (UINT)VisibleListColumns(v),
                          v.top,
                          0 };
    } else {
      SIZE extent = GridExtent(v, GridOf(v));
      int height = extent.cy, width = extent.cx;
      if (height > before.cy)
        vs = SCROLLINFO {
          sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, height - 1, (UINT)before.cy, v.origin.y, 0
        };
      if (width > before.cx)
        hs = SCROLLINFO {
          sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, width - 1, (UINT)before.cx, v.origin.x, 0
        };
    }
    SetScrollInfo(v.hwnd, SB_VERT, &vs, TRUE);
    SetScrollInfo(v.hwnd, SB_HORZ, &hs, TRUE);
    SIZE after = ClientSize(v);
    if (after.cx == before.cx && after.cy == before.cy) break;
  }
  if (!v.dead) PlaceHeader(v);
  v.syncingBars = false;
}

void ContentChanged(ListView& v) {
  ClampPositions(v);
  SyncBars(v);
  Redraw(v);
}

void ScrollTo(ListView& v, int top, int hOffset, POINT origin) {
  int oldTop = v.top, oldH = v.hOffset;
  POINT oldOrigin = v.origin;
  v.top = top;
  v.hOffset = hOffset;
  v.origin = origin;
  ClampPositions(v);
  if (v.top == oldTop && v.hOffset == oldH && v.origin.x == oldOrigin.x && v.origin.y == oldOrigin.y) return;
  SyncBars(v);
  Redraw(v);
}

void ScrollPixels(ListView& v, int dx, int dy) {
  if (Report(v)) {
    int row = RowHeight(v);
    int rows = dy >= 0 ? (dy + row / 2) / row : -((-dy + row / 2) / row);
    ScrollTo(v, v.top + rows, v.hOffset + dx, v.origin);
  } else if (List(v)) {
    int w = ListColumnWidth(v);
    int cols = dx >= 0 ? (dx + w / 2) / w : -((-dx + w / 2) / w);
    ScrollTo(v, v.top + cols, 0, v.origin);
  } else {
    ScrollTo(v, 0, 0, POINT { v.origin.x + dx, v.origin.y + dy });
  }
}

void EnsureVisible(ListView& v, int i) {
  if (!Valid(v, (WPARAM)i)) return;
  if (Report(v)) {
    int top = v.top;
    if (i < top) top = i;
    if (i >= top + RowsPerPage(v)) top = i - RowsPerPage(v) + 1;
    ScrollTo(v, top, v.hOffset, v.origin);
  } else if (List(v)) {
    int col = i / RowsPerColumn(v), top = v.top;
    if (col < top) top = col;
    if (col >= top + VisibleListColumns(v)) top = col - VisibleListColumns(v) + 1;
    ScrollTo(v, top, 0, v.origin);
  } else {
    RECT b = Bounds(v, i);
    SIZE c = ClientSize(v);
    POINT o = v.origin;
    if (b.top < 0) o.y += b.top;
    if (b.bottom > c.cy) o.y += b.bottom - c.cy;
    if (b.left < 0) o.x += b.left;
    if (b.right > c.cx) o.x += b.right - c.cx;
    ScrollTo(v, 0, 0, o);
  }
}

}  // namespace xj::ctl::listview
