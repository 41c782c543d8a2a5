// The "SysTabControl32" window class: a row (or rows) of tabs along one edge, the TCM_* protocol, the
// selection by clicks and arrow keys with TCN_SELCHANGING / TCN_SELCHANGE to the parent, and the
// classic look in the three styles (tabs, buttons, flat buttons).
//
// Geometry. Tabs are laid out along a strip 2 pixels in from their edge (top, bottom, left with
// TCS_VERTICAL, right with TCS_VERTICAL | TCS_RIGHT); a tab is as long as its caption and image plus
// the padding (or the fixed width TCM_SETITEMSIZE gives) and as thick as the font and image plus the
// padding (or the fixed height). A single-line row that does not fit scrolls: its first visible tab
// is set by WM_HSCROLL (SB_THUMBPOSITION, or SBX_THUMBPOSITION32 with the position in lParam), and a
// child "msctls_updown32" at the row's far end scrolls it for the user; the rectangles of scrolled tabs
// go negative or past the edge. Vertical tabs always wrap into rows. With several rows of tabs the
// rows are justified and the row of the selected tab moves next to the display area; with
// TCS_SCROLLOPPOSITE the rows that came before it go to the opposite side of the display area instead,
// nearest the display the row just before it. TCS_HOTTRACK draws the caption under the mouse in the
// highlight colour.
//
// The display area is the client area less 4 pixels at the left, right and bottom and 6 at the top,
// the tab side instead taking the strip and 4 pixels (top) or 2 (other sides): TCM_ADJUSTRECT
// computes it from a window rectangle or the reverse.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi_imagelist.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/Notify.h"

