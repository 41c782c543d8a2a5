// The tree view's items: notices about them, expanding, selecting, inserting, deleting and sorting.

#include "platform/win32/ctl/TreeViewPrivate.h"

namespace xj::ctl::treeview {

// ---- Notices ------------------------------------------------------------------------------------------------

TVITEMA Describe(const Tree& t, const Item* i) {
  TVITEMA it {};
  if (!i) return it;
  it.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  it.hItem = Handle(i);
  it.state = i->state | (i == t.caret ? TVIS_SELECTED : 0);
  it.stateMask = 0xFFFF;
  it.pszText = const_cast<char*>(i->text.c_str());
  it.iImage = i->image;
  it.iSelectedImage = i->selImage;
  it.cChildren = HasButton(i) ? 1 : 0;
  it.lParam = i->param;
  return it;
}

LRESULT Notify(Tree& t, NMHDR& hdr, UINT code) {
  HWND parent = GetParent(t.hwnd);
  if (!parent) return 0;
  hdr.hwndFrom = t.hwnd;
  hdr.idFrom = (UINT_PTR)GetWindowLongPtrA(t.hwnd, GWL_ID);
  hdr.code = code;
  return SendMessageA(parent, WM_NOTIFY, hdr.idFrom, (LPARAM)&hdr);
}

LRESULT NotifyTree(Tree& t, UINT code, UINT action, const Item* oldItem, const Item* newItem) {
  NMTREEVIEWA nm {};
  nm.action = action;
  nm.itemOld = Describe(t, oldItem);
  nm.itemNew = Describe(t, newItem);
  return Notify(t, nm.hdr, code);
}

LRESULT NotifySimple(Tree& t, UINT code) {
  NMHDR hdr {};
  return Notify(t, hdr, code);
}

// ---- Expanding ----------------------------------------------------------------------------------------

bool IsAncestor(const Item* a, const Item* i) {
  for (const Item* p = i ? i->parent : nullptr; p; p = p->parent)
    if (p == a) return true;
  return false;
}

// Expands or collapses with TVN_ITEMEXPANDING (which may refuse) and TVN_ITEMEXPANDED. Collapsing
// over the selection moves it to the collapsed item.
bool Expand(Tree& t, Item* i, UINT code) {
  bool open = Expanded(i);
  bool want = code == TVE_TOGGLE ? !open : code == TVE_EXPAND;
  if (code != TVE_EXPAND && code != TVE_COLLAPSE && code != TVE_TOGGLE) return false;
  if (want == open) return true;
  if (want && !HasButton(i)) return false;
  UINT act = want ? TVE_EXPAND : TVE_COLLAPSE;
  if (NotifyTree(t, TVN_ITEMEXPANDINGA, act, nullptr, i) != 0) return false;
  if (t.dead || !Alive(t, Handle(i)) || Expanded(i) == want) return !t.dead;
  if (!want && t.edit && IsAncestor(i, t.editing)) EndEdit(t, true);
  if (!Alive(t, Handle(i))) return false;
  bool shown = IsShown(i);
  if (want) {
    i->state |= TVIS_EXPANDED;
    if (shown) AddRows(t, RowOf(t, i) + 1, ShownItemsBelow(i));
  } else {
    if (shown) RemoveRows(t, RowOf(t, i) + 1, ShownBelow(i));
    i->state &= ~TVIS_EXPANDED;
  }
  ContentChanged(t);
  if (!want && IsAncestor(i, t.caret)) Select(t, i, TVC_UNKNOWN);
  if (t.dead || !Alive(t, Handle(i))) return !t.dead;
  NotifyTree(t, TVN_ITEMEXPANDEDA, act, nullptr, i);
  return true;
}

// Opens every collapsed ancestor, then scrolls the item's row into view.
void EnsureVisible(Tree& t, Item* i) {
  std::vector<Item*> closed;
  for (Item* p = i->parent; p && p->parent; p = p->parent)
    if (!Expanded(p)) closed.push_back(p);
  for (auto it = closed.rbegin(); it != closed.rend(); ++it) {
    Expand(t, *it, TVE_EXPAND);
    if (t.dead || !Alive(t, Handle(i))) return;
  }
  int row = RowOf(t, i);
  if (row < 0) return;
  int visible = std::max(1, VisibleCount(t));
  if (row < t.top)
    SetTop(t, row);
  else if (row >= t.top + visible)
    SetTop(t, row - visible + 1);
}

// ---- Selection ----------------------------------------------------------------------------------------------

// After a notice: false when the tree or the item went; an old item that went is forgotten.
bool Stays(const Tree& t, const Item* i, Item*& old) {
  if (old && !Alive(t, Handle(old))) old = nullptr;
  return !t.dead && (!i || Alive(t, Handle(i)));
}

// Moves the selection with TVN_SELCHANGING (which may refuse) and TVN_SELCHANGED. With TVS_SINGLEEXPAND
// a user's choice opens the new item and closes the old one unless it leads to the new.
bool Select(Tree& t, Item* i, UINT action) {
  if (i == t.caret) return true;
  Item* old = t.caret;
  if (NotifyTree(t, TVN_SELCHANGINGA, action, old, i) != 0 || !Stays(t, i, old)) return false;
  if (t.edit) EndEdit(t, false);
  if (!Stays(t, i, old)) return false;
  RedrawItem(t, t.caret);
  t.caret = i;
  t.clickArmed = nullptr;
  if (i) EnsureVisible(t, i);
  if (t.dead) return false;
  RedrawItem(t, t.caret);
  bool user = action == TVC_BYMOUSE || action == TVC_BYKEYBOARD;
  if (Stays(t, i, old) && user && Has(t, TVS_SINGLEEXPAND) && t.caret == i && i) {
    if (old && old != i && !IsAncestor(old, i)) Expand(t, old, TVE_COLLAPSE);
    if (!t.dead && Alive(t, Handle(i))) Expand(t, i, TVE_EXPAND);
    if (t.dead) return false;
  }
  if (Stays(t, i, old) && t.caret == i) NotifyTree(t, TVN_SELCHANGEDA, action, old, i);
  return !t.dead;
}

// ---- Items ------------------------------------------------------------------------------------------------

bool SortsBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    unsigned char ux = (unsigned char)x, uy = (unsigned char)y;
    if (ux < 0x80) ux = (unsigned char)tolower(ux);
    if (uy < 0x80) uy = (unsigned char)tolower(uy);
    return ux < uy;
  });
}

