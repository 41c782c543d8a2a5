// The tree view's hit tests, label editor, keys and mouse.

#include "platform/win32/ctl/TreeViewPrivate.h"

namespace xj::ctl::treeview {

// ---- Hit testing --------------------------------------------------------------------------------------------

Item* HitTest(Tree& t, POINT p, UINT* flagsOut) {
  SIZE c = ClientSize(t);
  UINT flags = 0;
  Item* hit = nullptr;
  if (p.y < 0) flags |= TVHT_ABOVE;
  if (p.y >= c.cy) flags |= TVHT_BELOW;
  if (p.x < 0) flags |= TVHT_TOLEFT;
  if (p.x >= c.cx) flags |= TVHT_TORIGHT;
  if (!flags) {
    int row = t.top + p.y / t.itemHeight;
    if (row >= RowCount(t)) {
      flags = TVHT_NOWHERE;
    } else {
      hit = RowAt(t, row);
      Layout l = LayoutOf(t, hit);
      int x = p.x + t.hOffset;
      int buttonLeft = l.stateX - t.indent;
      if (x >= l.labelRight)
        flags = TVHT_ONITEMRIGHT;
      else if (x >= l.labelX)
        flags = TVHT_ONITEMLABEL;
      else if (x >= l.imageX && t.images)
        flags = TVHT_ONITEMICON;
      else if (x >= l.stateX && l.imageX > l.stateX)
        flags = TVHT_ONITEMSTATEICON;
      else if (x >= buttonLeft && Column(t, hit) > 0 && HasButton(hit) && Has(t, TVS_HASBUTTONS))
        flags = TVHT_ONITEMBUTTON;
      else
        flags = TVHT_ONITEMINDENT;
    }
  }
  if (flagsOut) *flagsOut = flags;
  return hit;
}

LRESULT GetItemRect(Tree& t, WPARAM textOnly, RECT* r) {
  if (!r) return FALSE;
  HTREEITEM h {};
  memcpy(&h, r, sizeof h);  // the item travels in the rectangle's first bytes
  Item* i = ItemOf(t, h);
  if (!i) return FALSE;
  int row = RowOf(t, i);
  if (row < 0) return FALSE;
  *r = RowRect(t, row);
  if (textOnly) {
    Layout l = LayoutOf(t, i);
    r->left = l.labelX - t.hOffset;
    r->right = l.labelRight - t.hOffset;
  }
  return TRUE;
}

LRESULT GetNextItem(Tree& t, WPARAM code, HTREEITEM h) {
  Item* i = ItemOf(t, h);
  auto out = [](const Item* x) { return (LRESULT)x; };
  switch (code) {
    case TVGN_ROOT:
      return out(t.root.first);
    case TVGN_CARET:
      return out(t.caret);
    case TVGN_DROPHILITE:
      return out(t.dropHilite);
    case TVGN_FIRSTVISIBLE:
      return t.top < RowCount(t) ? out(RowAt(t, t.top)) : 0;
    case TVGN_LASTVISIBLE:
      return RowCount(t) == 0 ? 0 : out(RowAt(t, RowCount(t) - 1));
  }
  if (!i) return 0;
  switch (code) {
    case TVGN_NEXT:
      return out(i->next);
    case TVGN_PREVIOUS:
      return out(i->prev);
    case TVGN_PARENT:
      return i->parent == &t.root ? 0 : out(i->parent);
    case TVGN_CHILD:
      return out(i->first);
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
      int row = RowOf(t, i);
      if (row < 0) return 0;
      row += code == TVGN_NEXTVISIBLE ? 1 : -1;
      return row >= 0 && row < RowCount(t) ? out(RowAt(t, row)) : 0;
    }
  }
  return 0;
}

// ---- Label editing -------------------------------------------------------------------------------------------

void EditEnded(HWND owner, bool cancel);