namespace xj::ctl {

namespace {

enum class Side { Top, Bottom, Left, Right };

struct Tab {
  std::string text;
  int textW { 0 };
  int image { -1 };
  LPARAM param { 0 };
  DWORD state { 0 };
  // Laid out, before scrolling: along the strip and across it (0 at the window's edge).
  int a0 { 0 }, a1 { 0 };
  int row { 0 };
};

struct TabCtl {
  HWND hwnd {};
  bool dead { false };
  std::vector<Tab> tabs;
  HFONT font {};
  HFONT turned {};  // the font a quarter turn round, for vertical tabs
  HIMAGELIST images {};
  int textH { 13 };
  int fixedW { 0 }, fixedH { 0 };  // TCM_SETITEMSIZE; 0: from the contents
  int padX { 6 }, padY { 3 };
  int minW { -1 };
  int curSel { -1 };
  int curFocus { -1 };
  int first { 0 };  // single line: the first visible tab
  int maxFirst { 0 };
  int rows { 1 };
  int selRow { 0 };
  int hot { -1 };  // the tab under the mouse, with TCS_HOTTRACK
  bool focused { false };
  bool redraw { true };
  bool layingOut { false };
  HWND updown {};
  bool updownRemoved { false };
};

StateMap<TabCtl>& Tabs() {
  static auto* m = new StateMap<TabCtl>;
  return *m;
}

DWORD StyleOf(const TabCtl& t) { return (DWORD)GetWindowLongA(t.hwnd, GWL_STYLE); }
bool Buttons(const TabCtl& t) { return (StyleOf(t) & TCS_BUTTONS) != 0; }
bool Flat(const TabCtl& t) { return (StyleOf(t) & (TCS_BUTTONS | TCS_FLATBUTTONS)) == (TCS_BUTTONS | TCS_FLATBUTTONS); }
bool Vertical(const TabCtl& t) { return (StyleOf(t) & TCS_VERTICAL) != 0; }
bool MultiLine(const TabCtl& t) { return Vertical(t) || (StyleOf(t) & TCS_MULTILINE); }
int Count(const TabCtl& t) { return (int)t.tabs.size(); }
bool Valid(const TabCtl& t, WPARAM i) { return (int)i >= 0 && (int)i < Count(t) && i == (WPARAM)(int)i; }

Side SideOf(const TabCtl& t) {
  DWORD s = StyleOf(t);
  if (s & TCS_VERTICAL) return (s & TCS_RIGHT) ? Side::Right : Side::Left;
  return (s & TCS_BOTTOM) ? Side::Bottom : Side::Top;
}

SIZE ClientSize(const TabCtl& t) {
  RECT r {};
  GetClientRect(t.hwnd, &r);
  return SIZE { r.right, r.bottom };
}

int Along(const TabCtl& t) {
  SIZE c = ClientSize(t);
  return Vertical(t) ? c.cy : c.cx;
}

SIZE ImageSize(const TabCtl& t) {
  int w = 0, h = 0;
  if (t.images) ImageList_GetIconSize(t.images, &w, &h);
  return SIZE { w, h };
}
bool HasImage(const TabCtl& t, const Tab& tab) {
  return t.images && tab.image >= 0 && tab.image < ImageList_GetImageCount(t.images);
}

int Thickness(const TabCtl& t) {
  if (t.fixedH > 0) return t.fixedH;
  SIZE img = ImageSize(t);
  return std::max(t.textH, (int)(Vertical(t) ? img.cx : img.cy)) + 2 * t.padY;
}
int RowStep(const TabCtl& t) { return Thickness(t) + (Buttons(t) ? 3 : 0); }
int Gap(const TabCtl& t) { return Buttons(t) ? 3 : 0; }
int Lead(const TabCtl& t) { return Buttons(t) ? 0 : 2; }
// TCS_SCROLLOPPOSITE in effect: tabs (not buttons) in several rows, the rows before the selected one
// on the far side.
bool Opposite(const TabCtl& t) {
  return (StyleOf(t) & TCS_SCROLLOPPOSITE) && !Buttons(t) && MultiLine(t) && t.rows > 1;
}
int OppositeRows(const TabCtl& t) { return Opposite(t) ? t.selRow : 0; }
bool OnOppositeSide(const TabCtl& t, const Tab& tab) { return tab.row < OppositeRows(t); }
// The strip's thickness from the window's edge: the 2-pixel margin and the rows; on the far side, 0
// without rows there.
int Strip(const TabCtl& t) { return 2 + (t.rows - OppositeRows(t)) * RowStep(t) - (Buttons(t) ? 3 : 0); }
int OppositeStrip(const TabCtl& t) { return OppositeRows(t) ? 2 + OppositeRows(t) * RowStep(t) : 0; }

int TabLength(const TabCtl& t, const Tab& tab) {
  if (t.fixedW > 0) return t.fixedW;
  SIZE img = ImageSize(t);
  int len = tab.textW + 2 * t.padX;
  if (HasImage(t, tab)) len += (Vertical(t) ? img.cy : img.cx) + (tab.text.empty() ? 0 : 3);
  return std::max(len, t.minW >= 0 ? t.minW : Thickness(t));
}

// ---- Layout --------------------------------------------------------------------------------------------

void Measure(TabCtl& t, Tab& tab) {
  HDC dc = GetDC(t.hwnd);
  HGDIOBJ old = SelectObject(dc, FontOrDefault(t.font));
  SIZE s {};
  GetTextExtentPoint32A(dc, tab.text.data(), (int)tab.text.size(), &s);
  SelectObject(dc, old);
  ReleaseDC(t.hwnd, dc);
  tab.textW = tab.text.empty() ? 0 : (int)s.cx;
}

int UpDownWidth(const TabCtl& t) { return 2 * Thickness(t); }

// Visible position of the single-line row (pixels the row is shifted back).
int Shift(const TabCtl& t) {
  if (MultiLine(t) || t.first <= 0 || t.first >= Count(t)) return 0;
  return t.tabs[t.first].a0 - Lead(t);
}

void PlaceUpDown(TabCtl& t, bool overflow);

void Layout(TabCtl& t) {
  if (t.layingOut) return;
  xj::TemporaryChange guard(t.layingOut, true);
  int n = Count(t), lead = Lead(t), gap = Gap(t), along = Along(t);
  int limit = std::max(along - lead, lead + 1);
  t.rows = 1;
  int a = lead, row = 0;
  for (Tab& tab : t.tabs) {
    int len = TabLength(t, tab);
    if (MultiLine(t) && a > lead && a + len > limit) {
      ++row;
      a = lead;
    }
    tab.a0 = a;
    tab.a1 = a + len;
    tab.row = row;
    a += len + gap;
  }
  t.rows = n ? row + 1 : 1;
  // Justify the rows of a multi-line control so each reaches the far end.
  if (MultiLine(t) && t.rows > 1 && !Buttons(t) && !(StyleOf(t) & TCS_RAGGEDRIGHT)) {
    for (int i = 0; i < n;) {
      int j = i;
      while (j < n && t.tabs[j].row == t.tabs[i].row) ++j;
      int extra = limit - t.tabs[j - 1].a1, k = j - i, shift = 0;
      if (extra > 0)
        for (int m = i; m < j; ++m) {
          int grow = extra / k + (m == j - 1 ? extra % k : 0);
          t.tabs[m].a0 += shift;
          shift += grow;
          t.tabs[m].a1 += shift;
        }
      i = j;
    }
  }
  t.selRow = Valid(t, (WPARAM)t.curSel) ? t.tabs[t.curSel].row : 0;
  bool overflow = !MultiLine(t) && n > 0 && t.tabs.back().a1 > along;
  t.maxFirst = 0;
  if (overflow) {
    int room = along - UpDownWidth(t);
    while (t.maxFirst < n - 1 && t.tabs.back().a1 - t.tabs[t.maxFirst].a0 + lead > room) ++t.maxFirst;
  }
  t.first = std::clamp(t.first, 0, t.maxFirst);
  PlaceUpDown(t, overflow);
}

// The rows shown from the window's edge inward: with tabs, the selected tab's row comes last, next
// to the display area. On the far side (TCS_SCROLLOPPOSITE) the rows count from that side's edge.
int VisualRow(const TabCtl& t, int row) {
  if (Buttons(t) || t.rows <= 1) return row;
  if (Opposite(t)) return row < t.selRow ? row : row > t.selRow ? row - t.selRow - 1 : t.rows - t.selRow - 1;
  return (row + t.rows - 1 - t.selRow) % t.rows;
}

Side OppositeOf(Side side) {
  switch (side) {
    case Side::Top:
      return Side::Bottom;
    case Side::Bottom:
      return Side::Top;
    case Side::Left:
      return Side::Right;
    case Side::Right:
      break;
  }
  return Side::Left;
}

// The side a tab stands on.
Side SideOf(const TabCtl& t, const Tab& tab) { return OnOppositeSide(t, tab) ? OppositeOf(SideOf(t)) : SideOf(t); }

// Strip coordinates (from the given side's edge) to window coordinates.
RECT ToWindow(const TabCtl& t, Side side, int a0, int a1, int c0, int c1) {
  SIZE c = ClientSize(t);
  switch (side) {
    case Side::Top:
      return RECT { a0, c0, a1, c1 };
    case Side::Bottom:
      return RECT { a0, c.cy - c1, a1, c.cy - c0 };
    case Side::Left:
      return RECT { c0, a0, c1, a1 };
    case Side::Right:
      return RECT { c.cx - c1, a0, c.cx - c0, a1 };
  }
  return RECT {};
}

RECT ItemRect(const TabCtl& t, int i) {
  const Tab& tab = t.tabs[i];
  int shift = Shift(t), c0 = 2 + VisualRow(t, tab.row) * RowStep(t);
  return ToWindow(t, SideOf(t, tab), tab.a0 - shift, tab.a1 - shift, c0, c0 + Thickness(t));
}

// The edge of a rectangle on a side, and which way is inward from it (1 or -1).
LONG RECT::*EdgeOf(Side side, int& inward) {
  inward = side == Side::Top || side == Side::Left ? 1 : -1;
  switch (side) {
    case Side::Top:
      return &RECT::top;
    case Side::Bottom:
      return &RECT::bottom;
    case Side::Left:
      return &RECT::left;
    case Side::Right:
      break;
  }
  return &RECT::right;
}
LONG RECT::*TabEdge(const TabCtl& t, int& inward) { return EdgeOf(SideOf(t), inward); }

// Either side holding tabs gives up its strip and 4 pixels (top) or 2 (other sides).
RECT Adjusted(const TabCtl& t, RECT r, bool larger) {
  int s = larger ? -1 : 1, inward = 0;
  RECT d { r.left + s * 4, r.top + s * 6, r.right - s * 4, r.bottom - s * 4 };
  const Side side = SideOf(t), far = OppositeOf(side);
  LONG RECT::*edge = EdgeOf(side, inward);
  d.*edge = r.*edge + s * inward * (Strip(t) + (side == Side::Top ? 4 : 2));
  if (OppositeRows(t) > 0) {
    edge = EdgeOf(far, inward);
    d.*edge = r.*edge + s * inward * (OppositeStrip(t) + (far == Side::Top ? 4 : 2));
  }
  return d;
}

// ---- Scrolling and the arrows ------------------------------------------------------------------------

bool UpDownAlive(const TabCtl& t) { return t.updown && IsWindow(t.updown) && GetParent(t.updown) == t.hwnd; }

// Arrows someone else destroyed stay away while the row keeps overflowing: a derived control that
// scrolls the tabs with arrows of its own removes ours once and expects them gone.
void PlaceUpDown(TabCtl& t, bool overflow) {
  if (t.updown && !UpDownAlive(t)) {
    t.updown = nullptr;
    t.updownRemoved = true;
  }
  if (!overflow) {
    HWND old = t.updown;
    t.updown = nullptr;
    t.updownRemoved = false;
    if (old) DestroyWindow(old);
    return;
  }
  if (t.updownRemoved) return;
  SIZE c = ClientSize(t);
  int h = Thickness(t), w = UpDownWidth(t);
  int y = SideOf(t) == Side::Bottom ? c.cy - 2 - h : 2;
  if (!t.updown) {
    t.updown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_HORZ, c.cx - w, y, w, h, t.hwnd,
                               (HMENU)(uintptr_t)1, nullptr, nullptr);
    if (t.dead || !t.updown) return;
  } else {
    SetWindowPos(t.updown, nullptr, c.cx - w, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageA(t.updown, UDM_SETRANGE32, 0, t.maxFirst);
  SendMessageA(t.updown, UDM_SETPOS32, 0, t.first);
}

void Redraw(TabCtl& t) {
  if (t.redraw) InvalidateRect(t.hwnd, nullptr, TRUE);
}

// Everything that changes sizes or order: lay out again and repaint.
void Changed(TabCtl& t) {
  Layout(t);
  Redraw(t);
}

void ScrollTo(TabCtl& t, int first) {
  first = std::clamp(first, 0, t.maxFirst);
  if (first == t.first) return;
  t.first = first;
  if (UpDownAlive(t)) SendMessageA(t.updown, UDM_SETPOS32, 0, first);
  Redraw(t);
}

void EnsureVisible(TabCtl& t, int i) {
  if (MultiLine(t) || !Valid(t, (WPARAM)i) || t.maxFirst == 0) return;
  int room = Along(t) - UpDownWidth(t), lead = Lead(t), first = std::min(t.first, i);
  while (first < t.maxFirst && t.tabs[i].a1 - t.tabs[first].a0 + lead > room) ++first;
  ScrollTo(t, first);
}

void HScroll(TabCtl& t, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      ScrollTo(t, HIWORD(wParam));
      break;
    case SBX_THUMBPOSITION32:
      ScrollTo(t, (int)lParam);
      break;
    case SB_LINELEFT:
      ScrollTo(t, t.first - 1);
      break;
    case SB_LINERIGHT:
      ScrollTo(t, t.first + 1);
      break;
  }
}

// ---- Selection -------------------------------------------------------------------------------------

void SetSel(TabCtl& t, int i) {
  t.curSel = i;
  t.curFocus = i;
  Changed(t);
  EnsureVisible(t, i);
}

// A selection the user makes: the parent may refuse it, and hears of it once made.
void SelectByUser(TabCtl& t, int i) {
  if (!Valid(t, (WPARAM)i) || i == t.curSel) return;
  NMHDR hdr {};
  if (NotifyParentOf(t.hwnd, TCN_SELCHANGING, hdr) != 0 || t.dead || !Valid(t, (WPARAM)i)) return;
  SetSel(t, i);
  NotifyParentOf(t.hwnd, TCN_SELCHANGE, hdr);
}

int HitTest(const TabCtl& t, POINT p) {
  for (int i = 0; i < Count(t); ++i) {
    RECT r = ItemRect(t, i);
    if (PtInRect(&r, p)) return i;
  }
  return -1;
}

void SetHot(TabCtl& t, int i) {
  if (!(StyleOf(t) & TCS_HOTTRACK)) i = -1;
  if (i == t.hot) return;
  t.hot = i;
  Redraw(t);
}

void ButtonDown(TabCtl& t, POINT p, WPARAM keys) {
  if (!(StyleOf(t) & TCS_FOCUSNEVER) && GetFocus() != t.hwnd) {
    SetFocus(t.hwnd);
    if (t.dead) return;
  }
  int i = HitTest(t, p);
  if (i < 0) return;
  if (Buttons(t) && (StyleOf(t) & TCS_MULTISELECT) && (keys & MK_CONTROL)) {
    t.tabs[i].state ^= TCIS_BUTTONPRESSED;
    Redraw(t);
    return;
  }
  SelectByUser(t, i);
}

void KeyDown(TabCtl& t, UINT vk) {
  NMTCKEYDOWN kd {};
  kd.wVKey = (WORD)vk;
  NotifyParentOf(t.hwnd, TCN_KEYDOWN, kd.hdr);
  if (t.dead || t.tabs.empty()) return;
  int from = t.curSel < 0 ? 0 : t.curSel, to = from;
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
      to = from - 1;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      to = t.curSel < 0 ? 0 : from + 1;
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = Count(t) - 1;
      break;
    default:
      return;
  }
  SelectByUser(t, std::clamp(to, 0, Count(t) - 1));
}

// ---- Items -------------------------------------------------------------------------------------------------

void Apply(TabCtl& t, Tab& tab, const TCITEMA& item) {
  if (item.mask & TCIF_TEXT) {
    tab.text = item.pszText ? item.pszText : "";
    Measure(t, tab);
  }
  if (item.mask & TCIF_IMAGE) tab.image = item.iImage;
  if (item.mask & TCIF_PARAM) tab.param = item.lParam;
  if (item.mask & TCIF_STATE) tab.state = (tab.state & ~item.dwStateMask) | (item.dwState & item.dwStateMask);
}

LRESULT InsertItem(TabCtl& t, WPARAM where, const TCITEMA* item) {
  if (!item || (int)where < 0) return -1;
  int i = std::min((int)where, Count(t));
  Tab tab;
  Apply(t, tab, *item);
  t.tabs.insert(t.tabs.begin() + i, tab);
  if (Count(t) == 1)
    t.curSel = t.curFocus = 0;  // the first tab comes selected
  else {
    if (t.curSel >= i) ++t.curSel;
    if (t.curFocus >= i) ++t.curFocus;
  }
  Changed(t);
  return i;
}

LRESULT DeleteItem(TabCtl& t, WPARAM which) {
  if (!Valid(t, which)) return FALSE;
  int i = (int)which;
  t.tabs.erase(t.tabs.begin() + i);
  for (int* k : { &t.curSel, &t.curFocus }) {
    if (*k == i)
      *k = -1;
    else if (*k > i)
      --*k;
  }
  Changed(t);
  return TRUE;
}

LRESULT GetItem(const TabCtl& t, WPARAM which, TCITEMA* item) {
  if (!Valid(t, which) || !item) return FALSE;
  const Tab& tab = t.tabs[which];
  if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
    size_t n = std::min(tab.text.size(), (size_t)item->cchTextMax - 1);
    memcpy(item->pszText, tab.text.data(), n);
    item->pszText[n] = '\0';
  }
  if (item->mask & TCIF_IMAGE) item->iImage = tab.image;
  if (item->mask & TCIF_PARAM) item->lParam = tab.param;
  if (item->mask & TCIF_STATE) item->dwState = tab.state & item->dwStateMask;
  return TRUE;
}

