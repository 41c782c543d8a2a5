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

#include "platform/win32/ctl/ListViewPrivate.h"

namespace xj::ctl {

namespace listview {

StateMap<ListView>& Views() {
  static auto* m = new StateMap<ListView>;
  return *m;
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

}  // namespace listview

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return listview::Views().Route(hwnd, msg, wParam, lParam, listview::Handle);
}

}  // namespace xj::ctl
