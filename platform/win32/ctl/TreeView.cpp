// The tree-view window class: items in a tree with text, images, state images and a parameter;
// expanding and collapsing with buttons and lines; one selected item; label editing through an inner
// "EDIT"; sorting; keys, mouse and wheel; and the TVM_* protocol, every notice to the parent as WM_NOTIFY.
// Painting holds the custom-draw conversation of CustomDraw.h (NMTVCUSTOMDRAW, iLevel the item's depth;
// TVCDRF_NOIMAGES leaves an item's images out); an image given as I_IMAGECALLBACK is asked with
// TVN_GETDISPINFOA each time its item is drawn.
//
// Scroll state: SB_VERT 0..rows−1 in items at the top row (page = the items that fit whole), SB_HORZ
// in pixels 0..widest row−1 (page = client width); (0, 0) when nothing scrolls. The state is kept
// whether or not the window has bars.
//
// Cost: the shown rows are kept in order in a tree holding, under each node, how many rows and the widest;
// each shown item knows its node there. An item going in or out, or a branch opening or closing, changes
// only its own rows; a row's index, the row at an index, the row count and the widest row are found in
// logarithmic time, so painting, paging and hit tests touch only what is shown whatever the tree holds.

#include "platform/win32/ctl/TreeViewPrivate.h"