// TCM_SETITEMSIZE: each half a signed word; zero or less means "from the contents". Answers the old size.
LRESULT SetItemSize(TabCtl& t, LPARAM size) {
  LRESULT old = MAKELONG((WORD)t.fixedW, (WORD)Thickness(t));
  t.fixedW = std::max(0, (int)(short)LOWORD(size));
  t.fixedH = std::max(0, (int)(short)HIWORD(size));
  Changed(t);
  return old;
}

// ---- Painting --------------------------------------------------------------------------------------------------

// A 1-pixel line in a tab's own coordinates: u along the strip from its leading end, v across it from
// the window's edge.
struct TabPen {
  const TabCtl& t;
  HDC dc;
  RECT r;
  Side side;
  POINT Map(int u, int v) const {
    switch (side) {
      case Side::Top:
        return POINT { r.left + u, r.top + v };
      case Side::Bottom:
        return POINT { r.left + u, r.bottom - 1 - v };
      case Side::Left:
        return POINT { r.left + v, r.top + u };
      case Side::Right:
        return POINT { r.right - 1 - v, r.top + u };
    }
    return POINT {};
  }
  // The pixels from (u0, v0) to (u1, v1), both included.
  void Line(int u0, int v0, int u1, int v1, int colour) const {
    POINT p = Map(u0, v0), q = Map(u1, v1);
    RECT line { std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x) + 1, std::max(p.y, q.y) + 1 };
    FillRect(dc, &line, GetSysColorBrush(colour));
  }
};