// A child put in or changed: its siblings' sorted order holds but for it, unless another one strayed.
void Disturb(Item* parent, const Item* i) {
  Item::Order& o = parent->order;
  if (o.stray && o.stray != i) o.kept = false;
  o.stray = i;
}

void Link(Item* parent, Item* after, Item* i) {
  Disturb(parent, i);
  i->parent = parent;
  if (parent->kids) {
    const size_t at = after ? parent->kids->IndexOf(after->kidNode) + 1 : 0;
    parent->kids->Insert(at, { i }, [](Item* c, SiblingTree::Id id) { c->kidNode = id; });
  }
  i->prev = after;
  i->next = after ? after->next : parent->first;
  if (i->prev)
    i->prev->next = i;
  else
    parent->first = i;
  if (i->next)
    i->next->prev = i;
  else
    parent->last = i;
}

void Unlink(Item* i) {
  Item* parent = i->parent;
  if (parent->order.stray == i) parent->order.stray = nullptr;
  if (parent->kids) {
    parent->kids->EraseId(i->kidNode);
    i->kidNode = -1;
  }
  if (i->prev)
    i->prev->next = i->next;
  else
    parent->first = i->next;
  if (i->next)
    i->next->prev = i->prev;
  else
    parent->last = i->prev;
  i->prev = i->next = nullptr;
}

void ApplyItem(Tree& t, Item* i, const TVITEMA& it) {
  if (i->parent && (it.mask & (TVIF_TEXT | TVIF_PARAM))) Disturb(i->parent, i);
  if (it.mask & TVIF_TEXT) {
    i->text = it.pszText ? it.pszText : "";
    MeasureText(t, i);
    if (i->parent && i->parent->kids && i->parent->kidsByText) i->parent->kids->ModifyId(i->kidNode, [](Item*) {});
  }
  if (it.mask & TVIF_IMAGE) i->image = it.iImage;
  if (it.mask & TVIF_SELECTEDIMAGE) i->selImage = it.iSelectedImage;
  if (it.mask & TVIF_PARAM) i->param = it.lParam;
  if (it.mask & TVIF_CHILDREN) i->children = it.cChildren;
  if (it.mask & TVIF_STATE) {
    UINT keep = TVIS_EXPANDED | TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK;
    UINT mask = it.stateMask & keep;
    i->state = (i->state & ~mask) | (it.state & mask);
  }
}

