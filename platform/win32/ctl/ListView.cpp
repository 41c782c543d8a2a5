// The "SysListView32" window class: items with a caption, sub-item texts, an image, a state image
// (check boxes) and a data slot, shown in four views:
//   LVS_REPORT     rows under a child "SysHeader32" of the columns (created with the window and again
//                  whenever the view or LVS_NOCOLUMNHEADER changes; it announces itself to this window
//                  with WM_PARENTNOTIFY). Vertical scroll state in rows, horizontal in pixels.
//   LVS_LIST       items down and across in columns of one width; horizontal scroll state in columns,
//                  SB_LINELEFT / SB_LINERIGHT step one column; no vertical state.
//   LVS_ICON, LVS_SMALLICON  a fixed grid of cells sized from the image lists and the font, filled row by
//                  row (column by column with LVS_ALIGNLEFT) from the first work area's corner when there
//                  are work areas; LVS_ICON captions take a second line unless LVS_NOLABELWRAP; scroll
//                  state in pixels.
// Selection (single, or several with Ctrl and Shift unless LVS_SINGLESEL), a focused item, check boxes,
// grid lines, full-row selection, hot tracking (with underlined captions and one- or two-click
// activation) and owner-drawn report rows (WM_DRAWITEM, ODT_LISTVIEW). With LVS_EDITLABELS, F2 or a slow
// second click on the selected caption opens an editor over it (LabelEdit.h).
// Texts given as LPSTR_TEXTCALLBACKA are asked of the parent with LVN_GETDISPINFOA when shown, so the
// class library keeps its items' texts itself; so are images given as I_IMAGECALLBACK, and then, with
// LVS_EX_SUBITEMIMAGES, the images of the item's report columns. Painting and hit testing look only at
// the visible items. Painting holds the custom-draw conversation of CustomDraw.h (NMLVCUSTOMDRAW); after
// CDRF_NOTIFYSUBITEMDRAW each report column of the item, the first included, has its own turn
// (CDDS_SUBITEM, iSubItem the column) starting from the item's colours. The parent's colours cover the
// whole report row, or the caption in the other views.
//
// Notices: LVN_ITEMCHANGING before and LVN_ITEMCHANGED after every state change (selection, focus, check
// box), a nonzero answer to the first refusing it; LVN_BEGINLABELEDITA (refusable) and
// LVN_ENDLABELEDITA; LVN_ITEMACTIVATE; LVN_COLUMNCLICK from the header, NM_CLICK, NM_DBLCLK, NM_RCLICK.
//
// With LVS_OWNERDATA the view holds no items, only a count (LVM_SETITEMCOUNT) and the rows' states by
// index: selection and check boxes as ranges, the focus as one index. The parent lends each row as it
// shows (LVN_GETDISPINFOA with lParam 0, after LVN_ODCACHEHINT for the rows of the paint), finds rows
// for type-ahead and LVM_FINDITEMA (LVN_ODFINDITEMA), and hears of range selections and of clearing the
// selection with one LVN_ODSTATECHANGED per range. Switching the style drops the items or the count.

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/Scoped.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/CustomDraw.h"
#include "platform/win32/ctl/HeaderList.h"
#include "platform/win32/ctl/IndexRanges.h"
#include "platform/win32/ctl/LabelEdit.h"
#include "platform/win32/ctl/ListView_virtual.h"
#include "platform/win32/ctl/Notify.h"
#include "platform/win32/ctl/OrderTree.h"
#include "platform/win32/ctl/TypeAhead.h"