// The classic tab outline: rounded outer corners, light leading edge, dark trailing edge.
void DrawTabOutline(const TabCtl& t, HDC dc, const RECT& r, Side side) {
  bool vertical = side == Side::Left || side == Side::Right;
  int len = vertical ? r.bottom - r.top : r.right - r.left, thick = vertical ? r.right - r.left : r.bottom - r.top;
  if (len < 4 || thick < 3) return;
  TabPen pen { t, dc, r, side };
  bool outerLight = side == Side::Top || side == Side::Left;
  pen.Line(1, 1, len - 2, thick - 1, COLOR_BTNFACE);  // the body, its outer corners left out
  pen.Line(2, 0, len - 3, 0, COLOR_BTNFACE);
  pen.Line(0, 2, 0, thick - 1, COLOR_BTNHIGHLIGHT);
  pen.Line(1, 1, 1, 1, COLOR_BTNHIGHLIGHT);
  pen.Line(2, 0, len - 3, 0, outerLight ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
  if (!outerLight) pen.Line(2, 1, len - 3, 1, COLOR_BTNSHADOW);
  pen.Line(len - 2, 1, len - 2, 1, COLOR_3DDKSHADOW);
  pen.Line(len - 2, 2, len - 2, thick - 1, COLOR_BTNSHADOW);
  pen.Line(len - 1, 2, len - 1, thick - 1, COLOR_3DDKSHADOW);
}

// The half-tone of a pressed button: face and highlight in a checkerboard.
void FillPressed(HDC dc, const RECT& r) {
  static const WORD bits[8] = { 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55 };
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
  HBRUSH brush = CreatePatternBrush(pattern);
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  COLORREF oldBk = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &r, brush);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteObject(brush);
  DeleteObject(pattern);
}