// The parent's index of its children, made (again, by text, when byText asks for it) on need.
const SiblingTree& Kids(Item* parent, bool byText) {
  if (!parent->kids || (byText && !parent->kidsByText)) {
    std::vector<Item*> kids;
    for (Item* c = parent->first; c; c = c->next) kids.push_back(c);
    parent->kidsByText = byText;
    parent->kids = std::make_unique<SiblingTree>();
    parent->kids->Assign(std::move(kids), [](Item* c, SiblingTree::Id id) { c->kidNode = id; });
  }
  return *parent->kids;
}

// The sibling a sorted insert goes after: the last one the new text does not sort before (none: first).
Item* SortedPlace(Item* parent, const Item* i) {
  const SiblingTree& kids = Kids(parent, true);
  const size_t at = kids.LastWhere([&](const SiblingSums& s) { return !SortsBefore(i->text, s.least->text); },
                                   [&](const Item* x) { return !SortsBefore(i->text, x->text); });
  return at == kids.Size() ? nullptr : kids.At(at);
}

LRESULT InsertItem(Tree& t, const TVINSERTSTRUCTA* ins) {
  if (!ins) return 0;
  Item* parent = ins->hParent == TVI_ROOT || !ins->hParent ? &t.root : ItemOf(t, ins->hParent);
  if (!parent) return 0;
  HTREEITEM where = ins->hInsertAfter;
  Item* after = nullptr;
  auto* i = new Item;
  i->level = parent == &t.root ? 0 : parent->level + 1;
  ApplyItem(t, i, ins->item);
  if (!(ins->item.mask & TVIF_TEXT)) MeasureText(t, i);
  if (where == TVI_FIRST) {
    after = nullptr;
  } else if (where == TVI_SORT) {
    after = SortedPlace(parent, i);
  } else if (where == TVI_LAST || !where) {
    after = parent->last;
  } else {
    after = ItemOf(t, where);
    if (!after || after->parent != parent) {
      delete i;
      return 0;
    }
  }
  Link(parent, after, i);
  t.live.Insert(i);
  ++t.count;
  if (IsShown(i)) AddRows(t, RowFor(t, i), { i });
  ContentChanged(t);
  return (LRESULT)i;
}

// An item and everything below it, children before their parent, without recursion.
void Collect(Item* top, std::vector<Item*>& out) {
  Item* i = top;
  for (;;) {
    while (i->first) i = i->first;
    out.push_back(i);
    while (i != top && !i->next) {
      i = i->parent;
      out.push_back(i);
    }
    if (i == top) return;
    i = i->next;
  }
}

bool Within(const Item* i, const Item* top) { return i && (i == top || IsAncestor(top, i)); }

// Where the selection goes when `gone` (it or an ancestor) is deleted: the next sibling, else the
// previous, else the parent, passing over items being deleted.
Item* Successor(const Tree& t, const Item* gone) {
  for (const Item* g = gone; g && g != &t.root; g = g->parent) {
    for (Item* s = g->next; s; s = s->next)
      if (!s->deleting) return s;
    for (Item* s = g->prev; s; s = s->prev)
      if (!s->deleting) return s;
    if (g->parent != &t.root && !g->parent->deleting) return g->parent;
  }
  return nullptr;
}

