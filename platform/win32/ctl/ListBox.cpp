// The "LISTBOX" window class: items with a data slot, single, multiple and extended selection, sorted
// insertion, owner draw (fixed and variable heights) through WM_MEASUREITEM / WM_DRAWITEM to the
// parent, one or several columns, scrolling by keys, wheel and scroll messages, and the LB_* protocol.
//
// Scroll state: one column → SB_VERT 0..Count−1 at TopIndex (page = the items that fit), several
// columns → SB_HORZ 0..Columns−1 at the first visible column; (0, 0) when nothing scrolls. Every
// scroll, resize and content change invalidates with an erase, so whoever paints the background on
// WM_ERASEBKGND hears of each of them.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/OrderTree.h"
#include "platform/win32/ctl/TypeAhead.h"

namespace xj::ctl {

namespace {

struct Item {
  std::string text;
  ULONG_PTR data { 0 };
  bool selected { false };  // lists with several selections
  int height { 0 };         // LBS_OWNERDRAWVARIABLE
};

struct ListBox {
  HWND hwnd {};
  bool dead { false };
  IndexedList<Item> items;  // in a tree: an item goes in or out anywhere without moving the rest
  HFONT font {};
  int itemHeight { 16 };  // every item's, unless the heights vary
  int charWidth { 8 };    // the font's average, for the default column width and sideways steps
  int top { 0 };          // first visible item; with columns, the first item of the first visible column
  int curSel { -1 };      // single selection
  int caret { 0 };        // the item with the focus rectangle
  int anchor { 0 };       // where an extended range starts
  int columnWidth { 0 };  // 0: fifteen average characters
  int hExtent { 0 };
  int hOffset { 0 };
  int wheelRest { 0 };
  bool redraw { true };
  bool focused { false };
  bool syncingBars { false };
  // A mouse press being dragged.
  bool tracking { false };
  bool pressedOnItem { false };
  bool trackValue { true };
  std::vector<bool> trackBase;
  TypeAhead typed;  // characters typed in a row, to find an item by
};

StateMap<ListBox>& Lists() {
  static auto* m = new StateMap<ListBox>;
  return *m;
}

// ---- Style --------------------------------------------------------------------------------------------------

DWORD StyleOf(const ListBox& l) { return (DWORD)GetWindowLongA(l.hwnd, GWL_STYLE); }
bool Extended(const ListBox& l) { return (StyleOf(l) & LBS_EXTENDEDSEL) != 0; }
bool MultiSel(const ListBox& l) { return (StyleOf(l) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
bool OwnerDraw(const ListBox& l) { return (StyleOf(l) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
bool MultiColumn(const ListBox& l) { return (StyleOf(l) & LBS_MULTICOLUMN) != 0; }
bool Variable(const ListBox& l) { return (StyleOf(l) & LBS_OWNERDRAWVARIABLE) && !MultiColumn(l); }
// Owner-drawn lists without LBS_HASSTRINGS keep the LB_ADDSTRING argument as the item's data.
bool HasStrings(const ListBox& l) { return !OwnerDraw(l) || (StyleOf(l) & LBS_HASSTRINGS); }

int Count(const ListBox& l) { return (int)l.items.Size(); }
bool Valid(const ListBox& l, WPARAM i) { return (int)i >= 0 && (int)i < Count(l) && i == (WPARAM)(int)i; }
int HeightOf(const ListBox& l, int i) { return Variable(l) ? l.items[i].height : l.itemHeight; }
bool IsSelected(const ListBox& l, int i) { return MultiSel(l) ? l.items[i].selected : i == l.curSel; }

void Notify(ListBox& l, WORD code) {
  if (StyleOf(l) & LBS_NOTIFY) NotifyParent(l.hwnd, code);
}

// ---- Geometry --------------------------------------------------------------------------------------------

SIZE ClientSize(const ListBox& l) {
  RECT r {};
  GetClientRect(l.hwnd, &r);
  return SIZE { r.right - r.left, r.bottom - r.top };
}

int PerColumn(const ListBox& l) { return std::max(1, (int)ClientSize(l).cy / l.itemHeight); }
int ColumnWidth(const ListBox& l) { return l.columnWidth > 0 ? l.columnWidth : 15 * l.charWidth; }
int VisibleColumns(const ListBox& l) { return std::max(1, (int)ClientSize(l).cx / ColumnWidth(l)); }
int TotalColumns(const ListBox& l) { return (Count(l) + PerColumn(l) - 1) / PerColumn(l); }

// Items that fit whole from `from` down (at least one).
int RowsFrom(const ListBox& l, int from) {
  int height = ClientSize(l).cy;
  if (!Variable(l)) return std::max(1, height / l.itemHeight);
  int rows = 0, used = 0;
  for (int i = from; i < Count(l) && used + l.items[i].height <= height; ++i, ++rows) used += l.items[i].height;
  return std::max(1, rows);
}

// The largest TopIndex: the last items just fill the window.
int MaxTop(const ListBox& l) {
  int n = Count(l);
  if (n == 0) return 0;
  if (MultiColumn(l)) return std::max(0, TotalColumns(l) - VisibleColumns(l)) * PerColumn(l);
  if (!Variable(l)) return std::max(0, n - RowsFrom(l, 0));
  int height = ClientSize(l).cy, t = n, used = 0;
  while (t > 0 && used + l.items[t - 1].height <= height) used += l.items[--t].height;
  return t == n ? n - 1 : t;
}

RECT ItemRect(const ListBox& l, int i) {
  if (MultiColumn(l)) {
    int per = PerColumn(l), w = ColumnWidth(l);
    int x = (i / per - l.top / per) * w, y = (i % per) * l.itemHeight;
    return RECT { x, y, x + w, y + l.itemHeight };
  }
  int y = 0;
  if (!Variable(l))
    y = (i - l.top) * l.itemHeight;
  else if (i >= l.top)
    for (int k = l.top; k < i; ++k) y += l.items[k].height;
  else
    for (int k = i; k < l.top; ++k) y -= l.items[k].height;
  int width = std::max((int)ClientSize(l).cx, l.hExtent);
  return RECT { -l.hOffset, y, width - l.hOffset, y + HeightOf(l, i) };
}

// The item nearest to a client point (the point is first brought inside the window); −1 when empty.
int NearestItem(const ListBox& l, POINT p) {
  int n = Count(l);
  if (n == 0) return -1;
  SIZE c = ClientSize(l);
  p.x = std::clamp<int>(p.x, 0, std::max(0, (int)c.cx - 1));
  p.y = std::clamp<int>(p.y, 0, std::max(0, (int)c.cy - 1));
  int i;
  if (MultiColumn(l)) {
    int per = PerColumn(l);
    i = (l.top / per + p.x / ColumnWidth(l)) * per + std::min(per - 1, (int)p.y / l.itemHeight);
  } else if (!Variable(l)) {
    i = l.top + p.y / l.itemHeight;
  } else {
    i = l.top;
    for (int y = 0; i < n - 1 && y + l.items[i].height <= p.y; ++i) y += l.items[i].height;
  }
  return std::clamp(i, 0, n - 1);
}

// The item under a client point, or −1.
int ItemAt(const ListBox& l, POINT p) {
  SIZE c = ClientSize(l);
  if (p.x < 0 || p.y < 0 || p.x >= c.cx || p.y >= c.cy) return -1;
  int i = NearestItem(l, p);
  if (i < 0) return -1;
  RECT r = ItemRect(l, i);
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom ? i : -1;
}

// ---- Scroll state and repainting --------------------------------------------------------------------

void Redraw(ListBox& l) {
  if (l.redraw) InvalidateRect(l.hwnd, nullptr, TRUE);
}

void RedrawItem(ListBox& l, int i) {
  if (!l.redraw || i < 0 || i >= Count(l)) return;
  RECT r = ItemRect(l, i);
  InvalidateRect(l.hwnd, &r, FALSE);
}

void ClampPositions(ListBox& l) {
  int top = std::clamp(l.top, 0, MaxTop(l));
  if (MultiColumn(l)) top -= top % PerColumn(l);
  l.top = top;
  l.hOffset = MultiColumn(l) ? 0 : std::clamp(l.hOffset, 0, std::max(0, l.hExtent - (int)ClientSize(l).cx));
}

// Publishes the scroll state. A bar that appears or goes changes the client area, which changes
// what fits, so this settles over a few rounds.
void SyncBars(ListBox& l) {
  if (l.syncingBars) return;
  l.syncingBars = true;
  for (int round = 0; round < 3; ++round) {
    SIZE before = ClientSize(l);
    ClampPositions(l);
    SCROLLINFO v { sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0 };
    SCROLLINFO h = v;
    if (MultiColumn(l)) {
      int total = TotalColumns(l), visible = VisibleColumns(l);
      if (total > visible) {
        h.nMax = total - 1;
        h.nPage = (UINT)visible;
        h.nPos = l.top / PerColumn(l);
      }
    } else {
      int maxTop = MaxTop(l);
      if (maxTop > 0) {
        v.nMax = Count(l) - 1;
        v.nPage = (UINT)(Count(l) - maxTop);
        v.nPos = l.top;
      }
      if (l.hExtent > before.cx) {
        h.nMax = l.hExtent - 1;
        h.nPage = (UINT)before.cx;
        h.nPos = l.hOffset;
      }
    }
    SetScrollInfo(l.hwnd, SB_VERT, &v, l.redraw);
    SetScrollInfo(l.hwnd, SB_HORZ, &h, l.redraw);
    if (l.dead) break;
    SIZE after = ClientSize(l);
    if (after.cx == before.cx && after.cy == before.cy) break;
  }
  l.syncingBars = false;
}

// After items came or went, the heights or the window changed.
void ContentChanged(ListBox& l) {
  ClampPositions(l);
  if (l.redraw) SyncBars(l);
  Redraw(l);
}

void SetTop(ListBox& l, int top) {
  int old = l.top;
  l.top = top;
  ClampPositions(l);
  if (l.top == old) return;
  if (l.redraw) SyncBars(l);
  Redraw(l);
}

void SetHOffset(ListBox& l, int x) {
  int old = l.hOffset;
  l.hOffset = x;
  ClampPositions(l);
  if (l.hOffset == old) return;
  if (l.redraw) SyncBars(l);
  Redraw(l);
}

void EnsureVisible(ListBox& l, int i) {
  if (i < 0 || i >= Count(l)) return;
  if (MultiColumn(l)) {
    int per = PerColumn(l), col = i / per, first = l.top / per, visible = VisibleColumns(l);
    if (col < first) SetTop(l, col * per);
    if (col >= first + visible) SetTop(l, (col - visible + 1) * per);
    return;
  }
  if (i < l.top) {
    SetTop(l, i);
    return;
  }
  int t = l.top;
  if (!Variable(l))
    t = std::max(t, i - RowsFrom(l, 0) + 1);
  else
    while (t < i && i >= t + RowsFrom(l, t)) ++t;
  SetTop(l, t);
}

// ---- Selection --------------------------------------------------------------------------------------------

bool SetCurSel(ListBox& l, int i) {
  if (l.curSel == i) return false;
  RedrawItem(l, l.curSel);
  l.curSel = i;
  RedrawItem(l, i);
  return true;
}

bool SetSelected(ListBox& l, int i, bool on) {
  if (l.items[i].selected == on) return false;
  l.items[i].selected = on;
  RedrawItem(l, i);
  return true;
}

void MoveCaret(ListBox& l, int i) {
  RedrawItem(l, l.caret);
  l.caret = i;
  RedrawItem(l, i);
}

std::vector<bool> Selection(const ListBox& l) {
  std::vector<bool> s;
  l.items.ForEachFrom(0, [&](const Item& it) {
    s.push_back(it.selected);
    return true;
  });
  return s;
}

// Extended selection: the range anchor..to takes trackValue, every other item its base state.
bool ApplyRange(ListBox& l, int to) {
  int lo = std::min(l.anchor, to), hi = std::max(l.anchor, to);
  bool changed = false;
  for (int k = 0; k < Count(l); ++k) {
    bool base = k < (int)l.trackBase.size() && l.trackBase[k];
    changed |= SetSelected(l, k, k >= lo && k <= hi ? l.trackValue : base);
  }
  return changed;
}

bool SelectRange(ListBox& l, int to, bool keepOthers) {
  l.trackBase = keepOthers ? Selection(l) : std::vector<bool>();
  l.trackValue = true;
  return ApplyRange(l, to);
}

// ---- Items ---------------------------------------------------------------------------------------------

int MeasuredHeight(ListBox& l, int itemId, ULONG_PTR data) {
  MEASUREITEMSTRUCT mis { ODT_LISTBOX,        (UINT)GetWindowLongPtrA(l.hwnd, GWL_ID),
                          (UINT)itemId,       (UINT)ClientSize(l).cx,
                          (UINT)l.itemHeight, data };
  if (HWND parent = GetParent(l.hwnd)) SendMessageA(parent, WM_MEASUREITEM, mis.CtlID, (LPARAM)&mis);
  return std::clamp((int)mis.itemHeight, 1, 255);
}

LRESULT InsertItem(ListBox& l, int index, LPARAM value, bool sorted) {
  Item it;
  if (HasStrings(l))
    it.text = value ? (const char*)value : "";
  else
    it.data = (ULONG_PTR)value;
  if (sorted && HasStrings(l))  // after the items it equals
    index =
        (int)l.items.UpperBound(it.text, [](const std::string& s, const Item& i) { return SortsBefore(s, i.text); });
  bool wasEmpty = l.items.Empty();
  l.items.Insert((size_t)index, it);
  if (l.curSel >= index) ++l.curSel;
  if (!wasEmpty && l.caret >= index) ++l.caret;
  if (!wasEmpty && l.anchor >= index) ++l.anchor;
  if (Variable(l)) {
    l.items[index].height = MeasuredHeight(l, index, it.data);
    if (l.dead) return index;
  }
  ContentChanged(l);
  return index;
}

LRESULT DeleteItem(ListBox& l, WPARAM which) {
  if (!Valid(l, which)) return LB_ERR;
  int i = (int)which;
  l.items.Erase((size_t)i);
  int last = std::max(0, Count(l) - 1);
  if (l.curSel == i) l.curSel = -1;
  if (l.curSel > i) --l.curSel;
  if (l.caret > i) --l.caret;
  if (l.anchor > i) --l.anchor;
  l.caret = std::min(l.caret, last);
  l.anchor = std::min(l.anchor, last);
  ContentChanged(l);
  return Count(l);
}

void ResetContent(ListBox& l) {
  l.items.Clear();
  l.curSel = -1;
  l.caret = l.anchor = l.top = l.hOffset = 0;
  ContentChanged(l);
}

LRESULT GetItemText(const ListBox& l, WPARAM i, LPARAM buf) {
  if (!Valid(l, i) || !buf) return LB_ERR;
  const Item& it = l.items[i];
  if (!HasStrings(l)) {
    memcpy((void*)buf, &it.data, sizeof it.data);
    return sizeof it.data;
  }
  memcpy((char*)buf, it.text.c_str(), it.text.size() + 1);
  return (LRESULT)it.text.size();
}

LRESULT SetItemHeight(ListBox& l, WPARAM i, LPARAM value) {
  int h = (int)(short)LOWORD(value);
  if (h <= 0 || h > 255) return LB_ERR;
  if (Variable(l)) {
    if (!Valid(l, i)) return LB_ERR;
    l.items[i].height = h;
  } else {
    l.itemHeight = h;
  }
  ContentChanged(l);
  return LB_OKAY;
}

LRESULT GetItemHeight(const ListBox& l, WPARAM i) {
  if (!Variable(l)) return l.itemHeight;
  return Valid(l, i) ? l.items[i].height : LB_ERR;
}

// ---- Selection messages -----------------------------------------------------------------------------------

LRESULT SetCurSelMessage(ListBox& l, WPARAM which) {
  if (MultiSel(l)) return LB_ERR;
  int i = (int)which;
  if (i == -1) {
    SetCurSel(l, -1);
    return LB_ERR;  // as documented: −1 deselects and still answers LB_ERR
  }
  if (!Valid(l, which)) return LB_ERR;
  SetCurSel(l, i);
  MoveCaret(l, i);
  EnsureVisible(l, i);
  return i;
}

LRESULT SetSelMessage(ListBox& l, WPARAM on, LPARAM which) {
  if (!MultiSel(l)) return LB_ERR;
  if ((int)which == -1) {
    for (int k = 0; k < Count(l); ++k) SetSelected(l, k, on != 0);
    return LB_OKAY;
  }
  if (!Valid(l, (WPARAM)which)) return LB_ERR;
  SetSelected(l, (int)which, on != 0);
  return LB_OKAY;
}

LRESULT SelCount(const ListBox& l) {
  if (!MultiSel(l)) return LB_ERR;
  LRESULT n = 0;
  l.items.ForEachFrom(0, [&](const Item& it) {
    n += it.selected ? 1 : 0;
    return true;
  });
  return n;
}

LRESULT SetCaretIndex(ListBox& l, WPARAM which) {
  if (!Valid(l, which)) return LB_ERR;
  MoveCaret(l, (int)which);
  EnsureVisible(l, (int)which);
  return LB_OKAY;
}

LRESULT ItemFromPoint(const ListBox& l, LPARAM at) {
  POINT p { GET_X_LPARAM(at), GET_Y_LPARAM(at) };
  SIZE c = ClientSize(l);
  bool outside = p.x < 0 || p.y < 0 || p.x >= c.cx || p.y >= c.cy;
  int i = NearestItem(l, p);
  return i < 0 ? MAKELRESULT(0, 1) : MAKELRESULT(i, outside ? 1 : 0);
}

// ---- Keyboard ---------------------------------------------------------------------------------------------------

// The caret moved to `to` by a key: the selection follows as the selection style wants.
void CaretKey(ListBox& l, int to, bool shift, bool ctrl) {
  bool changed = false;
  MoveCaret(l, to);
  if (!MultiSel(l)) {
    changed = SetCurSel(l, to);
  } else if (Extended(l)) {
    if (shift) {
      changed = SelectRange(l, to, ctrl);
    } else if (!ctrl) {
      l.anchor = to;
      changed = SelectRange(l, to, false);
    }
  }
  EnsureVisible(l, to);
  if (changed && !l.dead) Notify(l, LBN_SELCHANGE);
}

void SpaceKey(ListBox& l, bool shift, bool ctrl) {
  int c = l.caret;
  bool changed;
  if (!Extended(l)) {
    changed = SetSelected(l, c, !l.items[c].selected);
  } else if (shift) {
    changed = SelectRange(l, c, ctrl);
  } else if (ctrl) {
    l.anchor = c;
    changed = SetSelected(l, c, !l.items[c].selected);
  } else {
    l.anchor = c;
    changed = SelectRange(l, c, false);
  }
  if (changed) Notify(l, LBN_SELCHANGE);
}

void KeyDown(ListBox& l, UINT vk) {
  int n = Count(l);
  if (n == 0) return;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int c = std::clamp(l.caret, 0, n - 1);
  bool columns = MultiColumn(l);
  int side = columns ? PerColumn(l) : 1;
  int page = columns ? PerColumn(l) * VisibleColumns(l) : std::max(1, RowsFrom(l, l.top) - 1);
  // In a single-selection list with nothing selected yet, the first arrow selects the caret's item.
  int step = !MultiSel(l) && l.curSel < 0 ? 0 : 1;
  int to;
  switch (vk) {
    case VK_UP:
      to = c - step;
      break;
    case VK_DOWN:
      to = c + step;
      break;
    case VK_LEFT:
      to = c - step * side;
      break;
    case VK_RIGHT:
      to = c + step * side;
      break;
    case VK_PRIOR:
      to = c - page;
      break;
    case VK_NEXT:
      to = c + page;
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = n - 1;
      break;
    case VK_SPACE:
      if (MultiSel(l)) SpaceKey(l, shift, ctrl);
      return;
    default:
      return;
  }
  CaretKey(l, std::clamp(to, 0, n - 1), shift, ctrl);
}

// A typed character moves to the next item whose text begins with what was typed in a row (a character
// after a pause starts again, after the caret; a longer text is tried from the caret on).
void CharKey(ListBox& l, WPARAM ch) {
  const int n = Count(l);
  if (ch < ' ' || ch == 127 || n == 0 || !HasStrings(l)) return;
  const TypeAhead::Step step = l.typed.Add((char)ch, GetTickCount());
  if (step == TypeAhead::kHeld) return;
  const int from = std::clamp(l.caret, 0, n - 1) + (step == TypeAhead::kFresh ? 1 : 0);
  for (int k = 0; k < n; ++k) {
    const int i = (from + k) % n;
    if (!TypeAhead::Starts(l.items[i].text, l.typed.typed)) continue;
    CaretKey(l, i, false, false);
    return;
  }
}

// ---- Mouse --------------------------------------------------------------------------------------------------

// A press on item i: single lists select it, multiple lists toggle it, extended lists start a range.
void Press(ListBox& l, int i, WPARAM keys) {
  MoveCaret(l, i);
  if (!MultiSel(l)) {
    SetCurSel(l, i);
    return;
  }
  if (!Extended(l)) {
    SetSelected(l, i, !l.items[i].selected);
    return;
  }
  bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
  l.trackBase = ctrl ? Selection(l) : std::vector<bool>();
  if (!shift) l.anchor = i;
  l.trackValue = ctrl && !shift ? !l.items[i].selected : true;
  ApplyRange(l, i);
}

void ButtonDown(ListBox& l, POINT p, WPARAM keys) {
  if (GetFocus() != l.hwnd) {
    SetFocus(l.hwnd);
    if (l.dead) return;
  }
  int i = ItemAt(l, p);
  l.tracking = true;
  l.pressedOnItem = i >= 0;
  SetCapture(l.hwnd);
  if (i >= 0) Press(l, i, keys);
}

// Dragging: outside the window the list scrolls a step toward the pointer; the selection follows.
void MouseMove(ListBox& l, POINT p) {
  if (!l.tracking || !l.pressedOnItem || GetCapture() != l.hwnd || Count(l) == 0) return;
  SIZE c = ClientSize(l);
  if (MultiColumn(l)) {
    if (p.x < 0) SetTop(l, l.top - PerColumn(l));
    if (p.x >= c.cx) SetTop(l, l.top + PerColumn(l));
  } else {
    if (p.y < 0) SetTop(l, l.top - 1);
    if (p.y >= c.cy) SetTop(l, l.top + 1);
  }
  int i = NearestItem(l, p);
  if (i == l.caret || (MultiSel(l) && !Extended(l))) return;
  MoveCaret(l, i);
  if (Extended(l))
    ApplyRange(l, i);
  else
    SetCurSel(l, i);
  EnsureVisible(l, i);
}

void ButtonUp(ListBox& l) {
  if (!l.tracking) return;
  l.tracking = false;
  if (GetCapture() == l.hwnd) ReleaseCapture();
  // A click reports the selection even when it stays the same, as the class library's Click expects.
  if (l.pressedOnItem) Notify(l, LBN_SELCHANGE);
}

void Wheel(ListBox& l, WPARAM wParam) {
  int notches = WheelNotches(l.wheelRest, wParam);
  if (notches == 0) return;
  if (MultiColumn(l)) {
    SetTop(l, l.top - notches * PerColumn(l));
    return;
  }
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  int step = std::min((int)lines, RowsFrom(l, l.top));
  SetTop(l, l.top - notches * step);  // away from the user scrolls up
}

void VScroll(ListBox& l, WPARAM wParam, LPARAM lParam) {
  if (MultiColumn(l)) return;
  int page = std::max(1, RowsFrom(l, l.top) - 1);
  SetTop(l, ScrollTarget(wParam, lParam, l.top, 1, page, MaxTop(l)));
}

void HScroll(ListBox& l, WPARAM wParam, LPARAM lParam) {
  if (MultiColumn(l)) {
    int per = PerColumn(l), col = l.top / per;
    int to = ScrollTarget(wParam, lParam, col, 1, VisibleColumns(l), MaxTop(l) / per);
    SetTop(l, to * per);
    return;
  }
  int width = ClientSize(l).cx;
  SetHOffset(l, ScrollTarget(wParam, lParam, l.hOffset, l.charWidth, width, l.hExtent - width));
}

// ---- Painting ---------------------------------------------------------------------------------------------

void DrawItem(ListBox& l, HDC dc, int i, const RECT& r, HBRUSH brush, COLORREF textColor) {
  bool selected = IsSelected(l, i), enabled = IsWindowEnabled(l.hwnd);
  const Item& it = l.items[i];
  if (OwnerDraw(l)) {
    UINT state =
        (selected ? ODS_SELECTED : 0) | (l.focused && i == l.caret ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    UINT id = (UINT)GetWindowLongPtrA(l.hwnd, GWL_ID);
    DRAWITEMSTRUCT dis { ODT_LISTBOX, id, (UINT)i, ODA_DRAWENTIRE, state, l.hwnd, dc, r, it.data };
    int saved = SaveDC(dc);
    if (HWND parent = GetParent(l.hwnd)) SendMessageA(parent, WM_DRAWITEM, id, (LPARAM)&dis);
    RestoreDC(dc, saved);
    return;
  }
  if (selected) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    FillUnlessNull(dc, r, brush);
    SetTextColor(dc, enabled ? textColor : GetSysColor(COLOR_GRAYTEXT));
  }
  ExtTextOutA(dc, r.left + 2, r.top, ETO_CLIPPED, &r, it.text.data(), (UINT)it.text.size(), nullptr);
}

// Items only: the space around them belongs to WM_ERASEBKGND.
void Paint(ListBox& l, HDC dc, const RECT& area) {
  int saved = SaveDC(dc);
  HBRUSH brush = AskColours(l.hwnd, dc, WM_CTLCOLORLISTBOX);
  COLORREF textColor = GetTextColor(dc);
  SelectObject(dc, FontOrDefault(l.font));
  SetBkMode(dc, TRANSPARENT);
  SIZE c = ClientSize(l);
  for (int i = l.top; i < Count(l) && !l.dead; ++i) {
    RECT r = ItemRect(l, i);
    if (r.top >= c.cy && !MultiColumn(l)) break;
    if (r.left >= c.cx) break;
    if (r.right <= area.left || r.left >= area.right || r.bottom <= area.top || r.top >= area.bottom) continue;
    DrawItem(l, dc, i, r, brush, textColor);
  }
  if (!l.dead && l.focused && !OwnerDraw(l) && l.caret < Count(l)) {
    RECT r = ItemRect(l, l.caret);
    DrawFocusRect(dc, &r);
  }
  RestoreDC(dc, saved);
}

LRESULT EraseBackground(ListBox& l, HDC dc) {
  int saved = SaveDC(dc);
  HBRUSH brush = AskColours(l.hwnd, dc, WM_CTLCOLORLISTBOX);
  RECT client {};
  GetClientRect(l.hwnd, &client);
  FillUnlessNull(dc, client, brush);
  RestoreDC(dc, saved);
  return 1;
}

// ---- Creation and fonts --------------------------------------------------------------------------------------

void TakeFontMetrics(ListBox& l) {
  TEXTMETRICA tm = MetricsOf(l.font);
  l.charWidth = std::max(1, (int)tm.tmAveCharWidth);
  if (!OwnerDraw(l)) l.itemHeight = std::clamp((int)tm.tmHeight, 1, 255);
}

void Created(ListBox& l) {
  TEXTMETRICA tm = MetricsOf(l.font);
  l.charWidth = std::max(1, (int)tm.tmAveCharWidth);
  l.itemHeight = std::clamp((int)tm.tmHeight, 1, 255);
  if ((StyleOf(l) & LBS_OWNERDRAWFIXED) && !Variable(l)) l.itemHeight = MeasuredHeight(l, 0, 0);
  if (!l.dead) SyncBars(l);
}

POINT PointOf(LPARAM lParam) { return POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }; }

LRESULT NcDestroy(ListBox& l, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = l.hwnd;
  Lists().Retire(hwnd);
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

// WM_PAINT, into the DC in wParam when there is one.
void PaintMessage(ListBox& l, WPARAM wParam) {
  AnswerPaint(l.hwnd, wParam, RECT { 0, 0, 1 << 20, 1 << 20 }, [&](HDC dc, const RECT& area) { Paint(l, dc, area); });
}

void SetRedraw(ListBox& l, bool on) {
  l.redraw = on;
  if (l.redraw) ContentChanged(l);
}

void SetFont(ListBox& l, HFONT font, bool redraw) {
  l.font = font;
  TakeFontMetrics(l);
  ClampPositions(l);
  if (l.redraw) SyncBars(l);
  if (redraw) Redraw(l);
}

void FocusChanged(ListBox& l, bool focused) {
  l.focused = focused;
  RedrawItem(l, l.caret);
}

// The first click already selected; the second only reports the double click.
void DoubleClick(ListBox& l, POINT p) {
  if (ItemAt(l, p) >= 0) Notify(l, LBN_DBLCLK);
}

// Keyboard and mouse, answered with zero; false for other messages.
bool InputMessage(ListBox& l, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      KeyDown(l, (UINT)wParam);
      break;
    case WM_CHAR:
      CharKey(l, wParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(l, PointOf(lParam), wParam);
      break;
    case WM_LBUTTONDBLCLK:
      DoubleClick(l, PointOf(lParam));
      break;
    case WM_MOUSEMOVE:
      MouseMove(l, PointOf(lParam));
      break;
    case WM_LBUTTONUP:
      ButtonUp(l);
      break;
    case WM_CAPTURECHANGED:
      l.tracking = false;
      break;
    case WM_MOUSEWHEEL:
      Wheel(l, wParam);
      break;
    case WM_VSCROLL:
      VScroll(l, wParam, lParam);
      break;
    case WM_HSCROLL:
      HScroll(l, wParam, lParam);
      break;
    default:
      return false;
  }
  return true;
}

// The other window messages answered with zero; false for the rest.
bool ZeroMessage(ListBox& l, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Created(l);
      break;
    case WM_PAINT:
      PaintMessage(l, wParam);
      break;
    case WM_SIZE:
    case WM_STYLECHANGED:
      ContentChanged(l);
      break;
    case WM_ENABLE:
      Redraw(l);
      break;
    case WM_SETREDRAW:
      SetRedraw(l, wParam != 0);
      break;
    case WM_SETFONT:
      SetFont(l, (HFONT)wParam, LOWORD(lParam) != 0);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(l, msg == WM_SETFOCUS);
      break;
    case LB_RESETCONTENT:
      ResetContent(l);
      break;
    default:
      return InputMessage(l, msg, wParam, lParam);
  }
  return true;
}

LRESULT InsertString(ListBox& l, WPARAM index, LPARAM item) {
  int i = (int)index;
  if (i == -1) i = Count(l);
  if (i < 0 || i > Count(l)) return LB_ERR;
  return InsertItem(l, i, item, false);
}

LRESULT TextLength(ListBox& l, WPARAM i) {
  if (!Valid(l, i)) return LB_ERR;
  return HasStrings(l) ? (LRESULT)l.items[i].text.size() : (LRESULT)sizeof(ULONG_PTR);
}

LRESULT SetItemData(ListBox& l, WPARAM i, LPARAM data) {
  if (!Valid(l, i)) return LB_ERR;
  l.items[i].data = (ULONG_PTR)data;
  return LB_OKAY;
}

LRESULT CurSel(ListBox& l) {
  if (!MultiSel(l)) return l.curSel;
  return Count(l) ? l.caret : LB_ERR;
}

LRESULT SetTopIndex(ListBox& l, WPARAM i) {
  if (!Valid(l, i) && !(i == 0 && Count(l) == 0)) return LB_ERR;
  SetTop(l, (int)i);
  return LB_OKAY;
}

LRESULT GetItemRectMessage(ListBox& l, WPARAM i, RECT* rc) {
  if (!Valid(l, i) || !rc) return LB_ERR;
  *rc = ItemRect(l, (int)i);
  return LB_OKAY;
}

LRESULT SetColumnWidth(ListBox& l, WPARAM width) {
  if ((int)width <= 0) return LB_ERR;
  l.columnWidth = (int)width;
  ContentChanged(l);
  return LB_OKAY;
}

LRESULT SetHorizontalExtent(ListBox& l, WPARAM extent) {
  l.hExtent = std::max(0, (int)extent);
  ContentChanged(l);
  return 0;
}

// Selection, position and geometry; the others go on to the messages answered with zero.
LRESULT PlaceMessage(ListBox& l, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LB_SETCURSEL:
      return SetCurSelMessage(l, wParam);
    case LB_GETCURSEL:
      return CurSel(l);
    case LB_SETSEL:
      return SetSelMessage(l, wParam, lParam);
    case LB_GETSEL:
      return Valid(l, wParam) ? (IsSelected(l, (int)wParam) ? 1 : 0) : LB_ERR;
    case LB_GETSELCOUNT:
      return SelCount(l);
    case LB_SETCARETINDEX:
      return SetCaretIndex(l, wParam);
    case LB_GETCARETINDEX:
      return Count(l) ? l.caret : LB_ERR;
    case LB_SETTOPINDEX:
      return SetTopIndex(l, wParam);
    case LB_GETTOPINDEX:
      return l.top;
    case LB_GETITEMRECT:
      return GetItemRectMessage(l, wParam, (RECT*)lParam);
    case LB_ITEMFROMPOINT:
      return ItemFromPoint(l, lParam);
    case LB_SETITEMHEIGHT:
      return SetItemHeight(l, wParam, lParam);
    case LB_GETITEMHEIGHT:
      return GetItemHeight(l, wParam);
    case LB_SETCOLUMNWIDTH:
      return SetColumnWidth(l, wParam);
    case LB_SETHORIZONTALEXTENT:
      return SetHorizontalExtent(l, wParam);
    case LB_GETHORIZONTALEXTENT:
      return l.hExtent;
    default:
      return ZeroMessage(l, msg, wParam, lParam) ? 0 : DefWindowProcA(l.hwnd, msg, wParam, lParam);
  }
}

LRESULT Handle(ListBox& l, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(l, wParam, lParam);
    case WM_ERASEBKGND:
      return EraseBackground(l, (HDC)wParam);
    case WM_GETFONT:
      return (LRESULT)l.font;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
      return InsertItem(l, Count(l), lParam, (StyleOf(l) & LBS_SORT) != 0);
    case LB_INSERTSTRING:
      return InsertString(l, wParam, lParam);
    case LB_DELETESTRING:
      return DeleteItem(l, wParam);
    case LB_GETCOUNT:
      return Count(l);
    case LB_GETTEXT:
      return GetItemText(l, wParam, lParam);
    case LB_GETTEXTLEN:
      return TextLength(l, wParam);
    case LB_GETITEMDATA:
      return Valid(l, wParam) ? (LRESULT)l.items[wParam].data : LB_ERR;
    case LB_SETITEMDATA:
      return SetItemData(l, wParam, lParam);
    default:
      return PlaceMessage(l, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Lists().Route(hwnd, msg, wParam, lParam, Handle);
}

}  // namespace xj::ctl