// Image and caption centred in the tab; vertical tabs read upward on the left, downward on the right.
void DrawContents(const TabCtl& t, HDC dc, const Tab& tab, const RECT& r, Side side) {
  SIZE img = ImageSize(t);
  bool image = HasImage(t, tab), vertical = side == Side::Left || side == Side::Right;
  int imgAlong = image ? (int)(vertical ? img.cy : img.cx) : 0;
  int gap = image && !tab.text.empty() ? 3 : 0;
  int total = imgAlong + gap + tab.textW;
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const bool hot = t.hot >= 0 && t.hot < Count(t) && &t.tabs[t.hot] == &tab;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!IsWindowEnabled(t.hwnd) ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHT : COLOR_BTNTEXT));
  if (!vertical) {
    int x = cx - total / 2;
    if (image) ImageList_Draw(t.images, tab.image, dc, x, cy - img.cy / 2, ILD_TRANSPARENT);
    SelectObject(dc, FontOrDefault(t.font));
    TextOutA(dc, x + imgAlong + gap, cy - t.textH / 2, tab.text.data(), (int)tab.text.size());
    return;
  }
  SelectObject(dc, t.turned ? t.turned : FontOrDefault(t.font));
  if (side == Side::Left) {  // reading from the bottom up: the image first, at the bottom
    int y = cy + total / 2;
    if (image) ImageList_Draw(t.images, tab.image, dc, cx - img.cx / 2, y - img.cy, ILD_TRANSPARENT);
    TextOutA(dc, cx - t.textH / 2, y - imgAlong - gap, tab.text.data(), (int)tab.text.size());
  } else {
    int y = cy - total / 2;
    if (image) ImageList_Draw(t.images, tab.image, dc, cx - img.cx / 2, y, ILD_TRANSPARENT);
    TextOutA(dc, cx + t.textH / 2, y + imgAlong + gap, tab.text.data(), (int)tab.text.size());
  }
}

