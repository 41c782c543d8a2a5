// The tree view's geometry, its shown rows, and scrolling.

#include "platform/win32/ctl/TreeViewPrivate.h"

namespace xj::ctl::treeview {

// ---- Geometry ---------------------------------------------------------------------------------------------

SIZE ClientSize(const Tree& t) {
  RECT r {};
  GetClientRect(t.hwnd, &r);
  return SIZE { r.right - r.left, r.bottom - r.top };
}

int VisibleCount(const Tree& t) { return std::max(0, (int)ClientSize(t).cy / t.itemHeight); }

SIZE ImageSize(HIMAGELIST list) {
  int cx = 0, cy = 0;
  if (list) ImageList_GetIconSize(list, &cx, &cy);
  return SIZE { cx, cy };
}

int StateIndex(const Item* i) { return (int)((i->state & TVIS_STATEIMAGEMASK) >> 12); }

Geometry GeometryOf(const Tree& t) {
  return Geometry { Has(t, TVS_LINESATROOT) ? 1 : 0, t.indent, t.stateImages ? (int)ImageSize(t.stateImages).cx : 0,
                    t.images ? (int)ImageSize(t.images).cx + 1 : 0 };
}

int Column(const Geometry& g, const Item* i) { return i->level + g.rootColumn; }
int Column(const Tree& t, const Item* i) { return i->level + (Has(t, TVS_LINESATROOT) ? 1 : 0); }

Layout LayoutOf(const Geometry& g, const Item* i) {
  Layout l {};
  l.stateX = Column(g, i) * g.indent;
  l.imageX = l.stateX + (StateIndex(i) > 0 ? g.stateW : 0);
  l.labelX = l.imageX + g.imageW;
  l.labelRight = l.labelX + i->textWidth + 4;
  return l;
}

Layout LayoutOf(const Tree& t, const Item* i) { return LayoutOf(GeometryOf(t), i); }
int Extent(const Tree& t, const Item* i) { return LayoutOf(t, i).labelRight; }

// An item is shown when every ancestor is expanded.
bool IsShown(const Item* i) {
  for (const Item* p = i->parent; p && p->parent; p = p->parent)
    if (!Expanded(p)) return false;
  return true;
}

// Calls f for each shown descendant of an expanded item (the root's: every shown row), without recursion.
template <class F>
void ForEachShownBelow(const Item* i, F f) {
  if (!Expanded(i) && i->parent) return;
  std::vector<const Item*> stack;
  for (const Item* c = i->last; c; c = c->prev) stack.push_back(c);
  while (!stack.empty()) {
    const Item* c = stack.back();
    stack.pop_back();
    f(c);
    if (Expanded(c))
      for (const Item* k = c->last; k; k = k->prev) stack.push_back(k);
  }
}

int ShownBelow(const Item* i) {
  int n = 0;
  ForEachShownBelow(i, [&](const Item*) { ++n; });
  return n;
}

void MeasureText(Tree& t, Item* i) {
  SIZE s {};
  GetTextExtentPoint32A(t.measureDC, i->text.data(), (int)i->text.size(), &s);
  i->textWidth = s.cx;
}

int RowCount(const Tree& t) { return (int)t.rows.Size(); }
int MaxWidth(const Tree& t) { return (int)t.rows.Total().width; }
Item* RowAt(const Tree& t, int row) { return t.rows.At((size_t)row).item; }
int RowOf(const Tree& t, const Item* i) { return i->rowNode >= 0 ? (int)t.rows.IndexOf(i->rowNode) : -1; }

// Puts items in as the rows at `at`, in order, each row with its extent and each item learning its node.
void AddRows(Tree& t, int at, std::vector<Item*> items) {
  const Geometry g = GeometryOf(t);
  std::vector<Row> rows;
  rows.reserve(items.size());
  for (Item* i : items) rows.push_back(Row { i, LayoutOf(g, i).labelRight });
  t.rows.Insert((size_t)at, std::move(rows), [](Row& r, RowTree::Id id) { r.item->rowNode = id; });
}

void RemoveRows(Tree& t, int at, int n) {
  if (n <= 0) return;
  int k = 0;
  t.rows.ForEachFrom((size_t)at, [&](const Row& r) {
    r.item->rowNode = -1;
    return ++k < n;
  });
  t.rows.Erase((size_t)at, (size_t)n);
}

// Takes out the row of an item shown without rows below it.
void RemoveRow(Tree& t, Item* i) {
  t.rows.EraseId(i->rowNode);
  i->rowNode = -1;
}

std::vector<Item*> ShownItemsBelow(const Item* i) {
  std::vector<Item*> items;
  ForEachShownBelow(i, [&](const Item* c) { items.push_back(const_cast<Item*>(c)); });
  return items;
}

// Takes every row again: after a sort, or when what a row's extent depends on changed.
void RebuildRows(Tree& t) {
  RemoveRows(t, 0, RowCount(t));
  AddRows(t, 0, ShownItemsBelow(&t.root));
}

// The last row of an item's branch: the item itself unless it is open with children.
const Item* LastShownOf(const Item* i) {
  while (Expanded(i) && i->last) i = i->last;
  return i;
}

// The row a newly shown item goes in at: after the branch of its previous sibling, else after its parent.
int RowFor(const Tree& t, const Item* i) {
  if (i->prev) return RowOf(t, LastShownOf(i->prev)) + 1;
  return i->parent == &t.root ? 0 : RowOf(t, i->parent) + 1;
}

int MaxTop(const Tree& t) { return std::max(0, RowCount(t) - std::max(1, VisibleCount(t))); }

RECT RowRect(const Tree& t, int row) {
  int y = (row - t.top) * t.itemHeight;
  return RECT { 0, y, ClientSize(t).cx, y + t.itemHeight };
}

// ---- Scroll state and repainting --------------------------------------------------------------------

void Redraw(Tree& t) {
  if (t.redraw) InvalidateRect(t.hwnd, nullptr, TRUE);
}

void RedrawItem(Tree& t, Item* i) {
  if (!i) return;
  if (!t.redraw) return Redraw(t);
  int row = RowOf(t, i);
  if (row < t.top || row > t.top + VisibleCount(t)) return;
  RECT r = RowRect(t, row);
  InvalidateRect(t.hwnd, &r, TRUE);
}

void Clamp(Tree& t) {
  t.top = std::clamp(t.top, 0, MaxTop(t));
  t.hOffset = std::clamp(t.hOffset, 0, std::max(0, MaxWidth(t) - (int)ClientSize(t).cx));
}

// Publishes the scroll state (a bar coming or going changes the client area: a few rounds).
void SyncBars(Tree& t) {
  if (t.syncingBars || !t.redraw) return;
  t.syncingBars = true;
  for (int round = 0; round < 3; ++round) {
    SIZE before = ClientSize(t);
    Clamp(t);
    SCROLLINFO v { sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0 };
    SCROLLINFO h = v;
    int visible = VisibleCount(t);
    if (RowCount(t) > visible) {
      v.nMax = RowCount(t) - 1;
      v.nPage = (UINT)visible;
      v.nPos = t.top;
    }
    if (MaxWidth(t) > before.cx) {
      h.nMax = MaxWidth(t) - 1;
      h.nPage = (UINT)before.cx;
      h.nPos = t.hOffset;
    }
    SetScrollInfo(t.hwnd, SB_VERT, &v, TRUE);
    SetScrollInfo(t.hwnd, SB_HORZ, &h, TRUE);
    if (t.dead) break;
    SIZE after = ClientSize(t);
    if (after.cx == before.cx && after.cy == before.cy) break;
  }
  t.syncingBars = false;
}

void ContentChanged(Tree& t) {
  SyncBars(t);
  Redraw(t);
}

void SetTop(Tree& t, int top) {
  int old = t.top;
  t.top = top;
  Clamp(t);
  if (t.top == old) return;
  if (t.edit) EndEdit(t, false);
  SyncBars(t);
  Redraw(t);
}

void SetHOffset(Tree& t, int x) {
  int old = t.hOffset;
  t.hOffset = x;
  Clamp(t);
  if (t.hOffset == old) return;
  if (t.edit) EndEdit(t, false);
  SyncBars(t);
  Redraw(t);
}

}  // namespace xj::ctl::treeview