// Starts editing a label (TVN_BEGINLABELEDIT may refuse); the edit covers it, text selected, focused.
LRESULT EditLabel(Tree& t, Item* i) {
  if (!i || !Has(t, TVS_EDITLABELS)) return 0;
  if (t.edit) EndEdit(t, false);
  if (t.dead || !Alive(t, Handle(i))) return 0;
  EnsureVisible(t, i);
  if (t.dead || !Alive(t, Handle(i))) return 0;
  NMTVDISPINFOA begin {};
  begin.item = Describe(t, i);
  if (Notify(t, begin.hdr, TVN_BEGINLABELEDITA) != 0 || t.dead || !Alive(t, Handle(i))) return 0;
  RECT r {};
  HTREEITEM h = Handle(i);
  memcpy(&r, &h, sizeof h);
  if (!GetItemRect(t, TRUE, &r)) return 0;
  // The editor runs from the label to the view's right edge, so a label typed longer has room; only a
  // text wider than that scrolls.
  RECT client {};
  GetClientRect(t.hwnd, &client);
  int width = std::max((int)(client.right - r.left) + 1, 40);
  RECT over { r.left - 1, r.top, r.left - 1 + width, r.top + t.itemHeight };
  HWND edit = OpenLabelEdit(t.hwnd, over, i->text, t.font, &EditEnded);
  if (!edit || t.dead) return 0;
  t.edit = edit;
  t.editing = i;
  return (LRESULT)edit;
}

// Ends editing: the edit goes, then TVN_ENDLABELEDIT tells the parent the new text (null when
// cancelled); a nonzero answer keeps it as the item's text.
void EndEdit(Tree& t, bool cancel) {
  if (!t.edit || t.endingEdit) return;
  xj::TemporaryChange<bool> ending(t.endingEdit, true);
  HWND edit = t.edit;
  Item* i = t.editing;
  t.edit = nullptr;
  t.editing = nullptr;
  std::string text = CloseLabelEdit(edit);
  if (t.dead || !Alive(t, Handle(i))) return;
  NMTVDISPINFOA nm {};
  nm.item = Describe(t, i);
  nm.item.pszText = cancel ? nullptr : text.data();
  nm.item.cchTextMax = (int)text.size() + 1;
  LRESULT keep = Notify(t, nm.hdr, TVN_ENDLABELEDITA);
  if (keep && !cancel && !t.dead && Alive(t, Handle(i))) {
    TVITEMA it {};
    it.mask = TVIF_TEXT;
    it.hItem = Handle(i);
    it.pszText = text.data();
    SetItem(t, &it);
  }
}

void EditEnded(HWND owner, bool cancel) {
  if (std::shared_ptr<Tree> t = Trees().Find(owner)) EndEdit(*t, cancel);
}

// ---- Keyboard -----------------------------------------------------------------------------------------------------

void KeyDown(Tree& t, UINT vk) {
  if (RowCount(t) == 0) return;
  Item* c = t.caret;
  int row = c ? RowOf(t, c) : -1;
  int page = std::max(1, VisibleCount(t) - 1);
  int last = RowCount(t) - 1;
  int to = -1;
  switch (vk) {
    case VK_UP:
      to = row < 0 ? t.top : row - 1;
      break;
    case VK_DOWN:
      to = row < 0 ? t.top : row + 1;
      break;
    case VK_PRIOR:
      to = row < 0 ? t.top : row - page;
      break;
    case VK_NEXT:
      to = row < 0 ? t.top : row + page;
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = last;
      break;
    case VK_LEFT:
      if (!c) return;
      if (Expanded(c) && HasButton(c))
        Expand(t, c, TVE_COLLAPSE);
      else if (c->parent != &t.root)
        Select(t, c->parent, TVC_BYKEYBOARD);
      return;
    case VK_RIGHT:
      if (!c || !HasButton(c)) return;
      if (!Expanded(c))
        Expand(t, c, TVE_EXPAND);
      else if (c->first)
        Select(t, c->first, TVC_BYKEYBOARD);
      return;
    case VK_ADD:
      if (c) Expand(t, c, TVE_EXPAND);
      return;
    case VK_SUBTRACT:
      if (c) Expand(t, c, TVE_COLLAPSE);
      return;
    case VK_F2:
      if (c) EditLabel(t, c);
      return;
    default:
      return;
  }
  to = std::clamp(to, 0, last);
  Select(t, RowAt(t, to), TVC_BYKEYBOARD);
}