void DrawTab(const TabCtl& t, HDC dc, int i) {
  const Tab& tab = t.tabs[i];
  Side side = SideOf(t);
  RECT r = ItemRect(t, i);
  bool selected = i == t.curSel, pressed = selected || (tab.state & TCIS_BUTTONPRESSED);
  if (Buttons(t)) {
    if (pressed) {
      FillPressed(dc, r);
      RECT e = r;
      DrawEdge(dc, &e, Flat(t) ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
      OffsetRect(&r, 1, 1);
    } else {
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      RECT e = r;
      if (!Flat(t)) DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    }
  } else {
    if (selected) {  // larger, and over the frame's edge so it opens into the display area
      bool vertical = side == Side::Left || side == Side::Right;
      if (vertical)
        InflateRect(&r, 0, 2);
      else
        InflateRect(&r, 2, 0);
      InflateRect(&r, vertical ? 2 : 0, vertical ? 0 : 2);
    }
    DrawTabOutline(t, dc, r, SideOf(t, tab));  // captions keep the tab side's turn wherever the tab stands
  }
  DrawContents(t, dc, tab, r, side);
  if (selected && t.focused && !(StyleOf(t) & TCS_FOCUSNEVER)) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

void DrawSeparators(const TabCtl& t, HDC dc) {
  if (!Flat(t) || Vertical(t)) return;
  for (int i = 0; i + 1 < Count(t); ++i) {
    if (t.tabs[i + 1].row != t.tabs[i].row) continue;
    RECT r = ItemRect(t, i);
    RECT line { r.right + 1, r.top + 2, r.right + 2, r.bottom - 2 };
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    OffsetRect(&line, 1, 0);
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
}

void Paint(TabCtl& t, HDC dc) {
  int saved = SaveDC(dc);
  SIZE c = ClientSize(t);
  if (!Buttons(t)) {
    RECT frame { 0, 0, c.cx, c.cy };
    int inward = 0;
    LONG RECT::*edge = TabEdge(t, inward);
    frame.*edge += inward * Strip(t);
    edge = EdgeOf(OppositeOf(SideOf(t)), inward);
    frame.*edge += inward * OppositeStrip(t);
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  RECT client { 0, 0, c.cx, c.cy };
  for (int i = 0; i < Count(t); ++i) {
    if (i == t.curSel) continue;
    RECT r = ItemRect(t, i), common {};
    if (IntersectRect(&common, &r, &client)) DrawTab(t, dc, i);
  }
  if (Valid(t, (WPARAM)t.curSel)) DrawTab(t, dc, t.curSel);
  DrawSeparators(t, dc);
  RestoreDC(dc, saved);
}

// ---- Fonts and creation ----------------------------------------------------------------------------------

void TakeFont(TabCtl& t, HFONT font) {
  t.font = font;
  t.textH = MetricsOf(font).tmHeight;
  if (t.turned) DeleteObject(t.turned);
  LOGFONTA lf {};
  GetObjectA(FontOrDefault(font), sizeof lf, &lf);
  lf.lfEscapement = lf.lfOrientation = SideOf(t) == Side::Right ? 2700 : 900;
  t.turned = CreateFontIndirectA(&lf);
  for (Tab& tab : t.tabs) Measure(t, tab);
}

void Create(TabCtl& t) {
  TakeFont(t, nullptr);
  Layout(t);
}

LRESULT NcDestroy(TabCtl& t, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = t.hwnd;
  if (t.turned) DeleteObject(t.turned);
  t.turned = nullptr;
  Tabs().Retire(hwnd);
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

// WM_PAINT, into the DC in wParam when there is one.
void PaintMessage(TabCtl& t, WPARAM wParam) {
  AnswerPaint(t.hwnd, wParam, RECT {}, [&](HDC dc, const RECT&) { Paint(t, dc); });
}

LRESULT EraseBackground(TabCtl& t, HDC dc) {
  RECT r {};
  GetClientRect(t.hwnd, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

void StyleChanged(TabCtl& t) {
  TakeFont(t, t.font);  // the turn of vertical captions follows the side
  Changed(t);
}

void SetFontMessage(TabCtl& t, HFONT font, bool redraw) {
  TakeFont(t, font);
  Layout(t);
  if (redraw) Redraw(t);
}

void SetRedraw(TabCtl& t, bool on) {
  t.redraw = on;
  if (t.redraw) Changed(t);
}

void FocusChanged(TabCtl& t, bool focused) {
  t.focused = focused;
  Redraw(t);
}

void SetCurFocus(TabCtl& t, WPARAM i) {
  if (!Valid(t, i)) return;
  if (Buttons(t)) {
    t.curFocus = (int)i;
    Redraw(t);
  } else {
    SelectByUser(t, (int)i);
  }
}

void AdjustRect(TabCtl& t, bool larger, RECT* rc) {
  if (rc) *rc = Adjusted(t, *rc, larger);
}

void SetPadding(TabCtl& t, LPARAM padding) {
  t.padX = std::max(0, (int)(short)LOWORD(padding));
  t.padY = std::max(0, (int)(short)HIWORD(padding));
  Changed(t);
}

void DeselectAll(TabCtl& t) {
  for (Tab& tab : t.tabs) tab.state &= ~TCIS_BUTTONPRESSED;
  Redraw(t);
}

// The messages answered with zero; false for the others.
bool ZeroMessage(TabCtl& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Create(t);
      break;
    case WM_PAINT:
      PaintMessage(t, wParam);
      break;
    case WM_SIZE:
      Changed(t);
      break;
    case WM_STYLECHANGED:
      StyleChanged(t);
      break;
    case WM_SETFONT:
      SetFontMessage(t, (HFONT)wParam, LOWORD(lParam) != 0);
      break;
    case WM_SETREDRAW:
      SetRedraw(t, wParam != 0);
      break;
    case WM_ENABLE:
      Redraw(t);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(t, msg == WM_SETFOCUS);
      break;
    case WM_KEYDOWN:
      KeyDown(t, (UINT)wParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(t, POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }, wParam);
      break;
    case WM_MOUSEMOVE:
      SetHot(t, HitTest(t, POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }));
      break;
    case WM_MOUSELEAVE:
      SetHot(t, -1);
      break;
    case WM_HSCROLL:
      HScroll(t, wParam, lParam);
      break;
    case TCM_SETCURFOCUS:
      SetCurFocus(t, wParam);
      break;
    case TCM_ADJUSTRECT:
      AdjustRect(t, wParam != 0, (RECT*)lParam);
      break;
    case TCM_SETPADDING:
      SetPadding(t, lParam);
      break;
    case TCM_DESELECTALL:
      DeselectAll(t);
      break;
    default:
      return false;
  }
  return true;
}

LRESULT DeleteAll(TabCtl& t) {
  t.tabs.clear();
  t.curSel = t.curFocus = -1;
  t.first = 0;
  Changed(t);
  return TRUE;
}

LRESULT SetItem(TabCtl& t, WPARAM i, const TCITEMA* item) {
  if (!Valid(t, i) || !item) return FALSE;
  Apply(t, t.tabs[i], *item);
  Changed(t);
  return TRUE;
}

LRESULT SetCurSel(TabCtl& t, WPARAM i) {
  int old = t.curSel;
  if ((int)i != -1 && !Valid(t, i)) return -1;
  SetSel(t, (int)i);
  return old;
}

LRESULT HitTestMessage(TabCtl& t, TCHITTESTINFO* info) {
  if (!info) return -1;
  int i = HitTest(t, info->pt);
  info->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
  return i;
}

LRESULT GetItemRect(TabCtl& t, WPARAM i, RECT* rc) {
  if (!Valid(t, i) || !rc) return FALSE;
  *rc = ItemRect(t, (int)i);
  return TRUE;
}

LRESULT SetMinTabWidth(TabCtl& t, LPARAM width) {
  int old = t.minW;
  t.minW = std::max(-1, (int)width);
  Changed(t);
  return old;
}

LRESULT SetImageList(TabCtl& t, HIMAGELIST list) {
  HIMAGELIST old = t.images;
  t.images = list;
  Changed(t);
  return (LRESULT)old;
}

// The tabs and their look; the others go on to the messages answered with zero.
LRESULT TabMessage(TabCtl& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TCM_GETITEMCOUNT:
      return Count(t);
    case TCM_INSERTITEMA:
      return InsertItem(t, wParam, (const TCITEMA*)lParam);
    case TCM_DELETEITEM:
      return DeleteItem(t, wParam);
    case TCM_DELETEALLITEMS:
      return DeleteAll(t);
    case TCM_GETITEMA:
      return GetItem(t, wParam, (TCITEMA*)lParam);
    case TCM_SETITEMA:
      return SetItem(t, wParam, (const TCITEMA*)lParam);
    case TCM_GETCURSEL:
      return t.curSel;
    case TCM_SETCURSEL:
      return SetCurSel(t, wParam);
    case TCM_GETCURFOCUS:
      return t.curFocus;
    case TCM_HITTEST:
      return HitTestMessage(t, (TCHITTESTINFO*)lParam);
    case TCM_GETITEMRECT:
      return GetItemRect(t, wParam, (RECT*)lParam);
    case TCM_SETITEMSIZE:
      return SetItemSize(t, lParam);
    case TCM_SETMINTABWIDTH:
      return SetMinTabWidth(t, lParam);
    case TCM_GETROWCOUNT:
      return t.rows;
    case TCM_GETIMAGELIST:
      return (LRESULT)t.images;
    case TCM_SETIMAGELIST:
      return SetImageList(t, (HIMAGELIST)lParam);
    default:
      return ZeroMessage(t, msg, wParam, lParam) ? 0 : DefWindowProcA(t.hwnd, msg, wParam, lParam);
  }
}

LRESULT Handle(TabCtl& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(t, wParam, lParam);
    case WM_ERASEBKGND:
      return EraseBackground(t, (HDC)wParam);
    case WM_GETFONT:
      return (LRESULT)t.font;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      return TabMessage(t, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    Tabs().Create(hwnd);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  std::shared_ptr<TabCtl> t = Tabs().Find(hwnd);
  if (!t) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return Handle(*t, msg, wParam, lParam);
}

}  // namespace xj::ctl