// Deletes an item and all below it (TVI_ROOT: every item; null: nothing). The selection moves away first;
// then the items leave the tree, and only then is each announced, so a handler cannot reach one.
bool DeleteItem(Tree& t, HTREEITEM h) {
  Item* top = h == TVI_ROOT ? &t.root : ItemOf(t, h);
  if (!top) return false;
  if (top != &t.root) {
    if (top->deleting) return true;  // a handler asked again while the first request runs
    top->deleting = true;
  }
  if (t.edit && Within(t.editing, top)) EndEdit(t, true);
  if (t.dead) return true;
  if (top != &t.root && !Alive(t, h)) return true;
  if (Within(t.caret, top)) {
    Item* next = Successor(t, top);
    if (!Select(t, next, TVC_UNKNOWN) && !t.dead) t.caret = nullptr;
    if (t.dead) return true;
    if (top != &t.root && !Alive(t, h)) return true;
    if (Within(t.caret, top)) t.caret = nullptr;
  }
  std::vector<Item*> gone;
  if (top == &t.root) {
    for (Item* c = t.root.first; c; c = c->next) Collect(c, gone);
    t.root.first = t.root.last = nullptr;
    t.root.kids.reset();
    t.rows.Assign({});
    t.top = t.hOffset = 0;
  } else {
    Collect(top, gone);
    if (IsShown(top)) {
      const int below = ShownBelow(top);
      if (below == 0)
        RemoveRow(t, top);
      else
        RemoveRows(t, RowOf(t, top), 1 + below);
    }
    Unlink(top);
  }
  for (Item* i : gone) {
    t.live.Erase(i);
    if (t.hot == i) t.hot = nullptr;
    if (t.dropHilite == i) t.dropHilite = nullptr;
    if (t.clickArmed == i) t.clickArmed = nullptr;
    if (t.editing == i) t.editing = nullptr;  // an edit a handler began on the way
  }
  if (t.edit && !t.editing) DestroyWindow(std::exchange(t.edit, nullptr));
  t.count -= (int)gone.size();
  ContentChanged(t);
  HWND hwnd = t.hwnd;
  size_t at = 0;  // a handler that raises leaves none of the items behind
  xj::ScopeExit rest([&] { std::for_each(gone.begin() + (long)at, gone.end(), [](Item* i) { delete i; }); });
  for (; at < gone.size(); ++at) {
    Item* i = gone[at];
    if (!t.dead && IsWindow(hwnd)) {
      NMTREEVIEWA nm {};
      nm.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
      nm.itemOld.hItem = Handle(i);
      nm.itemOld.lParam = i->param;
      Notify(t, nm.hdr, TVN_DELETEITEMA);
    }
    delete i;
  }
  return true;
}

void FreeAll(Tree& t) {
  std::vector<Item*> gone;
  for (Item* c = t.root.first; c; c = c->next) Collect(c, gone);
  for (Item* i : gone) delete i;
  t.root.first = t.root.last = nullptr;
  t.root.kids.reset();
  t.live.Clear();
  t.count = 0;
  t.rows.Assign({});
}

LRESULT GetItem(const Tree& t, TVITEMA* it) {
  if (!it) return FALSE;
  const Item* i = ItemOf(t, it->hItem);
  if (!i) return FALSE;
  if (it->mask & TVIF_TEXT) {
    if (it->pszText && it->cchTextMax > 0) {
      size_t n = std::min(i->text.size(), (size_t)it->cchTextMax - 1);
      memcpy(it->pszText, i->text.data(), n);
      it->pszText[n] = '\0';
    }
  }
  if (it->mask & TVIF_IMAGE) it->iImage = i->image;
  if (it->mask & TVIF_SELECTEDIMAGE) it->iSelectedImage = i->selImage;
  if (it->mask & TVIF_PARAM) it->lParam = i->param;
  if (it->mask & TVIF_CHILDREN) it->cChildren = HasButton(i) ? 1 : 0;
  if (it->mask & TVIF_STATE) it->state = (i->state | (i == t.caret ? TVIS_SELECTED : 0)) & it->stateMask;
  return TRUE;
}

// Changing the expanded bit here opens or closes without notices, as the protocol has it.
LRESULT SetItem(Tree& t, const TVITEMA* it) {
  if (!it) return FALSE;
  Item* i = ItemOf(t, it->hItem);
  if (!i) return FALSE;
  bool shown = IsShown(i);
  bool wasOpen = Expanded(i);
  int below = shown && wasOpen ? ShownBelow(i) : 0;
  ApplyItem(t, i, *it);
  if (shown) {
    if (wasOpen && !Expanded(i))
      RemoveRows(t, RowOf(t, i) + 1, below);
    else if (!wasOpen && Expanded(i))
      AddRows(t, RowOf(t, i) + 1, ShownItemsBelow(i));
    const int extent = Extent(t, i);
    t.rows.ModifyId(i->rowNode, [extent](Row& r) { r.extent = extent; });
  }
  ContentChanged(t);
  return TRUE;
}