// ---- Mouse ------------------------------------------------------------------------------------------------------

POINT PointOf(LPARAM lParam) { return POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }; }

bool OnRow(const Tree& t, UINT flags) {
  return (flags & TVHT_ONITEM) || (Has(t, TVS_FULLROWSELECT) && (flags & (TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT)));
}

void ButtonDown(Tree& t, POINT p) {
  bool hadFocus = t.focused;
  if (GetFocus() != t.hwnd) {
    if (t.edit) EndEdit(t, false);
    SetFocus(t.hwnd);
    if (t.dead) return;
  }
  UINT flags = 0;
  Item* i = HitTest(t, p, &flags);
  if (!i) return;
  if (flags & TVHT_ONITEMBUTTON) {
    Expand(t, i, TVE_TOGGLE);
    return;
  }
  if (!OnRow(t, flags)) return;
  bool again = hadFocus && i == t.caret;
  Select(t, i, TVC_BYMOUSE);
  if (t.dead) return;
  // A second, slow click on the selected label renames it once the double-click time has passed
  // without a double click.
  if (again && (flags & TVHT_ONITEMLABEL) && Has(t, TVS_EDITLABELS) && t.caret == i) {
    t.clickArmed = i;
    SetTimer(t.hwnd, kEditTimer, GetDoubleClickTime(), nullptr);
  }
}

void DoubleClick(Tree& t, POINT p) {
  KillTimer(t.hwnd, kEditTimer);
  t.clickArmed = nullptr;
  UINT flags = 0;
  Item* i = HitTest(t, p, &flags);
  if (!i) return;
  if ((flags & TVHT_ONITEMBUTTON) || OnRow(t, flags)) {
    if (NotifySimple(t, NM_DBLCLK) != 0 || t.dead || !Alive(t, Handle(i))) return;
    Expand(t, i, TVE_TOGGLE);
  }
}

void Timer(Tree& t, UINT_PTR id) {
  if (id != kEditTimer) return;
  KillTimer(t.hwnd, kEditTimer);
  Item* i = t.clickArmed;
  t.clickArmed = nullptr;
  if (i && i == t.caret && GetFocus() == t.hwnd) EditLabel(t, i);
}

void SetHot(Tree& t, Item* i) {
  if (t.hot == i) return;
  RedrawItem(t, t.hot);
  t.hot = i;
  RedrawItem(t, t.hot);
}

void MouseMove(Tree& t, POINT p) {
  if (!Has(t, TVS_TRACKSELECT)) return;
  UINT flags = 0;
  Item* i = HitTest(t, p, &flags);
  SetHot(t, i && OnRow(t, flags) ? i : nullptr);
}

void Wheel(Tree& t, WPARAM wParam) {
  int notches = WheelNotches(t.wheelRest, wParam);
  if (notches == 0) return;
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  int step = std::max(1, std::min((int)lines, VisibleCount(t)));
  SetTop(t, t.top - notches * step);  // away from the user scrolls up
}

void VScroll(Tree& t, WPARAM wParam, LPARAM lParam) {
  SetTop(t, ScrollTarget(wParam, lParam, t.top, 1, std::max(1, VisibleCount(t)), MaxTop(t)));
}

void HScroll(Tree& t, WPARAM wParam, LPARAM lParam) {
  int width = ClientSize(t).cx;
  SetHOffset(t, ScrollTarget(wParam, lParam, t.hOffset, 8, std::max(1, width), MaxWidth(t) - width));
}

}  // namespace xj::ctl::treeview
