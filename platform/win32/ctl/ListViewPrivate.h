#pragma once
// What the list view's files share: its items, columns and state, and the functions one file lends another.

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

namespace xj::ctl::listview {

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

// The icon views' grid: cells filled row by row, or column by column when aligned left, from the
// top-left of the first work area (within its width or height), else of the client area.
struct IconGrid {
  SIZE cell;
  POINT at;
  int across, down;
  bool byColumn;
};

// ListView.cpp
StateMap<ListView>& Views();

// ListView_geometry.cpp
DWORD StyleOf(const ListView& v);
DWORD ViewOf(const ListView& v);
bool Report(const ListView& v);
bool List(const ListView& v);
bool Icons(const ListView& v);
bool Checks(const ListView& v);
bool Activates(const ListView& v);
bool Tracks(const ListView& v);
int Count(const ListView& v);
bool Valid(const ListView& v, WPARAM i);
SIZE ImageSize(HIMAGELIST list);
SIZE ClientSize(const ListView& v);
int HeaderHeight(const ListView& v);
int StateWidth(const ListView& v);
int RowHeight(const ListView& v);
SIZE IconCell(const ListView& v);
int ListColumnWidth(const ListView& v);
int RowsPerPage(const ListView& v);
int RowsPerColumn(const ListView& v);
int VisibleListColumns(const ListView& v);
IconGrid GridOf(const ListView& v);
int TotalWidth(const ListView& v);
int CountPerPage(const ListView& v);
RECT Bounds(const ListView& v, int i);
RECT StateRect(const ListView& v, int i);
RECT IconRect(const ListView& v, int i);
RECT LabelRect(const ListView& v, int i);
LRESULT GetItemRect(const ListView& v, WPARAM i, RECT* r);
std::pair<int, int> VisibleRange(const ListView& v);
const Item& ItemAt(ListView& v, int i);
UINT StateOf(const ListView& v, int i);
LPARAM ParamOf(const ListView& v, int i);
void StoreState(ListView& v, int i, UINT state);
std::string TextOf(ListView& v, int i, int sub);
LVHITTESTINFO HitTest(ListView& v, POINT p);
void Redraw(ListView& v);
void RedrawItem(ListView& v, int i);
int MaxTop(const ListView& v);
void ClampPositions(ListView& v);
void SyncBars(ListView& v);
void ContentChanged(ListView& v);
void ScrollTo(ListView& v, int top, int hOffset, POINT origin);
void ScrollPixels(ListView& v, int dx, int dy);
void EnsureVisible(ListView& v, int i);

// ListView_edit.cpp
void DropEditor(ListView& v);
void EndEdit(ListView& v, bool cancel);
LRESULT EditLabel(ListView& v, int i);
LRESULT EditColours(ListView& v, HDC dc);
void ArmEdit(ListView& v, int i);
void DisarmEdit(ListView& v);
void Timer(ListView& v, UINT_PTR id);

// ListView_items.cpp
bool ChangeState(ListView& v, int i, UINT state, UINT mask);
void DeselectAllBut(ListView& v, int keep);
bool SingleSel(const ListView& v);
void Choose(ListView& v, int i, bool shift, bool ctrl, bool toggle);
void ToggleCheck(ListView& v, int i);
LRESULT InsertItem(ListView& v, const LVITEMA* in);
LRESULT DeleteItem(ListView& v, WPARAM which);
LRESULT DeleteAll(ListView& v);
LRESULT GetItem(ListView& v, LVITEMA* it);
LRESULT SetItem(ListView& v, const LVITEMA* it);
LRESULT SetItemState(ListView& v, WPARAM which, const LVITEMA* it);
LRESULT GetNextItem(const ListView& v, WPARAM from, LPARAM flags);
LRESULT SetItemCount(ListView& v, WPARAM count);
void SwitchOwnerData(ListView& v, bool on);
LRESULT FindItem(ListView& v, int start, const LVFINDINFOA* find);
void CharKey(ListView& v, WPARAM ch);
LRESULT InsertColumn(ListView& v, WPARAM at, const LVCOLUMNA* in);
LRESULT DeleteColumn(ListView& v, WPARAM at);
LRESULT GetColumn(const ListView& v, WPARAM at, LVCOLUMNA* out);
LRESULT SetColumn(ListView& v, WPARAM at, const LVCOLUMNA* in);
LRESULT SetColumnWidth(ListView& v, WPARAM at, LPARAM width);
LRESULT SetColumnOrder(ListView& v, WPARAM size, const int* in);
LRESULT SortItems(ListView& v, LPARAM data, PFNLVCOMPARE compare);
DWORD HeaderStyle(const ListView& v);
void RebuildHeader(ListView& v);
LRESULT HeaderNotice(ListView& v, NMHEADERA* n);

// ListView_paint.cpp
COLORREF Background(const ListView& v);
COLORREF Foreground(const ListView& v);
void Paint(ListView& v, HDC dc, const RECT& area);

}  // namespace xj::ctl::listview
