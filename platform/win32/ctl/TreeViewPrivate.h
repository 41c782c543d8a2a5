#pragma once
// What the tree view's files share: its items, shown rows and state, and the functions one file lends another.

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

namespace xj::ctl::treeview {

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

// What every row's layout depends on, read once for a pass over many rows.
struct Geometry {
  int rootColumn, indent, stateW, imageW;
};

// Where the parts of an item's row start, in content coordinates (before horizontal scrolling).
struct Layout {
  int stateX, imageX, labelX, labelRight;
};

// TreeView.cpp
StateMap<Tree>& Trees();
bool Has(const Tree& t, DWORD style);
HTREEITEM Handle(const Item* i);
LRESULT Handle(Tree& t, UINT msg, WPARAM wParam, LPARAM lParam);
bool Alive(const Tree& t, HTREEITEM h);
Item* ItemOf(const Tree& t, HTREEITEM h);
bool Expanded(const Item* i);
bool HasButton(const Item* i);

// TreeView_geometry.cpp
SIZE ClientSize(const Tree& t);
int VisibleCount(const Tree& t);
SIZE ImageSize(HIMAGELIST list);
int StateIndex(const Item* i);
int Column(const Geometry& g, const Item* i);
int Column(const Tree& t, const Item* i);
Layout LayoutOf(const Geometry& g, const Item* i);
Layout LayoutOf(const Tree& t, const Item* i);
int Extent(const Tree& t, const Item* i);
bool IsShown(const Item* i);
int ShownBelow(const Item* i);
void MeasureText(Tree& t, Item* i);
int RowCount(const Tree& t);
int MaxWidth(const Tree& t);
Item* RowAt(const Tree& t, int row);
int RowOf(const Tree& t, const Item* i);
void AddRows(Tree& t, int at, std::vector<Item*> items);
void RemoveRows(Tree& t, int at, int n);
void RemoveRow(Tree& t, Item* i);
std::vector<Item*> ShownItemsBelow(const Item* i);
void RebuildRows(Tree& t);
int RowFor(const Tree& t, const Item* i);
int MaxTop(const Tree& t);
RECT RowRect(const Tree& t, int row);
void Redraw(Tree& t);
void RedrawItem(Tree& t, Item* i);
void SyncBars(Tree& t);
void ContentChanged(Tree& t);
void SetTop(Tree& t, int top);
void SetHOffset(Tree& t, int x);

// TreeView_items.cpp
TVITEMA Describe(const Tree& t, const Item* i);
LRESULT Notify(Tree& t, NMHDR& hdr, UINT code);
LRESULT NotifySimple(Tree& t, UINT code);
bool Expand(Tree& t, Item* i, UINT code);
void EnsureVisible(Tree& t, Item* i);
bool Select(Tree& t, Item* i, UINT action);
LRESULT InsertItem(Tree& t, const TVINSERTSTRUCTA* ins);
void Collect(Item* top, std::vector<Item*>& out);
bool DeleteItem(Tree& t, HTREEITEM h);
void FreeAll(Tree& t);
LRESULT GetItem(const Tree& t, TVITEMA* it);
LRESULT SetItem(Tree& t, const TVITEMA* it);
LRESULT Sort(Tree& t, Item* parent, bool recurse, const TVSORTCB* cb);
LRESULT PlaceSorted(Tree& t, Item* i, const TVSORTCB* cb);

// TreeView_input.cpp
Item* HitTest(Tree& t, POINT p, UINT* flagsOut);
LRESULT GetItemRect(Tree& t, WPARAM textOnly, RECT* r);
LRESULT GetNextItem(Tree& t, WPARAM code, HTREEITEM h);
LRESULT EditLabel(Tree& t, Item* i);
void EndEdit(Tree& t, bool cancel);
void KeyDown(Tree& t, UINT vk);
POINT PointOf(LPARAM lParam);
void ButtonDown(Tree& t, POINT p);
void DoubleClick(Tree& t, POINT p);
void Timer(Tree& t, UINT_PTR id);
void SetHot(Tree& t, Item* i);
void MouseMove(Tree& t, POINT p);
void Wheel(Tree& t, WPARAM wParam);
void VScroll(Tree& t, WPARAM wParam, LPARAM lParam);
void HScroll(Tree& t, WPARAM wParam, LPARAM lParam);

// TreeView_paint.cpp
void Paint(Tree& t, HDC dc, const RECT& area);

}  // namespace xj::ctl::treeview