namespace xj::ctl {

namespace treeview {

StateMap<Tree>& Trees() {
  static auto* m = new StateMap<Tree>;
  return *m;
}

DWORD StyleOf(const Tree& t) { return (DWORD)GetWindowLongA(t.hwnd, GWL_STYLE); }
bool Has(const Tree& t, DWORD style) { return (StyleOf(t) & style) != 0; }
HTREEITEM Handle(const Item* i) { return (HTREEITEM)i; }
bool Alive(const Tree& t, HTREEITEM h) { return t.live.Contains(h); }
Item* ItemOf(const Tree& t, HTREEITEM h) { return Alive(t, h) ? (Item*)h : nullptr; }
bool Expanded(const Item* i) { return (i->state & TVIS_EXPANDED) != 0; }
bool HasButton(const Item* i) { return i->first || i->children > 0; }

// ---- Creation and fonts ------------------------------------------------------------------------------------

void TakeMetrics(Tree& t) {
  SelectObject(t.measureDC, FontOrDefault(t.font));
  TEXTMETRICA tm {};
  GetTextMetricsA(t.measureDC, &tm);
  t.fontHeight = tm.tmHeight > 0 ? tm.tmHeight : 16;
  int h = t.fontHeight + 3;
  h = std::max({ h, (int)ImageSize(t.images).cy + 1, (int)ImageSize(t.stateImages).cy + 1 });
  t.itemHeight = t.customItemHeight > 0 ? t.customItemHeight : h;
}

void Remeasure(Tree& t) {
  TakeMetrics(t);
  std::vector<Item*> all;
  for (Item* c = t.root.first; c; c = c->next) Collect(c, all);
  for (Item* i : all) MeasureText(t, i);
  RebuildRows(t);
  ContentChanged(t);
}

LRESULT SetImageList(Tree& t, WPARAM which, HIMAGELIST list) {
  HIMAGELIST& slot = which == TVSIL_STATE ? t.stateImages : t.images;
  HIMAGELIST old = slot;
  slot = list;
  TakeMetrics(t);
  RebuildRows(t);
  ContentChanged(t);
  return (LRESULT)old;
}

void Create(Tree& t) {
  t.measureDC = CreateCompatibleDC(nullptr);
  t.root.state = TVIS_EXPANDED;
  t.root.level = -1;
  TakeMetrics(t);
  SyncBars(t);
}

void Destroy(Tree& t) {
  KillTimer(t.hwnd, kEditTimer);
  if (t.edit) {
    HWND edit = t.edit;
    t.edit = nullptr;
    DestroyWindow(edit);
  }
}

LRESULT NcDestroy(Tree& t, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = t.hwnd;
  FreeAll(t);
  if (t.measureDC) DeleteDC(t.measureDC);
  t.measureDC = nullptr;
  Trees().Retire(hwnd);
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

// WM_PAINT, into the DC in wParam when there is one.
void PaintMessage(Tree& t, WPARAM wParam) {
  AnswerPaint(t.hwnd, wParam, RECT { 0, 0, 1 << 20, 1 << 20 }, [&](HDC dc, const RECT& area) { Paint(t, dc, area); });
}

// After a change that moves every row: lines at the root, the indent.
void Relayout(Tree& t) {
  RebuildRows(t);
  ContentChanged(t);
}

void SetRedraw(Tree& t, bool on) {
  t.redraw = on;
  if (t.redraw) ContentChanged(t);
}

void SetFont(Tree& t, HFONT font) {
  t.font = font;
  Remeasure(t);
}

void FocusChanged(Tree& t, bool focused) {
  t.focused = focused;
  RedrawItem(t, t.caret);
  NotifySimple(t, t.focused ? NM_SETFOCUS : NM_KILLFOCUS);
}

void RightButtonDown(Tree& t) {
  if (GetFocus() != t.hwnd) SetFocus(t.hwnd);
}

void NotifyUnlessDead(Tree& t, UINT code) {
  if (!t.dead) NotifySimple(t, code);
}

// Keyboard and mouse, answered with zero; false for other messages.
bool InputMessage(Tree& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      KeyDown(t, (UINT)wParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(t, PointOf(lParam));
      break;
    case WM_LBUTTONDBLCLK:
      DoubleClick(t, PointOf(lParam));
      break;
    case WM_LBUTTONUP:
      NotifyUnlessDead(t, NM_CLICK);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      RightButtonDown(t);
      break;
    case WM_RBUTTONUP:
      NotifyUnlessDead(t, NM_RCLICK);
      break;
    case WM_MOUSEMOVE:
      MouseMove(t, PointOf(lParam));
      break;
    case WM_MOUSELEAVE:
      SetHot(t, nullptr);
      break;
    case WM_TIMER:
      Timer(t, (UINT_PTR)wParam);
      break;
    case WM_MOUSEWHEEL:
      Wheel(t, wParam);
      break;
    case WM_VSCROLL:
      VScroll(t, wParam, lParam);
      break;
    case WM_HSCROLL:
      HScroll(t, wParam, lParam);
      break;
    default:
      return false;
  }
  return true;
}

// The messages answered with zero; false for the others.
bool ZeroMessage(Tree& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      Create(t);
      break;
    case WM_DESTROY:
      Destroy(t);
      break;
    case WM_PAINT:
      PaintMessage(t, wParam);
      break;
    case WM_STYLECHANGED:
      Relayout(t);
      break;
    case WM_SIZE:
      ContentChanged(t);
      break;
    case WM_ENABLE:
      Redraw(t);
      break;
    case WM_SETREDRAW:
      SetRedraw(t, wParam != 0);
      break;
    case WM_SETFONT:
      SetFont(t, (HFONT)wParam);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FocusChanged(t, msg == WM_SETFOCUS);
      break;
    default:
      return InputMessage(t, msg, wParam, lParam);
  }
  return true;
}

LRESULT ExpandMessage(Tree& t, WPARAM how, HTREEITEM h) {
  Item* i = ItemOf(t, h);
  return i ? Expand(t, i, (UINT)how) : FALSE;
}

LRESULT SetIndent(Tree& t, WPARAM indent) {
  t.indent = std::max(1, (int)indent);
  Relayout(t);
  return 0;
}

// TVM_SELECTITEM: the caret, the drop highlight or the first visible row.
LRESULT SelectItem(Tree& t, WPARAM which, HTREEITEM h) {
  Item* i = ItemOf(t, h);
  if (h && !i) return FALSE;
  if (which == TVGN_CARET) return Select(t, i, TVC_UNKNOWN);
  if (which == TVGN_DROPHILITE) {
    RedrawItem(t, t.dropHilite);
    t.dropHilite = i;
    RedrawItem(t, i);
    return TRUE;
  }
  if (which == TVGN_FIRSTVISIBLE && i) {
    EnsureVisible(t, i);
    if (!t.dead && Alive(t, h)) SetTop(t, RowOf(t, i));
    return TRUE;
  }
  return FALSE;
}

LRESULT EndEditNow(Tree& t, bool cancel) {
  if (!t.edit) return FALSE;
  EndEdit(t, cancel);
  return TRUE;
}

LRESULT HitTestMessage(Tree& t, TVHITTESTINFO* info) {
  if (!info) return 0;
  info->hItem = Handle(HitTest(t, info->pt, &info->flags));
  return (LRESULT)info->hItem;
}

LRESULT SortChildren(Tree& t, bool recurse, HTREEITEM parent) {
  return Sort(t, parent ? ItemOf(t, parent) : &t.root, recurse, nullptr);
}

LRESULT SortChildrenCallback(Tree& t, bool recurse, const TVSORTCB* cb) {
  if (!cb || !cb->lpfnCompare) return FALSE;
  return Sort(t, cb->hParent && cb->hParent != TVI_ROOT ? ItemOf(t, cb->hParent) : &t.root, recurse, cb);
}

LRESULT PlaceSortedMessage(Tree& t, const TVSORTCB* cb) {
  return cb ? PlaceSorted(t, ItemOf(t, cb->hParent), cb) : FALSE;
}

LRESULT EnsureVisibleMessage(Tree& t, HTREEITEM h) {
  Item* i = ItemOf(t, h);
  if (!i) return FALSE;
  EnsureVisible(t, i);
  return TRUE;
}

LRESULT SetItemHeight(Tree& t, WPARAM height) {
  int old = t.itemHeight;
  t.customItemHeight = (int)height > 0 ? (int)height : 0;
  TakeMetrics(t);
  ContentChanged(t);
  return old;
}

LRESULT SetColour(Tree& t, COLORREF& slot, COLORREF colour) {
  COLORREF old = slot;
  slot = colour;
  Redraw(t);
  return (LRESULT)old;
}

// The tree's own messages; the others go on to the window messages.
LRESULT TreeMessage(Tree& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TVM_INSERTITEMA:
      return InsertItem(t, (const TVINSERTSTRUCTA*)lParam);
    case TVM_DELETEITEM:
      return DeleteItem(t, (HTREEITEM)lParam);
    case TVM_EXPAND:
      return ExpandMessage(t, wParam, (HTREEITEM)lParam);
    case TVM_GETITEMRECT:
      return GetItemRect(t, wParam, (RECT*)lParam);
    case TVM_GETCOUNT:
      return t.count;
    case TVM_GETVISIBLECOUNT:
      return VisibleCount(t);
    case TVM_GETINDENT:
      return t.indent;
    case TVM_SETINDENT:
      return SetIndent(t, wParam);
    case TVM_GETIMAGELIST:
      return (LRESULT)(wParam == TVSIL_STATE ? t.stateImages : t.images);
    case TVM_SETIMAGELIST:
      return SetImageList(t, wParam, (HIMAGELIST)lParam);
    case TVM_GETNEXTITEM:
      return GetNextItem(t, wParam, (HTREEITEM)lParam);
    case TVM_SELECTITEM:
      return SelectItem(t, wParam, (HTREEITEM)lParam);
    case TVM_GETITEMA:
      return GetItem(t, (TVITEMA*)lParam);
    case TVM_SETITEMA:
      return SetItem(t, (const TVITEMA*)lParam);
    case TVM_EDITLABELA:
      return EditLabel(t, ItemOf(t, (HTREEITEM)lParam));
    case TVM_GETEDITCONTROL:
      return (LRESULT)t.edit;
    case TVM_ENDEDITLABELNOW:
      return EndEditNow(t, wParam != 0);
    case TVM_HITTEST:
      return HitTestMessage(t, (TVHITTESTINFO*)lParam);
    case TVM_SORTCHILDREN:
      return SortChildren(t, wParam != 0, (HTREEITEM)lParam);
    case TVM_SORTCHILDRENCB:
      return SortChildrenCallback(t, wParam != 0, (const TVSORTCB*)lParam);
    case TVM_PLACESORTEDCB:
      return PlaceSortedMessage(t, (const TVSORTCB*)lParam);
    case TVM_ENSUREVISIBLE:
      return EnsureVisibleMessage(t, (HTREEITEM)lParam);
    case TVM_SETITEMHEIGHT:
      return SetItemHeight(t, wParam);
    case TVM_GETITEMHEIGHT:
      return t.itemHeight;
    case TVM_SETBKCOLOR:
      return SetColour(t, t.bk, (COLORREF)lParam);
    case TVM_SETTEXTCOLOR:
      return SetColour(t, t.fg, (COLORREF)lParam);
    case TVM_GETBKCOLOR:
      return (LRESULT)t.bk;
    case TVM_GETTEXTCOLOR:
      return (LRESULT)t.fg;
    default:
      return ZeroMessage(t, msg, wParam, lParam) ? 0 : DefWindowProcA(t.hwnd, msg, wParam, lParam);
  }
}

LRESULT Handle(Tree& t, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      return NcDestroy(t, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // the rows paint the background
    case WM_GETFONT:
      return (LRESULT)t.font;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
      return TreeMessage(t, msg, wParam, lParam);
  }
}

}  // namespace treeview

LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    treeview::Trees().Create(hwnd);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  std::shared_ptr<treeview::Tree> t = treeview::Trees().Find(hwnd);
  if (!t) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return treeview::Handle(*t, msg, wParam, lParam);
}

}  // namespace xj::ctl