namespace xj::ctl {

namespace {

constexpr UINT kCheckSize = 13;
constexpr int kHeaderId = 0;
constexpr int kMaxSubItems = 1024;  // a sub-item beyond this is refused, not stored
constexpr UINT kAllHeaderFields = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
// An owner-data count beyond this is refused: pixel positions of the rows must stay within an int.
constexpr int kMaxRowCount = 100000000;
constexpr UINT_PTR kEditTimer = 42;              // a slow second click on the selected caption
constexpr size_t kMaxReserve = (size_t)1 << 18;  // items room is made for ahead, at the most

struct Item {
  std::string text;
  bool callback { false };  // the text is the parent's (LVN_GETDISPINFOA)
  std::vector<std::string> sub;
  int image { I_IMAGENONE };
  UINT state { 0 };  // LVIS_SELECTED, LVIS_FOCUSED, state image bits
  LPARAM lParam { 0 };
};

struct Column {
  std::string text;
  int width { 50 };
  int fmt { LVCFMT_LEFT };
  int image { -1 };
};

struct ListView {
  HWND hwnd {};
  bool dead { false };
  IndexedList<Item> items;  // in a tree, so that an item goes in or out anywhere without moving the rest
  IndexRanges selected;
  bool ownerData { false };  // LVS_OWNERDATA: no items, only rowCount and the states below
  int rowCount { 0 };
  IndexRanges checked;  // owner data: rows whose check box is ticked
  Item row;             // owner data: the row last lent, kept while one row is drawn
  int rowIndex { -1 };
  bool holdRow { false };
  TypeAhead typed;
  std::vector<Column> columns;
  std::vector<int> order;  // display position → column
  HWND header {};
  HFONT font {};
  HIMAGELIST large {}, small {}, stateImages {};
  DWORD exStyle { 0 };
  COLORREF bk { CLR_INVALID };
  COLORREF textColor { CLR_INVALID };
  int lineH { 16 };
  int charW { 8 };
  int listColumnWidth { 0 };  // LVS_LIST; 0: from the font
  int top { 0 };              // report: first row; list: first column
  int hOffset { 0 };          // report: pixels
  POINT origin {};            // icons: pixels
  int focus { -1 };
  int anchor { 0 };
  int hot { -1 };
  int wheelRest { 0 };
  std::vector<RECT> workAreas;  // icon views: the items are laid out in the first one
  bool redraw { true };
  bool focused { false };
  bool syncingBars { false };
  bool rebuildingHeader { false };
  HWND edit {};        // the label editor while one is open
  int editing { -1 };  // the item it edits
  int armed { -1 };    // the item a slow second click opens the editor on when the timer fires
  bool endingEdit { false };
  HBRUSH editBrush {};  // the editor's background, the view's own
  COLORREF editBrushColour { CLR_INVALID };
};

StateMap<ListView>& Views() {
  static auto* m = new StateMap<ListView>;
  return *m;
}

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

// The icon views' grid: cells filled row by row, or column by column when aligned left, from the
// top-left of the first work area (within its width or height), else of the client area.
struct IconGrid {
  SIZE cell;
  POINT at;
  int across, down;
  bool byColumn;
};

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

// ---- Label editing -------------------------------------------------------------------------------------

COLORREF Background(const ListView& v);
COLORREF Foreground(const ListView& v);

// Where the editor opens: over the caption, a little wider than its text, one line high.
// The editor takes the whole label cell (the caption column's room in a report), whatever the text: it
// scrolls only a text wider than that.
RECT EditRect(ListView& v, int i) {
  RECT r = LabelRect(v, i);
  int width = std::max((int)(r.right - r.left) + 1, 40);
  int height = ViewOf(v) == LVS_ICON ? v.lineH + 6 : RowHeight(v);
  return RECT { r.left - 1, r.top, r.left - 1 + width, r.top + height };
}

NMLVDISPINFOA Describe(const ListView& v, int i) {
  NMLVDISPINFOA nm {};
  nm.item.mask = LVIF_TEXT | LVIF_PARAM;
  nm.item.iItem = i;
  nm.item.lParam = ParamOf(v, i);
  return nm;
}

// Closes the editor without a word (its item went, or the items moved under it).
void DropEditor(ListView& v) {
  if (!v.edit) return;
  HWND edit = v.edit;
  v.edit = nullptr;
  v.editing = -1;
  CloseLabelEdit(edit);
}

// Ends editing: the editor goes, then LVN_ENDLABELEDIT tells the parent the new text (null when
// cancelled); a nonzero answer makes it the item's own text.
void EndEdit(ListView& v, bool cancel) {
  if (!v.edit || v.endingEdit) return;
  xj::TemporaryChange<bool> ending(v.endingEdit, true);
  const int i = v.editing;
  HWND edit = v.edit;
  v.edit = nullptr;
  v.editing = -1;
  std::string text = CloseLabelEdit(edit);
  if (v.dead || !Valid(v, (WPARAM)i)) return;
  RedrawItem(v, i);
  NMLVDISPINFOA nm = Describe(v, i);
  nm.item.pszText = cancel ? nullptr : text.data();
  nm.item.cchTextMax = (int)text.size() + 1;
  const int count = Count(v);
  const LRESULT keep = NotifyParentOf(v.hwnd, LVN_ENDLABELEDITA, nm.hdr);
  // An owner-data row's text is the parent's own.
  if (!keep || cancel || v.dead || Count(v) != count || v.ownerData) return;
  v.items[i].callback = false;
  v.items[i].text = text;
  RedrawItem(v, i);
}

void EditEnded(HWND owner, bool cancel) {
  if (std::shared_ptr<ListView> v = Views().Find(owner)) EndEdit(*v, cancel);
}

// Opens the editor over item i's caption unless LVN_BEGINLABELEDIT refuses. Answers the editor.
LRESULT EditLabel(ListView& v, int i) {
  if (v.edit) EndEdit(v, false);
  if (v.dead || !Valid(v, (WPARAM)i) || !(StyleOf(v) & LVS_EDITLABELS)) return 0;
  const int count = Count(v);
  EnsureVisible(v, i);
  NMLVDISPINFOA nm = Describe(v, i);
  if (NotifyParentOf(v.hwnd, LVN_BEGINLABELEDITA, nm.hdr) != 0 || v.dead || Count(v) != count) return 0;
  std::string text = TextOf(v, i, 0);
  if (v.dead || Count(v) != count) return 0;
  HWND edit = OpenLabelEdit(v.hwnd, EditRect(v, i), text, v.font, &EditEnded);
  if (!edit || v.dead) return 0;
  v.edit = edit;
  v.editing = i;
  return (LRESULT)edit;
}

// The editor takes the view's colours, so it sits on a coloured view as one of its own.
LRESULT EditColours(ListView& v, HDC dc) {
  COLORREF bk = Background(v);
  if (!v.editBrush || v.editBrushColour != bk) {
    if (v.editBrush) DeleteObject(v.editBrush);
    v.editBrush = CreateSolidBrush(bk);
    v.editBrushColour = bk;
  }
  SetTextColor(dc, Foreground(v));
  SetBkColor(dc, bk);
  return (LRESULT)v.editBrush;
}

// A slow second click on the selected caption: the editor opens once the double-click time has passed
// without a double click.
void ArmEdit(ListView& v, int i) {
  v.armed = i;
  SetTimer(v.hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
}

void DisarmEdit(ListView& v) {
  v.armed = -1;
  KillTimer(v.hwnd, kEditTimer);
}

void Timer(ListView& v, UINT_PTR id) {
  if (id != kEditTimer) return;
  const int i = v.armed;
  DisarmEdit(v);
  if (Valid(v, (WPARAM)i) && i == v.focus && GetFocus() == v.hwnd) EditLabel(v, i);
}

// ---- States --------------------------------------------------------------------------------------------

// Changes the bits of `mask` of item i to `state`; tells the parent. False when the item went meanwhile.
// The focus moving away from another item is that item's change, told first.
bool ChangeState(ListView& v, int i, UINT state, UINT mask) {
  if ((mask & state & LVIS_FOCUSED) && v.focus != i && Valid(v, (WPARAM)v.focus)) {
    int count = Count(v);
    if (!ChangeState(v, v.focus, 0, LVIS_FOCUSED) || Count(v) != count) return false;
    if (v.focus >= 0) return true;  // the other item kept the focus: this change is refused with it
  }
  UINT old = StateOf(v, i), now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  NMLISTVIEW n {};
  n.iItem = i;
  n.uNewState = now;
  n.uOldState = old;
  n.uChanged = LVIF_STATE;
  n.lParam = ParamOf(v, i);
  int count = Count(v);
  // The parent may refuse (a nonzero answer): the item stays as it is.
  if (NotifyParentOf(v.hwnd, LVN_ITEMCHANGING, n.hdr) != 0) return !v.dead && Count(v) == count;
  if (v.dead || Count(v) != count || StateOf(v, i) != old) return false;
  StoreState(v, i, now);
  if (now & LVIS_SELECTED)
    v.selected.Insert(i);
  else
    v.selected.Erase(i);
  if (now & LVIS_FOCUSED)
    v.focus = i;
  else if (v.focus == i)
    v.focus = -1;
  RedrawItem(v, i);
  NotifyParentOf(v.hwnd, LVN_ITEMCHANGED, n.hdr);
  return !v.dead && Count(v) == count;
}

// Owner data: the selection leaves every row outside keepFrom..keepTo, told once per range that went.
// False when the view went or its count changed meanwhile.
bool UnselectRanges(ListView& v, int keepFrom, int keepTo) {
  std::vector<std::pair<int, int>> gone;
  v.selected.ForEachRange([&](int lo, int hi) {
    if (lo < keepFrom) gone.emplace_back(lo, std::min(hi, keepFrom - 1));
    if (hi > keepTo) gone.emplace_back(std::max(lo, keepTo + 1), hi);
  });
  if (gone.empty()) return true;
  for (auto [lo, hi] : gone) v.selected.Remove(lo, hi);
  Redraw(v);
  int count = Count(v);
  for (auto [lo, hi] : gone) {
    ReportRangeState(v.hwnd, lo, hi, LVIS_SELECTED, 0);
    if (v.dead || Count(v) != count) return false;
  }
  return true;
}

// Owner data: rows from..to join the selection, told once. False when the view went or its count changed.
bool SelectRows(ListView& v, int from, int to) {
  if (to < from) return true;
  const size_t before = v.selected.Size();
  v.selected.Add(from, to);
  if (v.selected.Size() == before) return true;
  Redraw(v);
  int count = Count(v);
  ReportRangeState(v.hwnd, from, to, 0, LVIS_SELECTED);
  return !v.dead && Count(v) == count;
}

// The first selected item after `after` outside lo..hi, or -1.
int SelectedOutside(const ListView& v, int lo, int hi, int after) {
  int k = v.selected.NextAfter(after);
  return k >= lo && k <= hi ? v.selected.NextAfter(hi) : k;
}

// Every selected item outside lo..hi loses its selection. The parent may change the items from its
// notices, so each step looks again; an item whose change the parent refused is not asked again.
void DeselectOutside(ListView& v, int lo, int hi) {
  for (int guard = Count(v) + 1, after = -1; guard > 0 && !v.dead; --guard) {
    after = SelectedOutside(v, lo, hi, after);
    if (after < 0) return;
    ChangeState(v, after, 0, LVIS_SELECTED);
  }
}

void DeselectAllBut(ListView& v, int keep) {
  if (v.ownerData) {
    UnselectRanges(v, keep, keep);
    return;
  }
  DeselectOutside(v, keep, keep);
}

void SelectRange(ListView& v, int from, int to) {
  int lo = std::min(from, to), hi = std::max(from, to);
  if (v.ownerData) {
    if (UnselectRanges(v, lo, hi)) SelectRows(v, lo, std::min(hi, Count(v) - 1));
    return;
  }
  DeselectOutside(v, lo, hi);
  for (int k = lo; k <= hi && !v.dead && k < Count(v); ++k) ChangeState(v, k, LVIS_SELECTED, LVIS_SELECTED);
}

bool SingleSel(const ListView& v) { return (StyleOf(v) & LVS_SINGLESEL) != 0; }

// The user chose item i (a click or a key), with the modifier keys held.
void Choose(ListView& v, int i, bool shift, bool ctrl, bool toggle) {
  if (SingleSel(v) || (!shift && !ctrl)) {
    v.anchor = i;
    int count = Count(v);
    DeselectAllBut(v, i);
    // Items that came or went meanwhile leave the choice meaningless.
    if (v.dead || Count(v) != count) return;
    ChangeState(v, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  } else if (shift) {
    SelectRange(v, std::clamp(v.anchor, 0, Count(v) - 1), i);
    if (!v.dead && Valid(v, (WPARAM)i)) ChangeState(v, i, LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    v.anchor = i;
    UINT sel = toggle ? (StateOf(v, i) & LVIS_SELECTED) ^ LVIS_SELECTED : StateOf(v, i) & LVIS_SELECTED;
    ChangeState(v, i, sel | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  if (!v.dead) EnsureVisible(v, i);
}

void ToggleCheck(ListView& v, int i) {
  UINT image = (StateOf(v, i) & LVIS_STATEIMAGEMASK) >> 12;
  ChangeState(v, i, INDEXTOSTATEIMAGEMASK(image == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

// ---- Items and columns ----------------------------------------------------------------------------------

// Indexes at or after `from` move by `delta` in the selection and the focus.
void ShiftIndexes(ListView& v, int from, int delta) {
  v.selected.Shift(from, delta);
  if (v.focus >= from) v.focus += delta;
  if (v.anchor >= from) v.anchor = std::max(0, v.anchor + delta);
  if (v.hot >= from) v.hot = -1;
  if (v.editing >= from) v.editing += delta;
  if (v.armed >= from) v.armed += delta;
}

// An owner-data view has no items to add or take away one by one: its count is set instead.
bool RefuseOwnerData(const ListView& v) {
  if (v.ownerData) SetLastError(ERROR_NOT_SUPPORTED);
  return v.ownerData;
}

LRESULT InsertItem(ListView& v, const LVITEMA* in) {
  if (!in || in->iSubItem != 0 || RefuseOwnerData(v)) return -1;
  Item it;
  if (in->mask & LVIF_TEXT) {
    it.callback = in->pszText == LPSTR_TEXTCALLBACKA;
    if (!it.callback && in->pszText) it.text = in->pszText;
  }
  if (in->mask & LVIF_IMAGE) it.image = in->iImage;
  if (in->mask & LVIF_PARAM) it.lParam = in->lParam;
  int index = std::clamp(in->iItem, 0, Count(v));
  DWORD sort = StyleOf(v) & (LVS_SORTASCENDING | LVS_SORTDESCENDING);
  if (sort && !it.callback) {
    auto before = [&](const Item& a, const Item& b) {
      return sort & LVS_SORTASCENDING ? SortsBefore(a.text, b.text) : SortsBefore(b.text, a.text);
    };
    index = (int)v.items.UpperBound(it, before);
  }
  v.items.Insert((size_t)index, std::move(it));
  if (index < Count(v) - 1) ShiftIndexes(v, index, 1);
  if (in->mask & LVIF_STATE) {
    UINT state = in->state & in->stateMask;
    v.items[index].state = state & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (state & (LVIS_SELECTED | LVIS_FOCUSED)) ChangeState(v, index, state, LVIS_SELECTED | LVIS_FOCUSED);
  } else if (Checks(v)) {
    v.items[index].state = INDEXTOSTATEIMAGEMASK(1);
  }
  if (v.dead) return index;
  // Only what shows needs repainting; items added below the page change the bars alone.
  ClampPositions(v);
  SyncBars(v);
  if (index < VisibleRange(v).second) Redraw(v);
  return index;
}

LRESULT DeleteItem(ListView& v, WPARAM which) {
  if (!Valid(v, which) || RefuseOwnerData(v)) return FALSE;
  int i = (int)which;
  if (v.editing == i) DropEditor(v);
  if (v.armed == i) DisarmEdit(v);
  if (v.dead || !Valid(v, which)) return FALSE;
  v.items.Erase((size_t)i);
  v.selected.Erase(i);
  if (v.focus == i) v.focus = -1;
  ShiftIndexes(v, i + 1, -1);
  ContentChanged(v);
  return TRUE;
}

LRESULT DeleteAll(ListView& v) {
  DropEditor(v);
  DisarmEdit(v);
  if (v.dead) return FALSE;
  v.items.Clear();
  v.rowCount = 0;
  v.selected.Clear();
  v.checked.Clear();
  v.focus = v.hot = -1;
  v.anchor = v.top = v.hOffset = 0;
  v.origin = POINT {};
  ContentChanged(v);
  return TRUE;
}

void CopyText(const std::string& s, LPSTR out, int max) {
  if (!out || max <= 0) return;
  size_t n = std::min(s.size(), (size_t)max - 1);
  memcpy(out, s.data(), n);
  out[n] = 0;
}

LRESULT GetItem(ListView& v, LVITEMA* it) {
  if (!it || !Valid(v, (WPARAM)it->iItem) || it->iSubItem < 0) return FALSE;
  if (it->mask & LVIF_TEXT) {
    if (!v.ownerData && v.items[it->iItem].callback && it->iSubItem == 0 && it->cchTextMax == 0)
      it->pszText = LPSTR_TEXTCALLBACKA;
    else
      CopyText(TextOf(v, it->iItem, it->iSubItem), it->pszText, it->cchTextMax);
  }
  if (v.dead || !Valid(v, (WPARAM)it->iItem)) return FALSE;
  if (it->mask & LVIF_IMAGE) it->iImage = ItemAt(v, it->iItem).image;
  if (v.dead || !Valid(v, (WPARAM)it->iItem)) return FALSE;
  if (it->mask & LVIF_PARAM) it->lParam = ParamOf(v, it->iItem);
  if (it->mask & LVIF_STATE) it->state = StateOf(v, it->iItem) & it->stateMask;
  return TRUE;
}

LRESULT SetItem(ListView& v, const LVITEMA* it) {
  if (!it || !Valid(v, (WPARAM)it->iItem) || it->iSubItem < 0 || it->iSubItem > kMaxSubItems) return FALSE;
  // An owner-data row's texts and image are the parent's; only its state is the view's.
  if (v.ownerData) {
    if ((it->mask & LVIF_STATE) && it->iSubItem == 0) ChangeState(v, it->iItem, it->state, it->stateMask);
    return TRUE;
  }
  Item& item = v.items[it->iItem];
  if (it->mask & LVIF_TEXT) {
    std::string text = it->pszText && it->pszText != LPSTR_TEXTCALLBACKA ? it->pszText : "";
    if (it->iSubItem == 0) {
      item.callback = it->pszText == LPSTR_TEXTCALLBACKA;
      item.text = text;
    } else {
      if ((int)item.sub.size() < it->iSubItem) item.sub.resize(it->iSubItem);
      item.sub[it->iSubItem - 1] = text;
    }
  }
  if (it->iSubItem == 0) {
    if (it->mask & LVIF_IMAGE) item.image = it->iImage;
    if (it->mask & LVIF_PARAM) item.lParam = it->lParam;
  }
  RedrawItem(v, it->iItem);
  if ((it->mask & LVIF_STATE) && it->iSubItem == 0) ChangeState(v, it->iItem, it->state, it->stateMask);
  return TRUE;
}

// Owner data, every row at once: the selection and the check boxes change as ranges, told once each.
void SetAllRowStates(ListView& v, UINT state, UINT mask) {
  const int count = Count(v);
  if ((mask & LVIS_SELECTED) && !(state & LVIS_SELECTED) && !UnselectRanges(v, 0, -1)) return;
  if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && !SelectRows(v, 0, count - 1)) return;
  if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED) && Valid(v, (WPARAM)v.focus) &&
      !ChangeState(v, v.focus, 0, LVIS_FOCUSED))
    return;
  if (!(mask & LVIS_STATEIMAGEMASK) || !Checks(v) || count == 0) return;
  const bool tick = (state & LVIS_STATEIMAGEMASK) >> 12 == 2;
  const UINT on = INDEXTOSTATEIMAGEMASK(2), off = INDEXTOSTATEIMAGEMASK(1);
  if (tick)
    v.checked.Add(0, count - 1);
  else
    v.checked.Clear();
  Redraw(v);
  ReportRangeState(v.hwnd, 0, count - 1, tick ? off : on, tick ? on : off);
}

// Item −1 means every item.
LRESULT SetItemState(ListView& v, WPARAM which, const LVITEMA* it) {
  if (!it) return FALSE;
  if ((int)which == -1 && v.ownerData) {
    SetAllRowStates(v, it->state, it->stateMask);
    return TRUE;
  }
  if ((int)which == -1) {
    // Clearing the selection or the focus touches only the items that have them.
    if (!(it->stateMask & ~(UINT)(LVIS_SELECTED | LVIS_FOCUSED)) && !(it->state & it->stateMask)) {
      if (it->stateMask & LVIS_SELECTED) DeselectAllBut(v, -1);
      if ((it->stateMask & LVIS_FOCUSED) && !v.dead && Valid(v, (WPARAM)v.focus))
        ChangeState(v, v.focus, 0, LVIS_FOCUSED);
      return TRUE;
    }
    for (int i = 0; i < Count(v) && !v.dead; ++i) ChangeState(v, i, it->state, it->stateMask);
    return TRUE;
  }
  if (!Valid(v, which)) return FALSE;
  ChangeState(v, (int)which, it->state, it->stateMask);
  return TRUE;
}

LRESULT GetNextItem(const ListView& v, WPARAM from, LPARAM flags) {
  int start = (int)from;
  if (flags & LVNI_FOCUSED) return v.focus > start ? v.focus : -1;
  if (flags & LVNI_SELECTED) return v.selected.NextAfter(start);
  return start + 1 < Count(v) ? start + 1 : -1;
}

// ---- Owner data and searching ----------------------------------------------------------------------------

// Room for that many items (a hint, held below kMaxReserve), so that adding them allocates nothing more.
LRESULT ReserveItems(ListView& v, WPARAM count) {
  v.items.Reserve(std::min((size_t)count, kMaxReserve));
  return TRUE;
}

// Owner data: the count the parent gives, from 0 to kMaxRowCount; states of rows beyond it go. For a view
// that holds its items the count is only a hint.
LRESULT SetItemCount(ListView& v, WPARAM count) {
  if (count > (WPARAM)kMaxRowCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!v.ownerData) return ReserveItems(v, count);
  if (v.editing >= (int)count) DropEditor(v);
  if (v.armed >= (int)count) DisarmEdit(v);
  if (v.dead) return FALSE;
  v.rowCount = (int)count;
  v.selected.TruncateFrom(v.rowCount);
  v.checked.TruncateFrom(v.rowCount);
  if (v.focus >= v.rowCount) v.focus = -1;
  if (v.hot >= v.rowCount) v.hot = -1;
  v.anchor = std::min(v.anchor, std::max(0, v.rowCount - 1));
  ContentChanged(v);
  return TRUE;
}

// The style's LVS_OWNERDATA came or went: the view starts empty either way.
void SwitchOwnerData(ListView& v, bool on) {
  v.ownerData = on;
  DeleteAll(v);
}

// The first item after `start` (-1: from the first) that answers the search, going round past the last
// with LVFI_WRAP; -1 for none. An owner-data view's parent searches its own rows.
LRESULT FindItem(ListView& v, int start, const LVFINDINFOA* find) {
  const int n = Count(v);
  if (!find || n == 0) return -1;
  start = std::clamp(start, -1, n - 1);
  if (v.ownerData) {
    if (start + 1 == n && !(find->flags & LVFI_WRAP)) return -1;
    int found = AskFind(v.hwnd, (start + 1) % n, *find);
    return !v.dead && found >= 0 && found < Count(v) ? found : -1;
  }
  const int span = find->flags & LVFI_WRAP ? n : n - 1 - start;
  for (int k = 1; k <= span; ++k) {
    const int i = (start + k) % n;
    if (v.dead || i >= Count(v)) return -1;  // the parent changed the items while lending a text
    if (find->flags & LVFI_PARAM ? v.items[i].lParam == find->lParam : CaptionMatches(TextOf(v, i, 0), *find))
      return v.dead ? -1 : i;
  }
  return -1;
}

// A typed character chooses the next item whose caption starts with what was typed in a row: a new
// search starts after the focused item, a longer one at it.
void CharKey(ListView& v, WPARAM ch) {
  if (ch < ' ' || ch == 127 || Count(v) == 0) return;
  const TypeAhead::Step step = v.typed.Add((char)ch, GetTickCount());
  if (step == TypeAhead::kHeld) return;
  const std::string typed = v.typed.typed;
  LVFINDINFOA find { LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP, typed.c_str(), 0, {}, 0 };
  const int found = (int)FindItem(v, step == TypeAhead::kFresh ? v.focus : v.focus - 1, &find);
  if (!v.dead && Valid(v, (WPARAM)found)) Choose(v, found, false, false, false);
}

void SyncHeaderItem(ListView& v, int c, UINT mask) {
  if (!v.header) return;
  const Column& col = v.columns[c];
  HDITEMA h {};
  h.mask = mask;
  h.pszText = const_cast<LPSTR>(col.text.c_str());
  h.cxy = col.width;
  h.fmt = (col.fmt & LVCFMT_RIGHT ? HDF_RIGHT : col.fmt & LVCFMT_CENTER ? HDF_CENTER : HDF_LEFT) | HDF_STRING;
  h.iImage = col.image;
  SendMessageA(v.header, HDM_SETITEMA, c, (LPARAM)&h);
}

void ApplyColumn(Column& c, const LVCOLUMNA& in) {
  if (in.mask & LVCF_TEXT) c.text = in.pszText ? in.pszText : "";
  if (in.mask & LVCF_WIDTH) c.width = std::clamp(in.cx, 0, kMaxSectionWidth);
  if (in.mask & LVCF_FMT) c.fmt = in.fmt;
  if (in.mask & LVCF_IMAGE) c.image = in.iImage;
}

LRESULT InsertColumn(ListView& v, WPARAM at, const LVCOLUMNA* in) {
  if (!in) return -1;
  int index = std::clamp((int)at, 0, (int)v.columns.size());
  Column c;
  ApplyColumn(c, *in);
  v.columns.insert(v.columns.begin() + index, c);
  for (int& k : v.order)
    if (k >= index) ++k;
  int pos = in->mask & LVCF_ORDER ? std::clamp(in->iOrder, 0, (int)v.order.size()) : (int)v.order.size();
  v.order.insert(v.order.begin() + pos, index);
  if (v.header) {
    HDITEMA h {};
    h.mask = HDI_ORDER;
    h.iOrder = pos;
    SendMessageA(v.header, HDM_INSERTITEMA, index, (LPARAM)&h);
    SyncHeaderItem(v, index, kAllHeaderFields);
  }
  ContentChanged(v);
  return index;
}

LRESULT DeleteColumn(ListView& v, WPARAM at) {
  if (at >= v.columns.size()) return FALSE;
  int index = (int)at;
  v.columns.erase(v.columns.begin() + index);
  v.order.erase(std::find(v.order.begin(), v.order.end(), index));
  for (int& k : v.order)
    if (k > index) --k;
  if (v.header) SendMessageA(v.header, HDM_DELETEITEM, at, 0);
  ContentChanged(v);
  return TRUE;
}

LRESULT GetColumn(const ListView& v, WPARAM at, LVCOLUMNA* out) {
  if (at >= v.columns.size() || !out) return FALSE;
  const Column& c = v.columns[at];
  if (out->mask & LVCF_TEXT) CopyText(c.text, out->pszText, out->cchTextMax);
  if (out->mask & LVCF_WIDTH) out->cx = c.width;
  if (out->mask & LVCF_FMT) out->fmt = c.fmt;
  if (out->mask & LVCF_IMAGE) out->iImage = c.image;
  if (out->mask & LVCF_ORDER) out->iOrder = (int)(std::find(v.order.begin(), v.order.end(), (int)at) - v.order.begin());
  return TRUE;
}

LRESULT SetColumn(ListView& v, WPARAM at, const LVCOLUMNA* in) {
  if (at >= v.columns.size() || !in) return FALSE;
  ApplyColumn(v.columns[at], *in);
  SyncHeaderItem(v, (int)at, kAllHeaderFields);
  ContentChanged(v);
  return TRUE;
}

LRESULT SetColumnWidth(ListView& v, WPARAM at, LPARAM width) {
  if (List(v)) {
    if ((int)width <= 0) return FALSE;
    v.listColumnWidth = std::min((int)width, kMaxSectionWidth);
    ContentChanged(v);
    return TRUE;
  }
  if (at >= v.columns.size()) return FALSE;
  v.columns[at].width = std::clamp((int)width, 0, kMaxSectionWidth);
  SyncHeaderItem(v, (int)at, HDI_WIDTH);
  ContentChanged(v);
  return TRUE;
}

LRESULT SetColumnOrder(ListView& v, WPARAM size, const int* in) {
  if (!in || size != v.order.size() || !IsPermutation(in, size)) return FALSE;
  v.order.assign(in, in + size);
  if (v.header) SendMessageA(v.header, HDM_SETORDERARRAY, size, (LPARAM)in);
  Redraw(v);
  return TRUE;
}

// Stable, so equal items keep their order.
LRESULT SortItems(ListView& v, LPARAM data, PFNLVCOMPARE compare) {
  if (!compare || RefuseOwnerData(v)) return FALSE;
  DropEditor(v);
  DisarmEdit(v);
  if (v.dead) return FALSE;
  LPARAM focusParam = Valid(v, (WPARAM)v.focus) ? v.items[v.focus].lParam : 0;
  bool hadFocus = v.focus >= 0;
  std::vector<Item> items = v.items.Copy();  // the comparison may call back into the view
  std::stable_sort(items.begin(), items.end(),
                   [&](const Item& a, const Item& b) { return compare(a.lParam, b.lParam, data) < 0; });
  if (v.dead) return FALSE;
  v.selected.Clear();
  v.focus = -1;
  for (int i = 0; i < (int)items.size(); ++i) {
    if (items[i].state & LVIS_SELECTED) v.selected.Insert(i);
    if (hadFocus && (items[i].state & LVIS_FOCUSED) && items[i].lParam == focusParam) v.focus = i;
  }
  v.items.Assign(std::move(items));
  Redraw(v);
  return TRUE;
}

// ---- The header ----------------------------------------------------------------------------------------

bool WantsHeader(const ListView& v) { return Report(v) && !(StyleOf(v) & LVS_NOCOLUMNHEADER); }

DWORD HeaderStyle(const ListView& v) {
  DWORD style = WS_CHILD | WS_VISIBLE | HDS_HORZ;
  if (!(StyleOf(v) & LVS_NOSORTHEADER)) style |= HDS_BUTTONS;
  if (v.exStyle & LVS_EX_HEADERDRAGDROP) style |= HDS_DRAGDROP | HDS_FULLDRAG;
  if (v.exStyle & LVS_EX_TRACKSELECT) style |= HDS_HOTTRACK;
  return style;
}

// Destroys the header and, in report view with headers, makes a new one with the columns. The new
// window announces itself to this one (WM_PARENTNOTIFY) as it is created.
void RebuildHeader(ListView& v) {
  if (v.rebuildingHeader) return;
  v.rebuildingHeader = true;
  if (HWND old = v.header) {
    v.header = nullptr;
    DestroyWindow(old);
  }
  if (!v.dead && WantsHeader(v)) {
    HWND h = CreateWindowExA(0, WC_HEADERA, "", HeaderStyle(v), 0, 0, ClientSize(v).cx, 0, v.hwnd,
                             (HMENU)(intptr_t)kHeaderId, nullptr, nullptr);
    if (!v.dead && IsWindow(h)) {
      v.header = h;
      SendMessageA(h, WM_SETFONT, (WPARAM)v.font, FALSE);
      SendMessageA(h, HDM_SETIMAGELIST, 0, (LPARAM)v.small);
      for (int c = 0; c < (int)v.columns.size(); ++c) {
        HDITEMA it {};
        SendMessageA(h, HDM_INSERTITEMA, c, (LPARAM)&it);
        SyncHeaderItem(v, c, kAllHeaderFields);
      }
      if (!v.order.empty()) SendMessageA(h, HDM_SETORDERARRAY, v.order.size(), (LPARAM)v.order.data());
    }
  }
  v.rebuildingHeader = false;
  if (!v.dead) ContentChanged(v);
}

LRESULT HeaderNotice(ListView& v, NMHEADERA* n) {
  int c = n->iItem;
  if (c < 0 || c >= (int)v.columns.size()) return 0;
  switch (n->hdr.code) {
    case HDN_ITEMCHANGEDA:
      if (n->pitem && (n->pitem->mask & HDI_WIDTH) && v.columns[c].width != n->pitem->cxy) {
        v.columns[c].width = std::clamp(n->pitem->cxy, 0, kMaxSectionWidth);
        ContentChanged(v);
      }
      return 0;
    case HDN_ITEMCLICKA: {
      if (StyleOf(v) & LVS_NOSORTHEADER) return 0;
      NMLISTVIEW lv {};
      lv.iItem = -1;
      lv.iSubItem = c;
      NotifyParentOf(v.hwnd, LVN_COLUMNCLICK, lv.hdr);
      return 0;
    }
    case HDN_ENDDRAG: {
      if (!n->pitem) return TRUE;
      std::vector<int> order = v.order;
      order.erase(std::find(order.begin(), order.end(), c));
      order.insert(order.begin() + std::clamp(n->pitem->iOrder, 0, (int)order.size()), c);
      SetColumnOrder(v, order.size(), order.data());
      return TRUE;  // the order is set already
    }
  }
  return 0;
}

// ---- Painting ----------------------------------------------------------------------------------------

COLORREF Background(const ListView& v) { return v.bk == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : v.bk; }
COLORREF Foreground(const ListView& v) {
  return v.textColor == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : v.textColor;
}

void FillColour(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void DrawCheck(HDC dc, RECT r, bool checked) {
  RECT box { r.left, r.top, r.left + (int)kCheckSize, r.top + (int)kCheckSize };
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
  if (!checked) return;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int d = 0; d < 3; ++d) {
    MoveToEx(dc, box.left + 3, box.top + 5 + d, nullptr);
    LineTo(dc, box.left + 5, box.top + 7 + d);
    LineTo(dc, box.left + 10, box.top + 2 + d);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

// An owner-drawn report row: the parent draws it from WM_DRAWITEM.
void OwnerDrawItem(ListView& v, HDC dc, int i, const RECT& bounds) {
  UINT id = (UINT)GetWindowLongPtrA(v.hwnd, GWL_ID);
  UINT state = ((StateOf(v, i) & LVIS_SELECTED) ? ODS_SELECTED : 0) | (v.focused && i == v.focus ? ODS_FOCUS : 0);
  DRAWITEMSTRUCT dis { ODT_LISTVIEW, id, (UINT)i, ODA_DRAWENTIRE, state, v.hwnd, dc, bounds, (ULONG_PTR)ParamOf(v, i) };
  int saved = SaveDC(dc);
  if (HWND parent = GetParent(v.hwnd)) SendMessageA(parent, WM_DRAWITEM, id, (LPARAM)&dis);
  RestoreDC(dc, saved);
}

// A whole row's highlight and focus: the item's bounds right of the state image.
RECT RowRect(const ListView& v, const RECT& bounds) {
  return RECT { bounds.left + StateWidth(v) + 1, bounds.top, bounds.right, bounds.bottom };
}

// The state image, or the check box a view with check boxes and no state images draws itself.
void DrawStateImage(ListView& v, HDC dc, int i) {
  if (!StateWidth(v)) return;
  RECT s = StateRect(v, i);
  UINT index = (ItemAt(v, i).state & LVIS_STATEIMAGEMASK) >> 12;
  if (v.stateImages && index > 0)
    ImageList_Draw(v.stateImages, (int)index - 1, dc, s.left, s.top, ILD_TRANSPARENT);
  else if (!v.stateImages && Checks(v))
    DrawCheck(dc, s, index == 2);
}

// The image an item, or a sub-item in a report column, shows: the item's own, or the parent's answer for
// an item whose image is I_IMAGECALLBACK (which asks for its sub-items' images alike).
int ImageOf(ListView& v, int i, int sub) {
  if (v.ownerData) return sub == 0 ? ItemAt(v, i).image : AskRow(v.hwnd, i, sub, LVIF_IMAGE, 0).image;
  const Item& it = v.items[i];
  if (it.image != I_IMAGECALLBACK) return sub == 0 ? it.image : I_IMAGENONE;
  NMLVDISPINFOA info {};
  info.item.mask = LVIF_IMAGE;
  info.item.iItem = i;
  info.item.iSubItem = sub;
  info.item.lParam = it.lParam;
  info.item.iImage = I_IMAGENONE;
  NotifyParentOf(v.hwnd, LVN_GETDISPINFOA, info.hdr);
  return info.item.iImage;
}

bool Gone(const ListView& v, int i) { return v.dead || !Valid(v, (WPARAM)i); }

// False when asking for the image took the view or the item away.
bool DrawIcon(ListView& v, HDC dc, int i) {
  HIMAGELIST images = ViewOf(v) == LVS_ICON ? v.large : v.small;
  if (!images) return true;
  const int image = ImageOf(v, i, 0);
  if (Gone(v, i)) return false;
  if (image < 0) return true;
  RECT icon = IconRect(v, i);
  SIZE img = ImageSize(images);
  int x = ViewOf(v) == LVS_ICON ? icon.left + (icon.right - icon.left - img.cx) / 2 : icon.left;
  int y = icon.top + (icon.bottom - icon.top - img.cy) / 2;
  ImageList_Draw(images, image, dc, x, y, ILD_TRANSPARENT);
  return true;
}

// How a row is drawn: highlighted or not, across the whole row or under the caption, in which text colour.
// With the parent's colours (custom) every cell takes `text` on `back`.
struct RowLook {
  bool selected;
  bool fullRow;
  COLORREF text;
  COLORREF back;
  bool custom { false };
  bool underline { false };
};

// The colours a cell is drawn in, offered to the parent at its turn.
COLORREF CellInk(const RowLook& look, int column) {
  bool lit = look.selected && (column == 0 || look.fullRow);
  return look.custom || !lit ? look.text : GetSysColor(COLOR_HIGHLIGHTTEXT);
}
COLORREF CellBack(const RowLook& look, int column) {
  bool lit = look.selected && (column == 0 || look.fullRow);
  return look.custom || !lit ? look.back : GetSysColor(COLOR_HIGHLIGHT);
}

// The caption's own area: centred under an icon, else as wide as the text unless the whole row is
// highlighted.
RECT CaptionRect(ListView& v, HDC dc, const RECT& label, const std::string& caption, bool fullRow) {
  RECT textRect = label;
  if (ViewOf(v) == LVS_ICON) {
    SIZE ext {};
    GetTextExtentPoint32A(dc, caption.data(), (int)caption.size(), &ext);
    int w = std::min((int)ext.cx + 4, (int)(label.right - label.left));
    // A caption wider than its cell takes a second line, unless captions keep to one.
    int lines = ext.cx + 4 > label.right - label.left && !(StyleOf(v) & LVS_NOLABELWRAP) ? 2 : 1;
    textRect = RECT { label.left + (label.right - label.left - w) / 2, label.top, 0, label.top + lines * v.lineH + 2 };
    textRect.right = textRect.left + w;
  } else if (!fullRow) {
    SIZE ext {};
    GetTextExtentPoint32A(dc, caption.data(), (int)caption.size(), &ext);
    textRect.right = std::min(label.right, label.left + (int)ext.cx + 4);
  }
  return textRect;
}

// Draws the caption with its highlight (or the parent's colour: across the report's first column) and
// returns its area.
RECT DrawCaption(ListView& v, HDC dc, const RECT& label, const std::string& caption, const RowLook& look) {
  RECT textRect = CaptionRect(v, dc, label, caption, look.fullRow);
  if (look.custom)
    FillColour(dc, Report(v) ? label : textRect, look.back);
  else if (look.selected && !look.fullRow)
    FillColour(dc, textRect, GetSysColor(COLOR_HIGHLIGHT));
  SetTextColor(dc, CellInk(look, 0));
  RECT t = textRect;
  InflateRect(&t, -2, 0);
  UINT align = ViewOf(v) == LVS_ICON ? DT_CENTER : DT_LEFT;
  UINT lines = t.bottom - t.top > v.lineH + 2 ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  DrawTextA(dc, caption.data(), (int)caption.size(), &t, align | lines | DT_NOPREFIX);
  if (look.underline) {
    int y = lines == DT_WORDBREAK ? t.top + v.lineH - 1 : t.top + (t.bottom - t.top + v.lineH) / 2 - 1;
    FillColour(dc, RECT { t.left, y, std::max(t.left, t.right), y + 1 }, GetTextColor(dc));
  }
  return textRect;
}

// The item's own part: state image, icon and caption, whose area goes to textRect; false when asking the
// parent took the view or the item away.
bool DrawFirst(ListView& v, HDC dc, int i, const RowLook& look, RECT& textRect) {
  DrawStateImage(v, dc, i);
  if (!DrawIcon(v, dc, i)) return false;
  std::string caption = TextOf(v, i, 0);
  if (Gone(v, i)) return false;
  textRect = DrawCaption(v, dc, LabelRect(v, i), caption, look);
  return true;
}

// A report column other than the first: its image (LVS_EX_SUBITEMIMAGES, from the small images) and text.
bool DrawSubItem(ListView& v, HDC dc, int i, int c, const RECT& cell, const RowLook& look) {
  if (look.custom) FillColour(dc, cell, look.back);
  RECT ct = cell;
  InflateRect(&ct, -6, 0);
  if ((v.exStyle & LVS_EX_SUBITEMIMAGES) && v.small) {
    const int image = ImageOf(v, i, c);
    if (Gone(v, i)) return false;
    if (image >= 0) {
      SIZE img = ImageSize(v.small);
      ImageList_Draw(v.small, image, dc, cell.left + 2, cell.top + (cell.bottom - cell.top - img.cy) / 2,
                     ILD_TRANSPARENT);
      ct.left = std::max((int)ct.left, (int)cell.left + 4 + (int)img.cx);
    }
  }
  std::string s = TextOf(v, i, c);
  if (Gone(v, i) || c >= (int)v.columns.size()) return false;
  SetTextColor(dc, CellInk(look, c));
  UINT a = v.columns[c].fmt & LVCFMT_RIGHT ? DT_RIGHT : v.columns[c].fmt & LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
  DrawTextA(dc, s.data(), (int)s.size(), &ct, a | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  return true;
}

UINT DrawState(const ListView& v, int i, bool selected) {
  return (selected ? CDIS_SELECTED : 0) | (v.focused && i == v.focus ? CDIS_FOCUS : 0) | (i == v.hot ? CDIS_HOT : 0) |
         (IsWindowEnabled(v.hwnd) ? 0 : CDIS_DISABLED);
}

using ListDraw = CustomDraw<NMLVCUSTOMDRAW>;

// One report cell, with its own turn when the parent asked for sub-items (cells); false when a notice took
// the view, the item or the column away.
bool DrawCell(ListView& v, ListDraw* cells, HDC dc, int i, int c, const RECT& cell, RowLook look, RECT& textRect) {
  std::optional<ItemTurn<NMLVCUSTOMDRAW>> turn;
  if (cells) {
    NMLVCUSTOMDRAW nm = cells->ItemNotice((DWORD_PTR)i, DrawState(v, i, look.selected), ParamOf(v, i), cell,
                                          CellInk(look, c), CellBack(look, c));
    nm.iSubItem = c;
    turn.emplace(*cells, nm, CDDS_SUBITEM);
    if (Gone(v, i) || c >= (int)v.columns.size()) return false;
    if (turn->NewColours()) look = RowLook { look.selected, look.fullRow, turn->Text(), turn->Back(), true };
  }
  if (!turn || turn->Draws()) {
    bool drawn = c == 0 ? DrawFirst(v, dc, i, look, textRect) : DrawSubItem(v, dc, i, c, cell, look);
    if (!drawn) return false;
  }
  if (turn) turn->Finish();
  return !Gone(v, i);
}

// The report's columns in their display order, as they were when the row began.
bool DrawCells(ListView& v, ListDraw* cells, HDC dc, int i, const RECT& bounds, const RowLook& look, RECT& textRect) {
  const std::vector<int> order = v.order;
  std::vector<int> widths;
  for (int c : order) widths.push_back(v.columns[c].width);
  int x = bounds.left;
  for (size_t k = 0; k < order.size(); ++k) {
    RECT cell { x, bounds.top, x + widths[k], bounds.bottom };
    x = cell.right;
    if (!DrawCell(v, cells, dc, i, order[k], cell, look, textRect)) return false;
  }
  return true;
}

// The row as the view draws it: the highlight, the item's own part or the report's cells, the focus.
bool DrawRowBody(ListView& v, ListDraw* cells, HDC dc, int i, const RECT& bounds, const RowLook& look) {
  if (look.custom && Report(v))
    FillColour(dc, RowRect(v, bounds), look.back);
  else if (look.selected && look.fullRow)
    FillColour(dc, RowRect(v, bounds), GetSysColor(COLOR_HIGHLIGHT));
  RECT textRect {};
  if (!(Report(v) ? DrawCells(v, cells, dc, i, bounds, look, textRect) : DrawFirst(v, dc, i, look, textRect)))
    return false;
  if (v.focused && i == v.focus) {
    RECT f = look.fullRow ? RowRect(v, bounds) : textRect;
    DrawFocusRect(dc, &f);
  }
  return true;
}

// An item, and its turn with the parent when the parent asked for items.
void DrawItem(ListView& v, ListDraw& cd, HDC dc, int i) {
  const bool selected = (StateOf(v, i) & LVIS_SELECTED) && (v.focused || (StyleOf(v) & LVS_SHOWSELALWAYS));
  RECT bounds = Bounds(v, i);
  if (Report(v) && (StyleOf(v) & LVS_OWNERDRAWFIXED)) return OwnerDrawItem(v, dc, i, bounds);
  // An owner-data row is asked for once for its caption, image and state image.
  xj::TemporaryChange hold(v.holdRow, true);
  v.rowIndex = -1;
  if (v.ownerData) {
    ItemAt(v, i);
    if (v.dead || !Valid(v, (WPARAM)i)) return;
  }
  const bool fullRow = Report(v) && (v.exStyle & LVS_EX_FULLROWSELECT);
  const bool hot = i == v.hot && Tracks(v);
  const COLORREF text = hot ? GetSysColor(COLOR_HIGHLIGHT) : Foreground(v);
  const bool underline = Activates(v) && (v.exStyle & (hot ? LVS_EX_UNDERLINEHOT : LVS_EX_UNDERLINECOLD));
  RowLook look { selected, fullRow, text, Background(v), false, underline };
  if (!cd.ItemsWanted()) {
    DrawRowBody(v, nullptr, dc, i, bounds, look);
    return;
  }
  ItemTurn<NMLVCUSTOMDRAW> turn(cd, cd.ItemNotice((DWORD_PTR)i, DrawState(v, i, selected), ParamOf(v, i), bounds,
                                                  CellInk(look, 0), CellBack(look, 0)));
  if (Gone(v, i)) return;
  if (turn.Draws()) {
    if (turn.NewColours()) look = RowLook { selected, fullRow, turn.Text(), turn.Back(), true, underline };
    const bool cells = Report(v) && (turn.Answer() & CDRF_NOTIFYSUBITEMDRAW);
    if (!DrawRowBody(v, cells ? &cd : nullptr, dc, i, bounds, look)) return;
  }
  turn.Finish();
}

void DrawGrid(ListView& v, HDC dc, const RECT& client) {
  int top = HeaderHeight(v), row = RowHeight(v);
  HBRUSH line = GetSysColorBrush(COLOR_BTNFACE);
  for (int y = top + row - 1; y < client.bottom; y += row) {
    RECT r { 0, y, std::min((int)client.right, TotalWidth(v) - v.hOffset), y + 1 };
    FillRect(dc, &r, line);
  }
  int x = -v.hOffset;
  for (int c : v.order) {
    x += v.columns[c].width;
    RECT r { x - 1, top, x, client.bottom };
    FillRect(dc, &r, line);
  }
}

// Owner data: the parent hears which of first..last-1 the paint of `area` is about to ask for.
void HintPaintedRows(ListView& v, const RECT& area, int first, int last) {
  RECT client { 0, 0, ClientSize(v).cx, ClientSize(v).cy }, clip {};
  int lo = -1, hi = -1;
  for (int i = first; i < last; ++i) {
    RECT b = Bounds(v, i);
    if (Report(v)) b.right = std::max(b.right, client.right);
    if (!IntersectRect(&clip, &b, &area)) continue;
    if (lo < 0) lo = i;
    hi = i;
  }
  if (lo >= 0) HintRows(v.hwnd, lo, hi);
}

void PaintItems(ListView& v, ListDraw& cd, HDC dc, const RECT& area, const RECT& client) {
  auto [first, last] = VisibleRange(v);
  if (v.ownerData) HintPaintedRows(v, area, first, last);
  for (int i = first; i < last && i < Count(v) && !v.dead; ++i) {
    RECT b = Bounds(v, i), clip {};
    if (Report(v)) b.right = std::max(b.right, (int)client.right);
    if (!IntersectRect(&clip, &b, &area)) continue;
    DrawItem(v, cd, dc, i);
  }
  if (!v.dead && Report(v) && (v.exStyle & LVS_EX_GRIDLINES)) DrawGrid(v, dc, client);
}

// The background and the items, with the parent's say at each stage.
void Paint(ListView& v, HDC dc, const RECT& area) {
  int saved = SaveDC(dc);
  SelectObject(dc, FontOrDefault(v.font));
  SetBkMode(dc, TRANSPARENT);
  RECT client { 0, 0, ClientSize(v).cx, ClientSize(v).cy };
  ListDraw cd(v.hwnd, dc, client);
  if (cd.PreErase() && !v.dead) FillColour(dc, area, Background(v));
  if (!v.dead) cd.PostErase();
  if (!v.dead && cd.PrePaint() && !v.dead) PaintItems(v, cd, dc, area, client);
  if (!v.dead) cd.PostPaint();
  RestoreDC(dc, saved);
}

// ---- Keyboard and mouse ---------------------------------------------------------------------------------

// The item a moving key goes to from `c`, before it is kept within the items; none for the other keys.
std::optional<int> KeyTarget(const ListView& v, UINT vk, int c, int n) {
  int across = 1, down = 1;
  if (List(v)) across = RowsPerColumn(v);
  if (Icons(v)) {
    IconGrid g = GridOf(v);
    across = g.byColumn ? g.down : 1;
    down = g.byColumn ? 1 : g.across;
  }
  if (Report(v)) across = 0;
  int page = std::max(1, CountPerPage(v) - (Report(v) ? 1 : 0));
  switch (vk) {
    case VK_UP:
      return c - down;
    case VK_DOWN:
      return c + down;
    case VK_LEFT:
      return c - across;
    case VK_RIGHT:
      return c + across;
    case VK_PRIOR:
      return c - page;
    case VK_NEXT:
      return c + page;
    case VK_HOME:
      return 0;
    case VK_END:
      return n - 1;
    default:
      return std::nullopt;
  }
}

// Space toggles the focused item's check box, or selects it (Ctrl toggles its selection).
void SpaceKey(ListView& v, bool ctrl) {
  if (Checks(v) && v.focus >= 0) {
    ToggleCheck(v, v.focus);
    return;
  }
  if (v.focus >= 0) Choose(v, v.focus, false, ctrl, true);
}

void MoveFocus(ListView& v, int to, bool shift, bool ctrl) {
  if (ctrl && !shift && !SingleSel(v)) {
    // Ctrl moves the focus alone.
    ChangeState(v, to, LVIS_FOCUSED, LVIS_FOCUSED);
    if (!v.dead) EnsureVisible(v, to);
    return;
  }
  Choose(v, to, shift, false, false);
}

void KeyDown(ListView& v, UINT vk) {
  int n = Count(v);
  if (n == 0) return;
  if (vk == VK_F2) {
    EditLabel(v, v.focus);
    return;
  }
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  std::optional<int> to = KeyTarget(v, vk, std::clamp(v.focus, 0, n - 1), n);
  // With no focused item yet, the first arrow lands on the first item.
  const bool arrow = vk == VK_UP || vk == VK_DOWN || (!Report(v) && (vk == VK_LEFT || vk == VK_RIGHT));
  if (v.focus < 0 && arrow) {
    Choose(v, 0, false, false, false);
    return;
  }
  // Sideways keys scroll a report.
  if (Report(v) && vk == VK_LEFT) return ScrollTo(v, v.top, v.hOffset - v.charW * 3, v.origin);
  if (Report(v) && vk == VK_RIGHT) return ScrollTo(v, v.top, v.hOffset + v.charW * 3, v.origin);
  if (vk == VK_SPACE) return SpaceKey(v, ctrl);
  if (to) MoveFocus(v, std::clamp(*to, 0, n - 1), shift, ctrl);
}

void Notify(ListView& v, UINT code, int item, POINT p) {
  NMLISTVIEW n {};
  n.iItem = item;
  n.ptAction = p;
  NotifyParentOf(v.hwnd, code, n.hdr);
}

void ButtonDown(ListView& v, POINT p, WPARAM keys, bool right) {
  const bool hadFocus = v.focused;
  DisarmEdit(v);
  if (GetFocus() != v.hwnd) {
    SetFocus(v.hwnd);
    if (v.dead) return;
  }
  LVHITTESTINFO hit = HitTest(v, p);
  bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;
  const bool wasSelected = hit.iItem >= 0 && (StateOf(v, hit.iItem) & LVIS_SELECTED);
  const bool again = hadFocus && !right && !shift && !ctrl && hit.iItem >= 0 && hit.iItem == v.focus && wasSelected &&
                     hit.flags == LVHT_ONITEMLABEL && !Activates(v);
  if (hit.iItem < 0) {
    if (!ctrl && !shift && !right) DeselectAllBut(v, -1);
  } else if (hit.flags == LVHT_ONITEMSTATEICON && Checks(v) && !right) {
    ToggleCheck(v, hit.iItem);
  } else if (right && (StateOf(v, hit.iItem) & LVIS_SELECTED)) {
    ChangeState(v, hit.iItem, LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    Choose(v, hit.iItem, shift, ctrl, true);
  }
  if (again && !v.dead && hit.iItem == v.focus && (StyleOf(v) & LVS_EDITLABELS)) ArmEdit(v, hit.iItem);
  if (!v.dead) Notify(v, right ? NM_RCLICK : NM_CLICK, hit.iItem, p);
  // One click activates an item, or a click on an item already selected with two-click activation.
  const bool activate = (v.exStyle & LVS_EX_ONECLICKACTIVATE) || ((v.exStyle & LVS_EX_TWOCLICKACTIVATE) && wasSelected);
  if (!v.dead && !right && hit.iItem >= 0 && activate && Valid(v, (WPARAM)hit.iItem))
    Notify(v, LVN_ITEMACTIVATE, hit.iItem, p);
}

// A double click activates its item, unless its first click did already.
void DoubleClick(ListView& v, POINT p) {
  DisarmEdit(v);
  const int i = HitTest(v, p).iItem;
  Notify(v, NM_DBLCLK, i, p);
  if (v.dead || i < 0 || !Valid(v, (WPARAM)i) || (v.exStyle & LVS_EX_ONECLICKACTIVATE)) return;
  if (!(v.exStyle & LVS_EX_TWOCLICKACTIVATE) || (StateOf(v, i) & LVIS_SELECTED)) Notify(v, LVN_ITEMACTIVATE, i, p);
}

// The hand over a hot item that one click activates (two clicks: one already selected).
bool HandCursor(ListView& v, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT || !Valid(v, (WPARAM)v.hot)) return false;
  const bool selected = StateOf(v, v.hot) & LVIS_SELECTED;
  if (!(v.exStyle & LVS_EX_ONECLICKACTIVATE) && !((v.exStyle & LVS_EX_TWOCLICKACTIVATE) && selected)) return false;
  SetCursor(LoadCursorA(nullptr, IDC_HAND));
  return true;
}

void MouseMove(ListView& v, POINT p) {
  if (!Tracks(v)) return;
  int hot = HitTest(v, p).iItem;
  if (hot == v.hot) return;
  RedrawItem(v, v.hot);
  v.hot = hot;
  RedrawItem(v, hot);
  // The cursor was chosen before this move made the item hot: it is chosen again.
  if (Activates(v)) SendMessageA(v.hwnd, WM_SETCURSOR, (WPARAM)v.hwnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// Scrolling moves the items from under an open editor: it ends first, keeping its text. False when
// the view went meanwhile.
bool EndEditFirst(ListView& v) {
  EndEdit(v, false);
  return !v.dead;
}

void VScroll(ListView& v, WPARAM wParam, LPARAM lParam) {
  if (!EndEditFirst(v)) return;
  if (Report(v)) {
    ScrollTo(v, ScrollTarget(wParam, lParam, v.top, 1, std::max(1, RowsPerPage(v) - 1), MaxTop(v)), v.hOffset,
             v.origin);
  } else if (Icons(v)) {
    int y = ScrollTarget(wParam, lParam, v.origin.y, IconCell(v).cy / 2, ClientSize(v).cy, 1 << 30);
    ScrollTo(v, 0, 0, POINT { v.origin.x, y });
  }
}

void HScroll(ListView& v, WPARAM wParam, LPARAM lParam) {
  if (!EndEditFirst(v)) return;
  int width = ClientSize(v).cx;
  if (List(v)) {
    ScrollTo(v, ScrollTarget(wParam, lParam, v.top, 1, VisibleListColumns(v), MaxTop(v)), 0, v.origin);
  } else if (Report(v)) {
    ScrollTo(v, v.top, ScrollTarget(wParam, lParam, v.hOffset, v.charW, width, TotalWidth(v)), v.origin);
  } else {
    int x = ScrollTarget(wParam, lParam, v.origin.x, IconCell(v).cx / 2, width, 1 << 30);
    ScrollTo(v, 0, 0, POINT { x, v.origin.y });
  }
}

void Wheel(ListView& v, WPARAM wParam) {
  if (!EndEditFirst(v)) return;
  int notches = WheelNotches(v.wheelRest, wParam);
  if (notches == 0) return;
  if (List(v))
    ScrollTo(v, v.top - notches, 0, v.origin);
  else if (Report(v))
    ScrollTo(v, v.top - notches * 3, v.hOffset, v.origin);
  else
    ScrollTo(v, 0, 0, POINT { v.origin.x, v.origin.y - notches * IconCell(v).cy / 2 });
}

void TakeFont(ListView& v, HFONT font) {
  v.font = font;
  TEXTMETRICA tm = MetricsOf(font);
  v.lineH = tm.tmHeight;
  v.charW = std::max(1, (int)tm.tmAveCharWidth);
  if (v.header) SendMessageA(v.header, WM_SETFONT, (WPARAM)font, TRUE);
}

LRESULT SetImageList(ListView& v, WPARAM which, HIMAGELIST list) {
  HIMAGELIST* slot = which == LVSIL_NORMAL  ? &v.large
                     : which == LVSIL_SMALL ? &v.small
                     : which == LVSIL_STATE ? &v.stateImages
                                            : nullptr;
  if (!slot) return 0;
  HIMAGELIST old = *slot;
  *slot = list;
  if (which == LVSIL_SMALL && v.header) SendMessageA(v.header, HDM_SETIMAGELIST, 0, (LPARAM)list);
  ContentChanged(v);
  return (LRESULT)old;
}

LRESULT SetExtendedStyle(ListView& v, WPARAM mask, LPARAM value) {
  DWORD old = v.exStyle;
  if (!mask) mask = ~0u;
  v.exStyle = (old & ~(DWORD)mask) | ((DWORD)value & (DWORD)mask);
  if ((v.exStyle ^ old) & LVS_EX_CHECKBOXES && Checks(v))
    v.items.ForEach([](Item& it) {
      if (!(it.state & LVIS_STATEIMAGEMASK)) it.state |= INDEXTOSTATEIMAGEMASK(1);
    });
  if (!Tracks(v)) v.hot = -1;  // a row is hot only while the view follows the mouse
  if (v.header) SetWindowLongA(v.header, GWL_STYLE, (LONG)HeaderStyle(v));
  ContentChanged(v);
  return (LRESULT)old;
}

POINT PointOf(LPARAM lParam) { return POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }; }

// WM_PAINT, into the DC in wParam when there is one.
void PaintMessage(ListView& v, WPARAM wParam) {
  AnswerPaint(v.hwnd, wParam, RECT { 0, 0, ClientSize(v).cx, ClientSize(v).cy },
              [&](HDC dc, const RECT& area) { Paint(v, dc, area); });
}

void Create(ListView& v) {
  v.ownerData = (StyleOf(v) & LVS_OWNERDATA) != 0;
  TakeFont(v, nullptr);
  RebuildHeader(v);
}

LRESULT NcDestroy(ListView& v, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = v.hwnd;
  if (v.editBrush) DeleteObject(v.editBrush);
  Views().Retire(hwnd);
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

void ParentNotice(ListView& v, WPARAM wParam, LPARAM lParam) {
  // The header's own going (its WM_DESTROY) leaves nothing to hold.
  if (LOWORD(wParam) == WM_DESTROY && (HWND)lParam == v.header) v.header = nullptr;
}

// A new view or header style starts the view over; other style changes only lay it out again.
void StyleChanged(ListView& v, WPARAM which, const STYLESTRUCT* ss) {
  if (which == (WPARAM)GWL_STYLE && ss && ((ss->styleOld ^ ss->styleNew) & LVS_OWNERDATA))
    SwitchOwnerData(v, (ss->styleNew & LVS_OWNERDATA) != 0);
  if (which == (WPARAM)GWL_STYLE && ss &&
      ((ss->styleOld ^ ss->styleNew) & (LVS_TYPEMASK | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER))) {
    v.top = v.hOffset = 0;
    v.origin = POINT {};
    RebuildHeader(v);
  } else {
    ContentChanged(v);
  }
}

void SetRedraw(ListView& v, bool on) {
  v.redraw = on;
  if (v.redraw) ContentChanged(v);
}

void SetFont(ListView& v, HFONT font) {
  TakeFont(v, font);
  ContentChanged(v);
}

void FocusChanged(ListView& v, bool focused) {
  v.focused = focused;
  Redraw(v);
}

void MouseLeave(ListView& v) {
  if (v.hot >= 0) {
    RedrawItem(v, v.hot);
    v.hot = -1;
  }
}

LRESULT NotifyMessage(ListView& v, const NMHDR* n) {
  if (n && v.header && n->hwndFrom == v.header) return HeaderNotice(v, (NMHEADERA*)n);
  return 0;
}

// Keyboard and mouse, answered with zero; false for other messages.
bool InputMessage(ListView& v, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      KeyDown(v, (UINT)wParam);
      break;
    case WM_CHAR:
      CharKey(v, wParam);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      ButtonDown(v, PointOf(lParam), wParam, msg == WM_RBUTTONDOWN);
      break;
    case WM_LBUTTONDBLCLK:
      DoubleClick(v, PointOf(lParam));
      break;
    case WM_TIMER:
      Timer(v, wParam);
      break;
    case WM_MOUSEMOVE:
      MouseMove(v, PointOf(lParam));
      break;
    case WM_MOUSELEAVE:
      MouseLeave(v);
      break;
    case WM_MOUSEWHEEL:
      Wheel(v, wParam);
      break;
    case WM_VSCROLL:
      VScroll(v, wParam, lParam);
      break;
    case WM_HSCROLL:
      HScroll(v, wParam, lParam);
      break;
    default:
      return false;
  }
  return true;
}

// The other window messages answered with zero; false for the rest.
bool ZeroMessage(ListView& v, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Create(v);
      break;
    case WM_PARENTNOTIFY:
      ParentNotice(v, wParam, lParam);
      break;
    case WM_PAINT:
      PaintMessage(v, wParam);
      break;
    case WM_SIZE:
      ContentChanged(v);
      break;
    case WM_STYLECHANGED:
      StyleChanged(v, wParam, (const STYLESTRUCT*)lParam);
      break;
    case WM_ENABLE:
      Redraw(v);
      break;
    case WM_SETREDRAW:
      SetRedraw(v, wParam != 0);
      break;
    case WM_SETFONT:
      SetFont(v, (HFONT)wParam);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(v, msg == WM_SETFOCUS);
      break;
    default:
      return InputMessage(v, msg, wParam, lParam);
  }
  return true;
}

LRESULT SetItemText(ListView& v, WPARAM index, const LVITEMA* it) {
  if (!it) return FALSE;
  LVITEMA copy = *it;
  copy.mask = LVIF_TEXT;
  copy.iItem = (int)index;
  return SetItem(v, &copy);
}

LRESULT HitTestMessage(ListView& v, LVHITTESTINFO* info) {
  if (!info) return -1;
  *info = HitTest(v, info->pt);
  return info->iItem;
}

LRESULT TopIndex(ListView& v) {
  if (Report(v)) return v.top;
  if (List(v)) return std::min(Count(v), v.top * RowsPerColumn(v));
  return 0;
}

LRESULT ScrollMessage(ListView& v, int dx, int dy) {
  ScrollPixels(v, dx, dy);
  return TRUE;
}

LRESULT EnsureVisibleMessage(ListView& v, WPARAM index) {
  if (!Valid(v, index)) return FALSE;
  EnsureVisible(v, (int)index);
  return TRUE;
}

LRESULT UpdateItem(ListView& v, int index) {
  RedrawItem(v, index);
  return TRUE;
}

LRESULT ColumnWidth(ListView& v, WPARAM column) {
  if (List(v)) return ListColumnWidth(v);
  return column < v.columns.size() ? v.columns[column].width : 0;
}

LRESULT GetColumnOrder(ListView& v, WPARAM count, int* order) {
  if (!order || count < v.order.size()) return FALSE;
  std::copy(v.order.begin(), v.order.end(), order);
  return TRUE;
}

// ---- Work areas ----------------------------------------------------------------------------------------

// At most LV_MAX_WORKAREAS rectangles, none empty; none at all lays the icons out over the client area.
LRESULT SetWorkAreas(ListView& v, WPARAM count, const RECT* areas) {
  if (count > LV_MAX_WORKAREAS || (count && !areas) ||
      std::any_of(areas, areas + count, [](const RECT& r) { return r.right <= r.left || r.bottom <= r.top; })) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  v.workAreas.assign(areas, areas + count);
  ContentChanged(v);
  return TRUE;
}

LRESULT GetWorkAreas(const ListView& v, WPARAM count, RECT* out) {
  if (!out) return FALSE;
  std::copy_n(v.workAreas.begin(), std::min((size_t)count, v.workAreas.size()), out);
  return TRUE;
}

LRESULT CountWorkAreas(const ListView& v, UINT* out) {
  if (out) *out = (UINT)v.workAreas.size();
  return TRUE;
}

// Where the icon views' scrolled view starts; the other views have no such origin.
LRESULT GetOrigin(const ListView& v, POINT* out) {
  if (!out || !Icons(v)) return FALSE;
  *out = v.origin;
  return TRUE;
}

LRESULT SetColour(ListView& v, COLORREF& slot, COLORREF colour) {
  slot = colour;
  Redraw(v);
  return TRUE;
}

// Columns, images and colours; the others go on to the window messages.
LRESULT LookMessage(ListView& v, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LVM_GETHEADER:
      return (LRESULT)v.header;
    case LVM_INSERTCOLUMNA:
      return InsertColumn(v, wParam, (const LVCOLUMNA*)lParam);
    case LVM_DELETECOLUMN:
      return DeleteColumn(v, wParam);
    case LVM_GETCOLUMNA:
      return GetColumn(v, wParam, (LVCOLUMNA*)lParam);
    case LVM_SETCOLUMNA:
      return SetColumn(v, wParam, (const LVCOLUMNA*)lParam);
    case LVM_GETCOLUMNWIDTH:
      return ColumnWidth(v, wParam);
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(v, wParam, lParam);
    case LVM_GETCOLUMNORDERARRAY:
      return GetColumnOrder(v, wParam, (int*)lParam);
    case LVM_SETCOLUMNORDERARRAY:
      return SetColumnOrder(v, wParam, (const int*)lParam);
    case LVM_SETIMAGELIST:
      return SetImageList(v, wParam, (HIMAGELIST)lParam);
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      return SetExtendedStyle(v, wParam, lParam);
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return v.exStyle;
    case LVM_GETBKCOLOR:
      return Background(v);
    case LVM_SETBKCOLOR:
      return SetColour(v, v.bk, (COLORREF)lParam);
    case LVM_SETTEXTCOLOR:
      return SetColour(v, v.textColor, (COLORREF)lParam);
    case LVM_SETWORKAREAS:
      return SetWorkAreas(v, wParam, (const RECT*)lParam);
    case LVM_GETWORKAREAS:
      return GetWorkAreas(v, wParam, (RECT*)lParam);
    case LVM_GETNUMBEROFWORKAREAS:
      return CountWorkAreas(v, (UINT*)lParam);
    default:
      return ZeroMessage(v, msg, wParam, lParam) ? 0 : DefWindowProcA(v.hwnd, msg, wParam, lParam);
  }
}

// The items, their state and where they show; the others go on to the columns and the look.
LRESULT ItemMessage(ListView& v, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LVM_GETITEMCOUNT:
      return Count(v);
    case LVM_INSERTITEMA:
      return InsertItem(v, (const LVITEMA*)lParam);
    case LVM_DELETEITEM:
      return DeleteItem(v, wParam);
    case LVM_DELETEALLITEMS:
      return DeleteAll(v);
    case LVM_GETITEMA:
      return GetItem(v, (LVITEMA*)lParam);
    case LVM_SETITEMA:
      return SetItem(v, (const LVITEMA*)lParam);
    case LVM_SETITEMTEXTA:
      return SetItemText(v, wParam, (const LVITEMA*)lParam);
    case LVM_SETITEMSTATE:
      return SetItemState(v, wParam, (const LVITEMA*)lParam);
    case LVM_GETITEMSTATE:
      return Valid(v, wParam) ? (LRESULT)(StateOf(v, (int)wParam) & (UINT)lParam) : 0;
    case LVM_GETNEXTITEM:
      return GetNextItem(v, wParam, lParam);
    case LVM_GETSELECTEDCOUNT:
      return (LRESULT)v.selected.Size();
    case LVM_GETITEMRECT:
      return GetItemRect(v, wParam, (RECT*)lParam);
    case LVM_HITTEST:
      return HitTestMessage(v, (LVHITTESTINFO*)lParam);
    case LVM_GETCOUNTPERPAGE:
      return CountPerPage(v);
    case LVM_GETTOPINDEX:
      return TopIndex(v);
    case LVM_SCROLL:
      return ScrollMessage(v, (int)wParam, (int)lParam);
    case LVM_GETORIGIN:
      return GetOrigin(v, (POINT*)lParam);
    case LVM_ENSUREVISIBLE:
      return EnsureVisibleMessage(v, wParam);
    case LVM_UPDATE:
      return UpdateItem(v, (int)wParam);
    case LVM_SORTITEMS:
      return SortItems(v, (LPARAM)wParam, (PFNLVCOMPARE)lParam);
    case LVM_SETITEMCOUNT:
      return SetItemCount(v, wParam);
    case LVM_FINDITEMA:
      return FindItem(v, (int)wParam, (const LVFINDINFOA*)lParam);
    default:
      return LookMessage(v, msg, wParam, lParam);
  }
}

LRESULT Handle(ListView& v, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(v, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // the paint fills what it repaints
    case WM_GETFONT:
      return (LRESULT)v.font;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY:
      return NotifyMessage(v, (const NMHDR*)lParam);
    case WM_SETCURSOR:
      return HandCursor(v, lParam) ? TRUE : DefWindowProcA(v.hwnd, msg, wParam, lParam);
    case WM_CTLCOLOREDIT:
      return (HWND)lParam == v.edit ? EditColours(v, (HDC)wParam) : DefWindowProcA(v.hwnd, msg, wParam, lParam);
    case LVM_EDITLABELA:
      return EditLabel(v, (int)wParam);
    case LVM_GETEDITCONTROL:
      return (LRESULT)v.edit;
    case LVM_CANCELEDITLABEL:
      EndEdit(v, true);
      return 0;
    default:
      return ItemMessage(v, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Views().Route(hwnd, msg, wParam, lParam, Handle);
}

}  // namespace xj::ctl