// Sorts the children of an item (or the root) with a comparison; recursion sorts every level. A level's
// order changes only once its sort succeeded: a comparison that throws leaves that level as it was.
template <class Less>
void SortChildren(Item* top, bool recurse, Less less, const Item::Order& order) {
  std::vector<Item*> parents { top };
  while (!parents.empty()) {
    Item* parent = parents.back();
    parents.pop_back();
    std::vector<Item*> kids;
    for (Item* c = parent->first; c; c = c->next) kids.push_back(c);
    std::stable_sort(kids.begin(), kids.end(), less);
    parent->first = parent->last = nullptr;
    parent->kids.reset();  // indexed again on need
    for (Item* c : kids) Link(parent, parent->last, c);
    parent->order = order;
    if (recurse)
      for (Item* c : kids)
        if (c->first) parents.push_back(c);
  }
}

LRESULT Sort(Tree& t, Item* parent, bool recurse, const TVSORTCB* cb) {
  if (!parent) return FALSE;
  if (cb)
    SortChildren(
        parent, recurse,
        [cb](const Item* a, const Item* b) { return cb->lpfnCompare(a->param, b->param, cb->lParam) < 0; },
        Item::Order { cb->lpfnCompare, cb->lParam, nullptr, true });
  else
    SortChildren(
        parent, recurse, [](const Item* a, const Item* b) { return SortsBefore(a->text, b->text); }, Item::Order {});
  RebuildRows(t);
  ContentChanged(t);
  return TRUE;
}

// Moves one item among its siblings to where sorting them with the comparison would put it: after
// those that sort before it, before those it sorts before, among its equals where it stands. While the
// others are in that comparison's order this is a walk down the siblings' index, else the level is
// sorted. Comparisons come first, so one that throws changes nothing.
LRESULT PlaceSorted(Tree& t, Item* i, const TVSORTCB* cb) {
  if (!i || !cb || !cb->lpfnCompare) return FALSE;
  Item* parent = i->parent;
  const Item::Order& o = parent->order;
  if (!o.kept || o.compare != cb->lpfnCompare || o.param != cb->lParam || (o.stray && o.stray != i))
    return Sort(t, parent, false, cb);
  auto before = [&](const Item* a, const Item* b) { return cb->lpfnCompare(a->param, b->param, cb->lParam) < 0; };
  // Between its neighbours already (a node appended in order): nothing to look for.
  if ((!i->prev || !before(i, i->prev)) && (!i->next || !before(i->next, i))) {
    parent->order.stray = nullptr;
    return TRUE;
  }
  const SiblingTree& kids = Kids(parent, false);
  const size_t at = kids.IndexOf(i->kidNode);
  auto other = [&](size_t k) { return kids.At(k < at ? k : k + 1); };
  // The index among the others of the first one passing a test that fails for the ones before it, in one
  // walk down; the item itself answers as its next sibling does, which keeps the answers in order.
  auto point = [&](auto test) {
    const size_t found = kids.PartitionPoint([&](Item* const& x) {
      const Item* s = x == i ? i->next : x;
      return !s || test(s);
    });
    return found <= at ? found : found - 1;
  };
  // The first of the others that does not sort before the item, then the first the item sorts before:
  // the same one unless the item has equals, which take a second walk.
  const size_t others = kids.Size() - 1;
  const size_t first = point([&](const Item* s) { return !before(s, i); });
  const size_t past = first == others || before(i, other(first))
                          ? first
                          : std::max(first, point([&](const Item* s) { return before(i, s); }));
  const size_t to = std::clamp(at, first, past);
  parent->order.stray = nullptr;
  if (to == at) return TRUE;
  Item* after = to == 0 ? nullptr : other(to - 1);
  const bool shown = IsShown(i);
  std::vector<Item*> rows;
  if (shown) {
    rows = ShownItemsBelow(i);
    rows.insert(rows.begin(), i);
    if (rows.size() == 1)
      RemoveRow(t, i);
    else
      RemoveRows(t, RowOf(t, i), (int)rows.size());
  }
  Unlink(i);
  Link(parent, after, i);
  parent->order.stray = nullptr;
  if (shown) AddRows(t, RowFor(t, i), std::move(rows));
  ContentChanged(t);
  return TRUE;
}

}  // namespace xj::ctl::treeview
