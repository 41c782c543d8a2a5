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

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/AddressMap.h"
#include "platform/win32/CommCtrl.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinCtl.h"
#include "platform/win32/WinGdi_imagelist.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/CustomDraw.h"
#include "platform/win32/ctl/LabelEdit.h"
#include "platform/win32/ctl/OrderTree.h"

namespace xj::ctl {

namespace {

constexpr UINT_PTR kEditTimer = 42;  // a slow second click on the selected label
constexpr COLORREF kDefaultColour = CLR_NONE;
constexpr int kButtonSize = 9;

struct Item;
struct SiblingSums;
using SiblingTree = OrderTree<Item*, SiblingSums>;

struct Item {
  Item* parent {};
  Item* first {};
  Item* last {};
  Item* prev {};
  Item* next {};
  std::string text;
  int image { 0 };
  int selImage { 0 };
  UINT state { 0 };    // TVIS_EXPANDED and the overlay and state-image masks
  int children { 0 };  // cChildren: 1 shows a button even before children are added
  LPARAM param { 0 };
  int level { 0 };  // 0 for the items at the root
  int textWidth { 0 };
  int rowNode { -1 };  // its node among the rows while it is shown
  // The children indexed for placing one among them, made on need; kidNode is this item's node in its
  // parent's index. Only sorted inserts (TVI_SORT) need it to hold, per subtree, the child whose text
  // sorts first (kidsByText): kept up, that reads the children's texts along every changed path.
  std::unique_ptr<SiblingTree> kids;
  int kidNode { -1 };
  bool kidsByText { false };
  bool deleting { false };
  // The comparison its children were last sorted by, holding but for one child since (stray: moved alone).
  struct Order {
    PFNTVCOMPARE compare {};
    LPARAM param {};
    const Item* stray {};
    bool kept { false };
  } order;
};

bool SortsBefore(const std::string& a, const std::string& b);

// What a child adds to its siblings' index: itself and, in an index by text, the text sorting first.
struct SiblingSums {
  long long count = 0;
  const Item* least {};
  static SiblingSums Of(Item* const& i) { return SiblingSums { 1, i->parent->kidsByText ? i : nullptr }; }
  void Add(const SiblingSums& s) {
    count += s.count;
    if (s.least && (!least || SortsBefore(s.least->text, least->text))) least = s.least;
  }
};

// A shown row: its item, and where its label ends, kept here so that the sums need not visit the item.
struct Row {
  Item* item {};
  int extent { 0 };
};

// What a shown row adds to the sums of the rows: one row, and its extent to the widest.
struct RowSums {
  long long count = 0, width = 0;
  static RowSums Of(const Row& r) { return RowSums { 1, r.extent }; }
  void Add(const RowSums& s) {
    count += s.count;
    width = std::max(width, s.width);
  }
};

using RowTree = OrderTree<Row, RowSums>;

struct Tree {
  HWND hwnd {};
  bool dead { false };
  Item root;
  AddressSet live;
  int count { 0 };
  RowTree rows;
  Item* caret {};
  Item* hot {};
  Item* dropHilite {};
  int top { 0 };
  int hOffset { 0 };
  HFONT font {};
  HDC measureDC {};
  int fontHeight { 13 };
  int itemHeight { 16 };
  int customItemHeight { 0 };
  int indent { 19 };
  HIMAGELIST images {};
  HIMAGELIST stateImages {};
  COLORREF bk { kDefaultColour };
  COLORREF fg { kDefaultColour };
  bool redraw { true };
  bool focused { false };
  bool syncingBars { false };
  int wheelRest { 0 };
  HWND edit {};
  Item* editing {};
  bool endingEdit { false };
  Item* clickArmed {};
};

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

// What every row's layout depends on, read once for a pass over many rows.
struct Geometry {
  int rootColumn, indent, stateW, imageW;
};

Geometry GeometryOf(const Tree& t) {
  return Geometry { Has(t, TVS_LINESATROOT) ? 1 : 0, t.indent, t.stateImages ? (int)ImageSize(t.stateImages).cx : 0,
                    t.images ? (int)ImageSize(t.images).cx + 1 : 0 };
}

int Column(const Geometry& g, const Item* i) { return i->level + g.rootColumn; }
int Column(const Tree& t, const Item* i) { return i->level + (Has(t, TVS_LINESATROOT) ? 1 : 0); }

// Where the parts of an item's row start, in content coordinates (before horizontal scrolling).
struct Layout {
  int stateX, imageX, labelX, labelRight;
};

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

void EndEdit(Tree& t, bool cancel);

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

bool Select(Tree& t, Item* i, UINT action);

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

// ---- Painting ---------------------------------------------------------------------------------------------

COLORREF BkColour(const Tree& t) { return t.bk == kDefaultColour ? GetSysColor(COLOR_WINDOW) : t.bk; }
COLORREF TextColour(const Tree& t) { return t.fg == kDefaultColour ? GetSysColor(COLOR_WINDOWTEXT) : t.fg; }

void Fill(HDC dc, int l, int tp, int r, int b, COLORREF c) {
  SetBkColor(dc, c);
  RECT rc { l, tp, r, b };
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

// Dotted lines: every other pixel, on even sums of the coordinates so that segments meet in step.
void DottedV(HDC dc, int x, int y0, int y1, COLORREF c) {
  for (int y = y0 + ((x + y0) & 1); y < y1; y += 2) SetPixelV(dc, x, y, c);
}
void DottedH(HDC dc, int x0, int x1, int y, COLORREF c) {
  for (int x = x0 + ((x0 + y) & 1); x < x1; x += 2) SetPixelV(dc, x, y, c);
}

void DrawButton(HDC dc, int cx, int cy, bool open, COLORREF bk) {
  int l = cx - kButtonSize / 2, tp = cy - kButtonSize / 2;
  COLORREF frame = GetSysColor(COLOR_BTNSHADOW), ink = GetSysColor(COLOR_WINDOWTEXT);
  Fill(dc, l, tp, l + kButtonSize, tp + kButtonSize, frame);
  Fill(dc, l + 1, tp + 1, l + kButtonSize - 1, tp + kButtonSize - 1, bk);
  Fill(dc, l + 2, cy, l + kButtonSize - 2, cy + 1, ink);
  if (!open) Fill(dc, cx, tp + 2, cx + 1, tp + kButtonSize - 2, ink);
}

bool DrawnSelected(const Tree& t, const Item* i) {
  return (i == t.caret && (t.focused || Has(t, TVS_SHOWSELALWAYS))) || i == t.dropHilite;
}

// How a row's label is drawn: its ink, the colour behind it (filled when the row is highlighted or the
// parent gave colours: under the label, or across the row with TVS_FULLROWSELECT), and whether its images
// show.
struct RowLook {
  COLORREF ink;
  COLORREF back;
  bool fillBack;
  bool images { true };
};

RowLook DefaultLook(const Tree& t, const Item* i) {
  const bool selected = DrawnSelected(t, i), strong = t.focused || i == t.dropHilite;
  RowLook look { IsWindowEnabled(t.hwnd) ? TextColour(t) : GetSysColor(COLOR_GRAYTEXT), BkColour(t), selected };
  if (selected) {
    look.back = strong ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE);
    if (strong) look.ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
  } else if (i == t.hot) {
    look.ink = GetSysColor(COLOR_HIGHLIGHT);
  }
  return look;
}

// The image an item shows now: its own, or the parent's answer for an I_IMAGECALLBACK (the parent may
// change the tree meanwhile).
int ImageOf(Tree& t, const Item* i) {
  const bool sel = i == t.caret;
  const int index = sel ? i->selImage : i->image;
  if (index != I_IMAGECALLBACK) return index;
  NMTVDISPINFOA info {};
  info.item.mask = sel ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
  info.item.hItem = Handle(i);
  info.item.state = i->state | (sel ? TVIS_SELECTED : 0);
  info.item.lParam = i->param;
  info.item.iImage = info.item.iSelectedImage = I_IMAGENONE;
  Notify(t, info.hdr, TVN_GETDISPINFOA);
  return sel ? info.item.iSelectedImage : info.item.iImage;
}

void DrawLines(const Tree& t, HDC dc, const Item* i, int y, int stateX) {
  const int ih = t.itemHeight, mid = y + ih / 2, shift = -t.hOffset, col = Column(t, i);
  const COLORREF lines = GetSysColor(COLOR_GRAYTEXT);
  if (col > 0) {
    int cx = (col - 1) * t.indent + t.indent / 2 + shift;
    bool firstOfAll = i->parent == &t.root && !i->prev;
    DottedH(dc, cx, stateX + shift - 1, mid, lines);
    DottedV(dc, cx, firstOfAll ? mid : y, i->next ? y + ih : mid + 1, lines);
  }
  int c = col - 1;
  for (const Item* a = i->parent; a && a != &t.root; a = a->parent) {
    --c;
    if (a->next && c >= 0) DottedV(dc, c * t.indent + t.indent / 2 + shift, y, y + ih, lines);
  }
}

// The state image and the image; false when asking for the image took the item or the tree away.
bool DrawImages(Tree& t, HDC dc, const Item* i, int y, const Layout& l) {
  const int ih = t.itemHeight, shift = -t.hOffset;
  if (t.stateImages && StateIndex(i) > 0)
    ImageList_Draw(t.stateImages, StateIndex(i), dc, l.stateX + shift, y + (ih - ImageSize(t.stateImages).cy) / 2,
                   ILD_NORMAL);
  if (!t.images) return true;
  const int index = ImageOf(t, i);
  if (t.dead || !Alive(t, Handle(i))) return false;
  if (index >= 0)
    ImageList_Draw(t.images, index, dc, l.imageX + shift, y + (ih - ImageSize(t.images).cy) / 2,
                   ILD_NORMAL | (i->state & TVIS_OVERLAYMASK));
  return true;
}

void DrawRow(Tree& t, HDC dc, Item* i, int y, int clientW, const RowLook& look) {
  int ih = t.itemHeight, mid = y + ih / 2;
  Layout l = LayoutOf(t, i);
  int shift = -t.hOffset;
  int col = Column(t, i);
  bool fullRow = Has(t, TVS_FULLROWSELECT);
  if (look.fillBack && fullRow) Fill(dc, 0, y, clientW, y + ih, look.back);
  if (Has(t, TVS_HASLINES) && !fullRow) DrawLines(t, dc, i, y, l.stateX);
  if (Has(t, TVS_HASBUTTONS) && HasButton(i) && col > 0)
    DrawButton(dc, (col - 1) * t.indent + t.indent / 2 + shift, mid, Expanded(i), BkColour(t));
  if (look.images && !DrawImages(t, dc, i, y, l)) return;
  RECT label { l.labelX + shift, y, l.labelRight + shift, y + ih };
  if (look.fillBack && !fullRow) Fill(dc, label.left, y, label.right, y + ih, look.back);
  SetTextColor(dc, look.ink);
  SetBkMode(dc, TRANSPARENT);
  int ty = y + (ih - t.fontHeight) / 2;
  ExtTextOutA(dc, label.left + 2, ty, ETO_CLIPPED, &label, i->text.data(), (UINT)i->text.size(), nullptr);
  if (i == t.hot && !DrawnSelected(t, i))
    Fill(dc, label.left + 2, ty + t.fontHeight - 1, label.right - 2, ty + t.fontHeight, look.ink);
  if (i == t.caret && t.focused && !t.edit) {
    RECT focus = fullRow ? RECT { 0, y, clientW, y + ih } : label;
    DrawFocusRect(dc, &focus);
  }
  SetBkMode(dc, OPAQUE);
}

UINT DrawState(const Tree& t, const Item* i) {
  return (DrawnSelected(t, i) ? CDIS_SELECTED : 0) | (i == t.caret && t.focused ? CDIS_FOCUS : 0) |
         (i == t.hot ? CDIS_HOT : 0) | (IsWindowEnabled(t.hwnd) ? 0 : CDIS_DISABLED);
}

// A row, and its turn with the parent when the parent asked for items.
void PaintRow(Tree& t, CustomDraw<NMTVCUSTOMDRAW>& cd, Item* i, int y, int clientW) {
  RowLook look = DefaultLook(t, i);
  if (!cd.ItemsWanted()) return DrawRow(t, cd.DC(), i, y, clientW, look);
  NMTVCUSTOMDRAW nm = cd.ItemNotice((DWORD_PTR)Handle(i), DrawState(t, i), i->param,
                                    RECT { 0, y, clientW, y + t.itemHeight }, look.ink, look.back);
  nm.iLevel = i->level;
  ItemTurn<NMTVCUSTOMDRAW> turn(cd, nm);
  if (t.dead || !Alive(t, Handle(i))) return;
  if (turn.Draws()) {
    if (turn.NewColours()) look = RowLook { turn.Text(), turn.Back(), true };
    look.images = !(turn.Answer() & TVCDRF_NOIMAGES);
    DrawRow(t, cd.DC(), i, y, clientW, look);
    if (t.dead || !Alive(t, Handle(i))) return;
  }
  turn.Finish();
}

void PaintRows(Tree& t, CustomDraw<NMTVCUSTOMDRAW>& cd, const RECT& r, int clientW) {
  int first = t.top + r.top / t.itemHeight;
  int end = std::min(RowCount(t), t.top + ((int)r.bottom + t.itemHeight - 1) / t.itemHeight);
  std::vector<Item*> shown;
  if (first < end)
    t.rows.ForEachFrom((size_t)first, [&](const Row& row) {
      shown.push_back(row.item);
      return (int)shown.size() < end - first;
    });
  for (int row = first; row < end && !t.dead; ++row) {
    Item* i = shown[(size_t)(row - first)];
    if (Alive(t, Handle(i))) PaintRow(t, cd, i, (row - t.top) * t.itemHeight, clientW);
  }
}

// The background and the rows, with the parent's say at each stage.
void Paint(Tree& t, HDC dc, const RECT& area) {
  int saved = SaveDC(dc);
  SelectObject(dc, FontOrDefault(t.font));
  SIZE c = ClientSize(t);
  RECT r { std::max(0, (int)area.left), std::max(0, (int)area.top), std::min((int)c.cx, (int)area.right),
           std::min((int)c.cy, (int)area.bottom) };
  CustomDraw<NMTVCUSTOMDRAW> cd(t.hwnd, dc, RECT { 0, 0, c.cx, c.cy });
  if (cd.PreErase() && !t.dead) Fill(dc, r.left, r.top, r.right, r.bottom, BkColour(t));
  if (!t.dead) cd.PostErase();
  if (!t.dead && cd.PrePaint() && !t.dead) PaintRows(t, cd, r, c.cx);
  if (!t.dead) cd.PostPaint();
  RestoreDC(dc, saved);
}

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

}  // namespace

LRESULT CALLBACK TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    Trees().Create(hwnd);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  std::shared_ptr<Tree> t = Trees().Find(hwnd);
  if (!t) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return Handle(*t, msg, wParam, lParam);
}

}  // namespace xj::ctl
