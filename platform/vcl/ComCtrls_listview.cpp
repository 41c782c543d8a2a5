// TCustomListView with its items and columns. The objects keep every item's caption, sub-items,
// images and data; the window holds one row per item pointing back at its TListItem and asks for the
// texts and images as it shows them (LVN_GETDISPINFOA). Item states (selection, focus, check box) are
// the window's; each change it reports is copied to the item, so they survive a new window.

#include <algorithm>
#include <functional>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"

// The GDI's GetObject macro would rename TStrings::GetObject.
#undef GetObject

namespace {

[[noreturn]] void IndexError(int Index) { throw EListError::CreateFmt("List index out of bounds (%d)", Index); }

int ColumnFormat(TAlignment Alignment) {
  return Alignment == taRightJustify ? LVCFMT_RIGHT : Alignment == taCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
}

constexpr UINT kFocused = LVIS_FOCUSED;
constexpr UINT kSelected = LVIS_SELECTED;

}  // namespace

// ---- TListColumn ----------------------------------------------------------------------------------------

void TListColumn::Assign(TPersistent* Source) {
  auto* c = dynamic_cast<TListColumn*>(Source);
  if (!c) {
    TCollectionItem::Assign(Source);
    return;
  }
  FAlignment = c->FAlignment;
  FAutoSize = c->FAutoSize;
  FCaption = c->FCaption;
  FImageIndex = c->FImageIndex;
  FMaxWidth = c->FMaxWidth;
  FMinWidth = c->FMinWidth;
  FTag = c->FTag;
  FWidth = c->FWidth;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void TListColumn::SetCaption(const AnsiString& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TListColumn::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TListColumn::SetMaxWidth(int Value) {
  FMaxWidth = std::max(Value, 0);
  SetWidth(FWidth);
}

void TListColumn::SetMinWidth(int Value) {
  FMinWidth = std::max(Value, 0);
  SetWidth(FWidth);
}

void TListColumn::SetWidth(int Value) {
  Value = std::max(Value, FMinWidth);
  if (FMaxWidth > 0) Value = std::min(Value, FMaxWidth);
  Value = std::max(Value, 0);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

AnsiString TListColumn::GetDisplayName() const {
  return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption;
}

// ---- TListColumns ---------------------------------------------------------------------------------------

TListColumns::TListColumns(TCustomListView* ListView) : TCollection(TListColumn::StaticClass()), FListView(ListView) {}

TPersistent* TListColumns::GetOwner() { return FListView; }

void TListColumns::Update(TCollectionItem*) { FListView->UpdateColumns(); }

// ---- TListItem -------------------------------------------------------------------------------------------------

TListItem::TListItem(TListItems* Owner) : FOwner(Owner), FSubItems(std::make_unique<TStringList>()) {
  FSubItems->OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return FOwner->Owner(); }

void TListItem::Assign(TPersistent* Source) {
  auto* i = dynamic_cast<TListItem*>(Source);
  if (!i) {
    TPersistent::Assign(Source);
    return;
  }
  FCaption = i->FCaption;
  FData = i->FData;
  // OnChanging and OnChange may delete this item: each step looks for it again first.
  const TCustomListView::TItemWatch watch(ListView(), this);
  SetImageIndex(i->FImageIndex);
  if (!watch.Held()) return;
  SetStateIndex(i->FStateIndex);
  if (!watch.Held()) return;
  FSubItems->Assign(i->FSubItems.get());
  if (watch.Held() && !Lent()) Update();
}

void TListItem::SubItemsChanged(TObject*) {
  if (Lent()) return;
  Update();
  ListView()->Change(this, ctText);
}

void TListItem::SetCaption(const AnsiString& Value) {
  if (FCaption == Value || !Changing(ctText)) return;
  FCaption = Value;
  if (Lent()) return;
  TCustomListView* view = ListView();
  auto life = view->LifeToken();
  if (view->FSortType == stText || view->FSortType == stBoth)
    view->Resort();
  else
    Update();
  if (!life.expired()) view->Change(this, ctText);
}

// An item among the view's items asks OnChanging first. The handler may free the item or the view: then
// the change is off too, and nothing of either is touched.
bool TListItem::Changing(TItemChange Change) {
  if (FNode < 0) return true;
  TListItems* items = FOwner;
  TCustomListView* view = items->Owner();
  const int index = Index(), count = items->Count();
  auto life = view->LifeToken();
  const bool allow = view->CanChange(this, Change);
  return !life.expired() && items->Count() == count && items->Item(index) == this && allow;
}

void TListItem::SetData(void* Value) {
  FData = Value;
  TCustomListView* view = ListView();
  if (Lent()) return;
  if (view->FSortType == stData || view->FSortType == stBoth) view->Resort();
}

void TListItem::SetImageIndex(int Value) {
  if (FImageIndex == Value || !Changing(ctImage)) return;
  FImageIndex = Value;
  TCustomListView* view = ListView();
  if (!view->HandleAllocated() || Lent()) return;
  LVITEMA it {};
  it.mask = LVIF_IMAGE;
  it.iItem = Index();
  it.iImage = I_IMAGECALLBACK;  // asked as the item is drawn: this only draws it again
  view->Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  view->Change(this, ctImage);
}

void TListItem::SetStateIndex(int Value) {
  Value = std::clamp(Value, -1, 14);  // what the window's state bits hold
  if (FStateIndex == Value) return;
  FStateIndex = Value;
  TCustomListView* view = ListView();
  if (!view->HandleAllocated() || Lent()) return;
  LVITEMA it {};
  it.stateMask = LVIS_STATEIMAGEMASK;
  it.state = INDEXTOSTATEIMAGEMASK(Value + 1);
  view->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&it));
}

// Through the window when there is one, so the change is reported like the user's.
void TListItem::SetSelected(bool Value) {
  if (!ListView()->HandleAllocated()) FState = Value ? FState | kSelected : FState & ~kSelected;
  ListView()->SetRowState(Index(), kSelected, Value ? kSelected : 0);
}

void TListItem::SetFocused(bool Value) {
  if (!ListView()->HandleAllocated()) FState = Value ? FState | kFocused : FState & ~kFocused;
  ListView()->SetRowState(Index(), kFocused, Value ? kFocused : 0);
}

void TListItem::Delete() { FOwner->Delete(Index()); }

TRect TListItem::DisplayRect(TDisplayCode Code) const {
  RECT r {};
  r.left = static_cast<LONG>(Code);
  if (!ListView()->Send(LVM_GETITEMRECT, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&r))) return TRect();
  return r;
}

bool TListItem::EditCaption() {
  TCustomListView* view = ListView();
  return !view->FReadOnly && view->Send(LVM_EDITLABELA, static_cast<WPARAM>(Index()), 0) != 0;
}

void TListItem::MakeVisible(bool PartialOK) {
  ListView()->Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), PartialOK);
}

void TListItem::Update() {
  TCustomListView* view = ListView();
  if (view->HandleAllocated()) view->Send(LVM_UPDATE, static_cast<WPARAM>(Index()), 0);
}

void TListItem::PushState() { ListView()->SetRowState(Index(), kSelected | kFocused, FState & (kSelected | kFocused)); }

// ---- TListItems ----------------------------------------------------------------------------------------------

TListItems::TListItems(TCustomListView* Owner) : FOwner(Owner) {}

TListItems::~TListItems() = default;

void TListItems::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TListItems*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    s->ForEachItem([&](TListItem* item) {
      Add()->Assign(item);
      return true;
    });
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  if (!FOwner->FOwnerData) return FItems.At(static_cast<size_t>(Index)).get();
  if (TListItem* lent = FOwner->LendItem(Index)) return lent;
  throw EListError::CreateFmt("OnData freed the list view or took its row %d away", Index);
}

// Asks nothing of the application: a lent item is at the row it was filled for.
int TListItems::IndexOf(const TListItem* Value) const {
  if (!Value || Value->FOwner != this) return -1;
  if (Value->Lent()) return Value->FIndex < Count() ? Value->FIndex : -1;
  return Value->FNode >= 0 ? Value->Index() : -1;
}

int TListItem::Index() const { return FNode >= 0 ? static_cast<int>(FOwner->FItems.IndexOf(FNode)) : FIndex; }

void TListItems::Placed(std::unique_ptr<TListItem>& Item, int Node) { Item->FNode = Node; }

TListItem* TListItems::InsertAt(int Index, std::unique_ptr<TListItem> Item) {
  TListItem* item = Item.get();
  std::vector<std::unique_ptr<TListItem>> one;
  one.push_back(std::move(Item));
  FItems.Insert(static_cast<size_t>(Index), std::move(one), Placed);
  auto life = FOwner->LifeToken();
  TControlChange inserting(FOwner, FInserting, item);
  FOwner->InsertNative(item);
  if (!life.expired() && FInserting == item) FOwner->InsertItem(item);
  if (life.expired() || FInserting != item)
    throw EListError("A handler deleted the new list item (or freed its view) before it could be returned");
  return item;
}

// Under a sort type the new item's caption and data are still empty: it goes where that sorts (or
// last while updating, sorted with the rest at the end).
TListItem* TListItems::Add() {
  RefuseOwnerData();
  auto item = std::make_unique<TListItem>(this);
  const bool sortNow = FOwner->FSortType != stNone && FUpdateCount == 0;
  FSortPending = FSortPending || FOwner->FSortType != stNone;
  const int at = sortNow ? FOwner->SortedPosition(item.get()) : Count();
  return InsertAt(at, std::move(item));
}

TListItem* TListItems::Insert(int Index) {
  RefuseOwnerData();
  if (Index < 0 || Index > Count()) IndexError(Index);
  return InsertAt(Index, std::make_unique<TListItem>(this));
}

TListItem* TListItems::AddItem(TListItem* Item, int Index) {
  RefuseOwnerData();
  if (Index < 0 || Index > Count()) Index = Count();
  TListItem* made = Insert(Index);
  if (Item) made->Assign(Item);
  return made;
}

// OnDeletion sees the item whole; the window's row goes first, so the item is never shown half gone.
void TListItems::Delete(int Index) {
  RefuseOwnerData();
  if (Index < 0 || Index >= Count()) IndexError(Index);
  TListItem* item = Item(Index);
  const TCustomListView::TItemWatch watch(FOwner, item);
  // The row's open caption editor ends first, and OnEdited may change the items.
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  if (!watch.Held()) return;
  if (item == FInserting) FInserting = nullptr;
  std::unique_ptr<TListItem> gone = std::move(FItems.Ref(static_cast<size_t>(Index)));
  FItems.Erase(static_cast<size_t>(Index), 1);
  item->FNode = -1;
  item->FIndex = Index;
  FOwner->Delete(item);
}

void TListItems::Clear() {
  if (FOwner->FOwnerData) return SetCount(0);
  RefuseChange();
  FOwner->Deleted(TakeAll());
}

std::vector<std::unique_ptr<TListItem>> TListItems::TakeAll() {
  std::vector<std::unique_ptr<TListItem>> gone;
  if (FItems.Size() == 0) return gone;
  auto life = FOwner->LifeToken();
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_DELETEALLITEMS, 0, 0);  // OnEdited may run meanwhile
  if (life.expired()) return gone;
  gone.reserve(FItems.Size());
  FItems.Visit([](const xj::ctl::CountSums&) { return false; },
               [&](std::unique_ptr<TListItem>& i) {
                 i->FIndex = static_cast<int>(gone.size());
                 i->FNode = -1;
                 if (i.get() == FInserting) FInserting = nullptr;
                 gone.push_back(std::move(i));
               });
  FItems.Assign({});
  return gone;
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) FOwner->Send(WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount != 0) return;
  if (FSortPending && FOwner->FSortType != stNone) FOwner->AlphaSort();
  FSortPending = false;
  if (FOwner->HandleAllocated()) {
    FOwner->Send(WM_SETREDRAW, TRUE, 0);
    FOwner->Invalidate();
  }
}

// ---- TIconOptions ----------------------------------------------------------------------------------------

void TIconOptions::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TIconOptions*>(Source);
  if (!o) {
    TPersistent::Assign(Source);
    return;
  }
  FArrangement = o->FArrangement;
  FAutoArrange = o->FAutoArrange;
  FWrapText = o->FWrapText;
  FListView->UpdateStyle();
}

TPersistent* TIconOptions::GetOwner() { return FListView; }

void TIconOptions::SetArrangement(TIconArrangement Value) {
  FArrangement = Value;
  FListView->UpdateStyle();
}

void TIconOptions::SetAutoArrange(bool Value) {
  FAutoArrange = Value;
  FListView->UpdateStyle();
}

void TIconOptions::SetWrapText(bool Value) {
  FWrapText = Value;
  FListView->UpdateStyle();
}

// ---- TWorkArea, TWorkAreas -----------------------------------------------------------------------------

void TWorkArea::SetColor(TColor Value) {
  FColor = Value;
  Changed(false);
}

void TWorkArea::SetRect(const TRect& Value) {
  FRect = Value;
  Changed(false);
}

void TWorkArea::SetDisplayName(const AnsiString& Value) {
  FDisplayName = Value;
  Changed(false);
}

TWorkAreas::TWorkAreas(TCustomListView* ListView) : TCollection(TWorkArea::StaticClass()), FListView(ListView) {}

TWorkArea* TWorkAreas::Add() {
  if (Count() >= LV_MAX_WORKAREAS)
    throw EListError::CreateFmt("A list view has at most %d work areas", LV_MAX_WORKAREAS);
  return static_cast<TWorkArea*>(TCollection::Add());
}

TPersistent* TWorkAreas::GetOwner() { return FListView; }

void TWorkAreas::Update(TCollectionItem*) { FListView->UpdateWorkAreas(); }

// ---- TCustomListView: construction and the window -------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner),
      FColumns(std::make_unique<TListColumns>(this)),
      FItems(std::make_unique<TListItems>(this)),
      FIconOptions(std::make_unique<TIconOptions>(this)),
      FWorkAreas(std::make_unique<TWorkAreas>(this)),
      FCanvas(std::make_unique<TControlCanvas>()),
      FCustomDraw(std::make_unique<TViewCustomDraw>(this, FCanvas.get())) {
  FControlStyle = TControlStyle { csDoubleClicks };
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FCanvas->SetControl(this);
}

TCustomListView::~TCustomListView() {
  TearDownWindow();
  // OnDeletion hears of every item still here, so that what an application keeps behind one is freed.
  FDestroying = true;
  for (auto& item : FItems->TakeAll()) {
    try {
      Delete(item.get());
    } catch (...) {
      ReportApplicationException(nullptr);
    }
  }
  FItems.reset();
  FColumns.reset();
  FCustomDraw.reset();
  FWorkAreas.reset();
  FCanvas.reset();
}

TCanvas* TCustomListView::Canvas() const { return FCanvas.get(); }

LRESULT TCustomListView::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  auto* self = const_cast<TCustomListView*>(this);
  if (!self->HandleAllocated()) return 0;
  return self->Perform(Msg, WParam, LParam);
}

DWORD TCustomListView::ViewStyleBits() const {
  static const DWORD kViews[] = { LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT };
  DWORD style = kViews[FViewStyle];
  if (!FMultiSelect) style |= LVS_SINGLESEL;
  if (!FHideSelection) style |= LVS_SHOWSELALWAYS;
  if (FOwnerDraw) style |= LVS_OWNERDRAWFIXED;
  if (!FShowColumnHeaders) style |= LVS_NOCOLUMNHEADER;
  if (!FColumnClick) style |= LVS_NOSORTHEADER;
  if (FOwnerData) style |= LVS_OWNERDATA;
  if (!FReadOnly) style |= LVS_EDITLABELS;
  if (FIconOptions->Arrangement() == iaLeft) style |= LVS_ALIGNLEFT;
  if (FIconOptions->AutoArrange()) style |= LVS_AUTOARRANGE;
  if (!FIconOptions->WrapText()) style |= LVS_NOLABELWRAP;
  return style | LVS_SHAREIMAGELISTS;
}

DWORD TCustomListView::ExtendedStyle() const {
  DWORD ex = 0;
  if (FCheckboxes) ex |= LVS_EX_CHECKBOXES;
  if (FGridLines) ex |= LVS_EX_GRIDLINES;
  if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (FHotTrack) ex |= LVS_EX_TRACKSELECT;
  if (FFullDrag) ex |= LVS_EX_HEADERDRAGDROP;
  if (FHotTrackStyles.Contains(htHandPoint))
    ex |= LVS_EX_ONECLICKACTIVATE;
  else if (FHotTrackStyles.Contains(htUnderlineHot) || FHotTrackStyles.Contains(htUnderlineCold))
    ex |= LVS_EX_TWOCLICKACTIVATE;
  if (FHotTrackStyles.Contains(htUnderlineHot)) ex |= LVS_EX_UNDERLINEHOT;
  if (FHotTrackStyles.Contains(htUnderlineCold)) ex |= LVS_EX_UNDERLINECOLD;
  // The window asks for sub-items' images only when there is a small image list to show them from.
  return ex | LVS_EX_SUBITEMIMAGES;
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  Params.Style |= WS_HSCROLL | WS_VSCROLL | ViewStyleBits();
  Params.AddBorder(FBorderStyle, Ctl3D());
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// A new window gets everything back: styles, colours, image lists, columns, then the items with their
// states, all without repainting until the end.
void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  Perform(WM_SETREDRAW, FALSE, 0);
  Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ExtendedStyle()));
  Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
  UpdateImageLists();
  UpdateColumns();
  UpdateWorkAreas();
  // An owner-data view's count and a plain view's room ahead travel in the same message.
  if (FOwnerData)
    Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(FItems->FCount), 0);
  else if (FAllocBy > 0)
    Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(FAllocBy), 0);
  FItems->ForEachItem([this](TListItem* item) {
    InsertNative(item);
    return true;
  });
  Perform(WM_SETREDRAW, FItems->FUpdateCount == 0, 0);
}

void TCustomListView::InsertNative(TListItem* Item) {
  if (!HandleAllocated()) return;
  LVITEMA it {};
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  it.iItem = Item->Index();
  it.pszText = LPSTR_TEXTCALLBACKA;
  it.iImage = I_IMAGECALLBACK;
  it.lParam = reinterpret_cast<LPARAM>(Item);
  // The item's selection and focus are applied after, so that they are reported like any change.
  it.stateMask = LVIS_STATEIMAGEMASK;
  it.state = INDEXTOSTATEIMAGEMASK(Item->FStateIndex + 1);
  if (FCheckboxes && Item->FStateIndex < 0) {
    Item->FStateIndex = 0;
    it.state = INDEXTOSTATEIMAGEMASK(1);
  }
  UINT wanted = Item->FState;
  Item->FState = 0;
  Perform(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
  if (wanted) {
    Item->FState = wanted;
    Item->PushState();
  }
}

void TCustomListView::UpdateStyle() {
  if (!HandleAllocated()) return;
  const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
  const DWORD mask = LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER |
                     LVS_NOSORTHEADER | LVS_OWNERDATA | LVS_EDITLABELS | LVS_ALIGNMASK | LVS_AUTOARRANGE |
                     LVS_NOLABELWRAP;
  const LONG wanted = static_cast<LONG>((static_cast<DWORD>(style) & ~mask) | ViewStyleBits());
  if (wanted != style) SetWindowLongA(Handle(), GWL_STYLE, wanted);
  Invalidate();
}

void TCustomListView::UpdateExtendedStyle() {
  if (HandleAllocated()) Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(ExtendedStyle()));
}

void TCustomListView::UpdateImageLists() {
  if (!HandleAllocated()) return;
  auto handle = [](TCustomImageList* l) { return reinterpret_cast<LPARAM>(l ? l->Handle() : nullptr); };
  Perform(LVM_SETIMAGELIST, LVSIL_NORMAL, handle(FLargeImages));
  Perform(LVM_SETIMAGELIST, LVSIL_SMALL, handle(FSmallImages));
  Perform(LVM_SETIMAGELIST, LVSIL_STATE, handle(FStateImages));
}

// Empty rectangles cannot hold items: the window is given the others.
void TCustomListView::UpdateWorkAreas() {
  if (!HandleAllocated()) return;
  std::vector<RECT> areas;
  for (int i = 0; i < FWorkAreas->Count(); ++i)
    if (const TRect r = FWorkAreas->Items(i)->Rect(); r.Right > r.Left && r.Bottom > r.Top) areas.push_back(r);
  Perform(LVM_SETWORKAREAS, areas.size(), reinterpret_cast<LPARAM>(areas.data()));
  Invalidate();
}

// Each work area's outline and name, in its colour, over what the window painted (in Given, or in the
// window's own DC).
void TCustomListView::DrawWorkAreas(HDC Given) {
  POINT origin {};
  if (!FShowWorkAreas || !Perform(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin))) return;
  HDC dc = Given ? Given : GetDC(Handle());
  const int saved = SaveDC(dc);
  SelectObject(dc, Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA tm {};
  GetTextMetricsA(dc, &tm);
  for (int i = 0; i < FWorkAreas->Count(); ++i) {
    TWorkArea* area = FWorkAreas->Items(i);
    RECT r = area->Rect();
    OffsetRect(&r, -origin.x, -origin.y);
    const COLORREF colour = static_cast<COLORREF>(ColorToRGB(area->Color()));
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
    SetTextColor(dc, colour);
    const AnsiString name = area->DisplayName();
    TextOutA(dc, r.left + 2, r.bottom - tm.tmHeight - 1, name.c_str(), static_cast<int>(name.size()));
  }
  RestoreDC(dc, saved);
  if (!Given) ReleaseDC(Handle(), dc);
}

// The window's columns anew from the collection; the display order survives when the count stays.
void TCustomListView::UpdateColumns() {
  if (!HandleAllocated()) return;
  const int count = FColumns->Count();
  std::vector<int> order(static_cast<size_t>(count));
  LVCOLUMNA probe {};
  int had = 0;
  while (Perform(LVM_GETCOLUMNA, static_cast<WPARAM>(had), reinterpret_cast<LPARAM>(&probe))) ++had;
  const bool keepOrder =
      had == count && count > 0 &&
      Perform(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
  while (had > count) Perform(LVM_DELETECOLUMN, static_cast<WPARAM>(--had), 0);
  for (int i = 0; i < count; ++i) {
    TListColumn* c = FColumns->Items(i);
    LVCOLUMNA col {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE;
    col.pszText = const_cast<LPSTR>(c->FCaption.c_str());
    col.cx = c->FWidth;
    col.fmt = ColumnFormat(c->FAlignment);
    col.iImage = c->FImageIndex;
    Perform(i < had ? LVM_SETCOLUMNA : LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
  if (keepOrder) Perform(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
  Invalidate();
}

// ---- Properties -----------------------------------------------------------------------------------------------

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomListView::SetCheckboxes(bool Value) {
  if (FCheckboxes == Value) return;
  FCheckboxes = Value;
  FItems->ForEachItem([Value](TListItem* item) {
    if (Value && item->FStateIndex < 0) item->FStateIndex = 0;
    return true;
  });
  UpdateExtendedStyle();
}

void TCustomListView::SetColumnClick(bool Value) {
  FColumnClick = Value;
  UpdateStyle();
}

void TCustomListView::SetFullDrag(bool Value) {
  FFullDrag = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetGridLines(bool Value) {
  FGridLines = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetHideSelection(bool Value) {
  FHideSelection = Value;
  UpdateStyle();
}

void TCustomListView::SetHotTrack(bool Value) {
  FHotTrack = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetAllocBy(int Value) {
  FAllocBy = std::max(Value, 0);
  if (FAllocBy > 0 && !FOwnerData) Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(FAllocBy), 0);
}

void TCustomListView::SetShowWorkAreas(bool Value) {
  FShowWorkAreas = Value;
  Invalidate();
}

void TCustomListView::SetHotTrackStyles(TListHotTrackStyles Value) {
  FHotTrackStyles = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetMultiSelect(bool Value) {
  FMultiSelect = Value;
  UpdateStyle();
}

void TCustomListView::SetOwnerDraw(bool Value) {
  FOwnerDraw = Value;
  UpdateStyle();
}

void TCustomListView::SetRowSelect(bool Value) {
  FRowSelect = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  FShowColumnHeaders = Value;
  UpdateStyle();
}

// An open editor stays open; only new ones are refused.
void TCustomListView::SetReadOnly(bool Value) {
  FReadOnly = Value;
  UpdateStyle();
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  FViewStyle = Value;
  UpdateStyle();
}

void TCustomListView::SetSortType(TSortType Value) {
  if (FSortType == Value) return;
  FSortType = Value;
  if (Value != stNone) AlphaSort();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
  FLargeImages = Value;
  if (Value) Value->FreeNotification(this);
  UpdateImageLists();
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
  FSmallImages = Value;
  if (Value) Value->FreeNotification(this);
  UpdateImageLists();
}

void TCustomListView::SetStateImages(TCustomImageList* Value) {
  FStateImages = Value;
  if (Value) Value->FreeNotification(this);
  UpdateImageLists();
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FLargeImages) FLargeImages = nullptr;
  if (AComponent == FSmallImages) FSmallImages = nullptr;
  if (AComponent == FStateImages) FStateImages = nullptr;
  UpdateImageLists();
}

int TCustomListView::SelCount() const {
  if (HandleAllocated()) return static_cast<int>(Send(LVM_GETSELECTEDCOUNT, 0, 0));
  int n = 0;
  FItems->ForEachItem([&n](TListItem* i) {
    n += i->Selected() ? 1 : 0;
    return true;
  });
  return n;
}

TListItem* TCustomListView::Selected() const {
  if (!HandleAllocated()) {
    TListItem* found = nullptr;
    FItems->ForEachItem([&found](TListItem* i) {
      if (i->Selected()) found = i;
      return !found;
    });
    return found;
  }
  return const_cast<TCustomListView*>(this)->RowItem(
      static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
}

void TCustomListView::SetSelected(TListItem* Value) { SelectRow(Value ? FItems->IndexOf(Value) : -1); }

// Each step tells the handlers, which may free the view or change the items: the row is looked for again
// by its index before the next, and the item never touched.
void TCustomListView::SelectRow(int Index) {
  const TListItem* item = Index < 0 ? nullptr : FOwnerData ? FItems->FLent.get() : FItems->FItems.At(Index).get();
  const TItemWatch watch(this, item, Index);
  if (HandleAllocated() && SelCount() > 0) SetRowState(-1, kSelected, 0);
  if (!item || !watch.Held()) return;
  if (!HandleAllocated()) {
    const_cast<TListItem*>(item)->FState |= kSelected | kFocused;
    return;
  }
  SetRowState(Index, kSelected, kSelected);
  if (watch.Held()) SetRowState(Index, kFocused, kFocused);
  if (watch.Held()) Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index), FALSE);
}

void TCustomListView::SetRowState(int Index, UINT Mask, UINT State) {
  LVITEMA it {};
  it.stateMask = Mask;
  it.state = State;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&it));
}

TListItem* TCustomListView::RowItem(int Index) {
  if (Index < 0 || Index >= FItems->Count()) return nullptr;
  return FOwnerData ? LendItem(Index) : FItems->FItems.At(static_cast<size_t>(Index)).get();
}

TListItem* TCustomListView::ItemFocused() const {
  if (!HandleAllocated()) {
    TListItem* found = nullptr;
    FItems->ForEachItem([&found](TListItem* i) {
      if (i->Focused()) found = i;
      return !found;
    });
    return found;
  }
  return const_cast<TCustomListView*>(this)->RowItem(
      static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (Value) Value->SetFocused(true);
}

int TCustomListView::ItemIndex() const {
  TListItem* item = Selected();
  return item ? item->Index() : -1;
}

void TCustomListView::SetItemIndex(int Value) { SelectRow(Value >= 0 && Value < FItems->Count() ? Value : -1); }

TListItem* TCustomListView::TopItem() {
  HandleNeeded();
  return RowItem(static_cast<int>(Send(LVM_GETTOPINDEX, 0, 0)));
}

int TCustomListView::VisibleRowCount() {
  HandleNeeded();
  return static_cast<int>(Send(LVM_GETCOUNTPERPAGE, 0, 0));
}

TListItem* TCustomListView::GetItemAt(int X, int Y) {
  LVHITTESTINFO info { { X, Y }, 0, -1, 0 };
  return RowItem(static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))));
}

bool TCustomListView::IsEditing() const { return Send(LVM_GETEDITCONTROL, 0, 0) != 0; }

void TCustomListView::Scroll(int DX, int DY) { Send(LVM_SCROLL, static_cast<WPARAM>(DX), static_cast<LPARAM>(DY)); }

// ---- Sorting -------------------------------------------------------------------------------------------------

int TCustomListView::CompareItems(TListItem* Item1, TListItem* Item2, int Data) {
  if (OnCompare) {
    int result = 0;
    OnCompare(this, Item1, Item2, Data, result);
    return result;
  }
  int result = 0;
  if (FSortType == stData || FSortType == stBoth) {
    auto a = reinterpret_cast<uintptr_t>(Item1->FData), b = reinterpret_cast<uintptr_t>(Item2->FData);
    result = a < b ? -1 : a > b ? 1 : 0;
  }
  if (result == 0 && FSortType != stData) result = CompareText(Item1->FCaption, Item2->FCaption);
  return result;
}

// OnCompare may not change the items (EListError); when it frees the view, the sort stops with an error.
int TCustomListView::Compared(const std::function<int(TListItem*, TListItem*)>& Compare, TListItem* A, TListItem* B) {
  auto life = LifeToken();
  const int result = Compare(A, B);
  if (life.expired()) throw EListError("OnCompare freed the list view while its items were being sorted");
  return result;
}

int TCustomListView::SortedPosition(TListItem* Item) {
  TControlChange sorting(this, FSorting, true);
  const auto compare = [this](TListItem* a, TListItem* b) { return CompareItems(a, b, 0); };
  return static_cast<int>(FItems->FItems.PartitionPoint(
      [&](const std::unique_ptr<TListItem>& b) { return Compared(compare, Item, b.get()) < 0; }));
}

namespace {
int CALLBACK ByNewIndex(LPARAM a, LPARAM b, LPARAM) {
  return reinterpret_cast<TListItem*>(a)->Index() - reinterpret_cast<TListItem*>(b)->Index();
}
}  // namespace

namespace {
// A stable merge sort that stays within its ranges whatever the answers are: a handler's answers need not
// agree with one another, which the standard sorts rely on.
void MergeSort(std::vector<TListItem*>& Order, const std::function<bool(TListItem*, TListItem*)>& Less) {
  std::vector<TListItem*> merged(Order.size());
  for (size_t width = 1; width < Order.size(); width *= 2) {
    for (size_t lo = 0; lo < Order.size(); lo += 2 * width) {
      const size_t mid = std::min(lo + width, Order.size()), hi = std::min(lo + 2 * width, Order.size());
      size_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) merged[out++] = Less(Order[b], Order[a]) ? Order[b++] : Order[a++];
      while (a < mid) merged[out++] = Order[a++];
      while (b < hi) merged[out++] = Order[b++];
    }
    Order.swap(merged);
  }
}
}  // namespace

// The objects are sorted here; the window's rows then follow the items' new indexes. A sort asked for
// while one runs (OnCompare changing a caption under a sort type) is left to the one running.
void TCustomListView::SortBy(const std::function<int(TListItem*, TListItem*)>& Compare) {
  if (FSorting) return;
  auto& items = FItems->FItems;
  std::vector<TListItem*> order;
  order.reserve(items.Size());
  FItems->ForEachItem([&order](TListItem* i) {
    order.push_back(i);
    return true;
  });
  {
    TControlChange sorting(this, FSorting, true);
    MergeSort(order, [&](TListItem* a, TListItem* b) { return Compared(Compare, a, b) < 0; });
  }
  // The objects change hands without anything between that could throw.
  std::vector<std::unique_ptr<TListItem>> sorted;
  sorted.reserve(items.Size());
  items.Visit([](const xj::ctl::CountSums&) { return false; },
              [](std::unique_ptr<TListItem>& p) { (void)p.release(); });
  for (TListItem* i : order) sorted.emplace_back(i);
  items.Assign(std::move(sorted), TListItems::Placed);
  Send(LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&ByNewIndex));
}

void TCustomListView::Resort() {
  if (FItems->FUpdateCount > 0)
    FItems->FSortPending = true;
  else
    AlphaSort();
}

bool TCustomListView::AlphaSort() {
  SortBy([this](TListItem* a, TListItem* b) { return CompareItems(a, b, 0); });
  return true;
}

bool TCustomListView::CustomSort(TLVCompare SortProc, int Data) {
  if (!SortProc) {
    SortBy([this, Data](TListItem* a, TListItem* b) { return CompareItems(a, b, Data); });
    return true;
  }
  SortBy([SortProc, Data](TListItem* a, TListItem* b) { return SortProc(a, b, Data); });
  return true;
}

// ---- Events ------------------------------------------------------------------------------------------------

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
  if (OnChange) OnChange(this, Item, Change);
}

bool TCustomListView::CanChange(TListItem* Item, TItemChange Change) { return Allowed(OnChanging, this, Item, Change); }

bool TCustomListView::CanEdit(TListItem* Item) { return Allowed(OnEditing, this, Item); }

// OnEdited may change the text (or free the view, or delete the item); the item takes what it leaves.
void TCustomListView::Edit(TListItem* Item, const AnsiString& S) {
  AnsiString text = S;
  const TItemWatch watch(this, Item);
  if (OnEdited) OnEdited(this, Item, text);
  if (watch.Held()) Item->SetCaption(text);
}

void TCustomListView::ColClick(TListColumn* Column) {
  if (OnColumnClick) OnColumnClick(this, Column);
}

void TCustomListView::ColRightClick(TListColumn* Column, TPoint Point) {
  if (OnColumnRightClick) OnColumnRightClick(this, Column, Point);
}

void TCustomListView::Delete(TListItem* Item) {
  if (OnDeletion) OnDeletion(this, Item);
}

// A handler that frees the view leaves the rest untold: they go with it.
void TCustomListView::Deleted(std::vector<std::unique_ptr<TListItem>> Gone) {
  auto life = LifeToken();
  for (size_t k = 0; k < Gone.size() && !life.expired(); ++k) Delete(Gone[k].get());
}

void TCustomListView::InsertItem(TListItem* Item) {
  if (OnInsert) OnInsert(this, Item);
}

void TCustomListView::DoSelectItem(TListItem* Item, bool Selected) {
  if (OnSelectItem) OnSelectItem(this, Item, Selected);
}

void TCustomListView::DrawItem(TListItem* Item, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Item, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  FCanvas->TextOut(Rect.Left + 2, Rect.Top, Item->FCaption);
}

void TCustomListView::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  Message.Result = TRUE;
  TListItem* item = dis ? RowItem(static_cast<int>(dis->itemID)) : nullptr;
  if (!item) return;
  const TOwnerDrawState state = TOwnerDrawState::FromBits(dis->itemState & 0xFFFF);
  TCanvasDCScope lend(FCanvas.get(), dis->hDC, LifeToken());  // the draw handler may free the control
  FCanvas->SetFont(Font());
  FCanvas->SetBrush(Brush());
  if (state.Contains(odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  DrawItem(item, dis->rcItem, state);
}

TListItem* TCustomListView::ItemOf(LPARAM Param) const {
  auto* item = reinterpret_cast<TListItem*>(Param);
  return FItems->IndexOf(item) >= 0 ? item : nullptr;
}

// The notices that ask before a change: a state change, opening a caption's editor, and the edited text.
// The item a notice names: the one its row points back at, or with OwnerData the row lent for its index;
// nullptr for none, or when OnData freed the view.
TListItem* TCustomListView::NoticeItem(int Index, LPARAM Param) { return FOwnerData ? RowItem(Index) : ItemOf(Param); }

bool TCustomListView::AskingNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (hdr->code) {
    case LVN_ITEMCHANGING: {
      auto* n = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      TListItem* item = (n->uChanged & LVIF_STATE) ? NoticeItem(n->iItem, n->lParam) : nullptr;
      Message.Result = item && !CanChange(item, ctState) ? 1 : 0;
      return true;
    }
    case LVN_BEGINLABELEDITA: {
      const LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam)->item;
      TListItem* item = NoticeItem(it.iItem, it.lParam);
      Message.Result = item && !FReadOnly && CanEdit(item) ? 0 : 1;
      return true;
    }
    case LVN_ENDLABELEDITA: {
      const LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam)->item;
      if (!it.pszText) return true;
      if (TListItem* item = NoticeItem(it.iItem, it.lParam)) Edit(item, it.pszText);
      Message.Result = 0;  // the item keeps its caption itself
      return true;
    }
  }
  return false;
}

// Asking an owner-data view for its item lends it again (OnData): its lent item is taken as there while
// its row is.
bool TCustomListView::StillAt(int Index, const TListItem* Item) const {
  if (Index < 0 || Index >= FItems->Count()) return false;
  return FOwnerData ? Item == FItems->FLent.get() : FItems->FItems.At(static_cast<size_t>(Index)).get() == Item;
}

TCustomListView::TItemWatch::TItemWatch(const TCustomListView* View, const TListItem* Item, int Index)
    : Life(View->LifeToken()), View(View), Item(Item), Index(Index) {}

TCustomListView::TItemWatch::TItemWatch(const TCustomListView* View, const TListItem* Item)
    : TItemWatch(View, Item, View->FItems->IndexOf(Item)) {}

bool TCustomListView::TItemWatch::Held() const { return !Life.expired() && View->StillAt(Index, Item); }

// An owner-data view lends one item for every row: a handler that asked for another row left it filled
// for that one, so it is filled again for the watched row. Static, as the view may be gone.
TListItem* TCustomListView::ItemAgain(const TItemWatch& Watch, TListItem* Item) {
  if (!Watch.Held()) return nullptr;
  auto* view = const_cast<TCustomListView*>(Watch.View);
  return view->FOwnerData ? view->RowItem(Watch.Index) : Item;
}

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
  const bool cells = OnCustomDrawSubItem || OnAdvancedCustomDrawSubItem;
  const bool items = OnCustomDrawItem || OnAdvancedCustomDrawItem || cells;
  if (Stage == cdPrePaint) {
    if (Target == dtSubItem) return cells;
    return Target == dtItem ? items : OnCustomDraw || OnAdvancedCustomDraw || items;
  }
  if (Target == dtSubItem) return bool(OnAdvancedCustomDrawSubItem);
  if (Target == dtItem) return OnAdvancedCustomDrawItem || OnAdvancedCustomDrawSubItem;
  return OnAdvancedCustomDraw || OnAdvancedCustomDrawItem || OnAdvancedCustomDrawSubItem;
}

bool TCustomListView::CustomDraw(const TRect& ARect, TCustomDrawStage Stage) {
  return FireCustomDraw(this, OnCustomDraw, OnAdvancedCustomDraw, ARect, Stage);
}

bool TCustomListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
  bool defaultDraw = true;
  const TItemWatch watch(this, Item);
  if (Stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, Item, State, defaultDraw);
  // The first handler may have freed the item, or had a lent one filled for another row: the second
  // hears of the row only when it is still there.
  if (!(Item = ItemAgain(watch, Item))) return defaultDraw;
  if (OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, Item, State, Stage, defaultDraw);
  return defaultDraw;
}

bool TCustomListView::CustomDrawSubItem(TListItem* Item, int SubItem, TCustomDrawState State, TCustomDrawStage Stage) {
  bool defaultDraw = true;
  const TItemWatch watch(this, Item);
  if (Stage == cdPrePaint && OnCustomDrawSubItem) OnCustomDrawSubItem(this, Item, SubItem, State, defaultDraw);
  if (!(Item = ItemAgain(watch, Item))) return defaultDraw;
  if (OnAdvancedCustomDrawSubItem) OnAdvancedCustomDrawSubItem(this, Item, SubItem, State, Stage, defaultDraw);
  return defaultDraw;
}

void TCustomListView::GetImageIndex(TListItem* Item) {
  if (OnGetImageIndex) OnGetImageIndex(this, Item);
}

void TCustomListView::GetSubItemImage(TListItem* Item, int SubItem, int& ImageIndex) {
  if (OnGetSubItemImage) OnGetSubItemImage(this, Item, SubItem, ImageIndex);
}

LRESULT TCustomListView::CustomDrawNotice(NMLVCUSTOMDRAW& Notice) {
  const auto wanted = [this](TCustomDrawTarget Target, TCustomDrawStage Stage) { return IsCustomDrawn(Target, Stage); };
  if (!(Notice.nmcd.dwDrawStage & CDDS_ITEM))
    return FCustomDraw->ControlStage(Notice.nmcd, wanted,
                                     [this](const TRect& R, TCustomDrawStage Stage) { return CustomDraw(R, Stage); });
  TListItem* item = RowItem(static_cast<int>(Notice.nmcd.dwItemSpec));
  if (!item) return CDRF_DODEFAULT;
  const TCustomDrawState state = TViewCustomDraw::StateOf(Notice.nmcd);
  const bool cell = (Notice.nmcd.dwDrawStage & CDDS_SUBITEM) != 0;
  return FCustomDraw->ItemStage(
      Notice.nmcd, cell ? dtSubItem : dtItem, Notice.clrText, Notice.clrTextBk, wanted, [&](TCustomDrawStage Stage) {
        return cell ? CustomDrawSubItem(item, Notice.iSubItem, state, Stage) : CustomDrawItem(item, state, Stage);
      });
}

// What the window shows of an item as it draws it (a lent one's state image too): its texts, and its
// images after the events have had their say. A handler that frees the view or the item leaves the
// window no text, which pointed into them.
void TCustomListView::LendDisplay(LVITEMA& It, TListItem* Item) {
  const int sub = It.iSubItem;
  if (FOwnerData && (It.mask & LVIF_STATE)) It.state = INDEXTOSTATEIMAGEMASK(Item->FStateIndex + 1);
  if (It.mask & LVIF_TEXT) {
    FDispText = sub == 0                             ? Item->FCaption
                : sub - 1 < Item->FSubItems->Count() ? Item->FSubItems->Strings(sub - 1)
                                                     : AnsiString();
    It.pszText = const_cast<LPSTR>(FDispText.c_str());
  }
  if (!(It.mask & LVIF_IMAGE)) return;
  const TItemWatch watch(this, Item);
  int image = sub > 0 ? -1 : Item->FImageIndex;
  if (sub > 0)
    GetSubItemImage(Item, sub - 1, image);
  else if (!FOwnerData)
    GetImageIndex(Item);
  if (!watch.Held()) {
    It.pszText = nullptr;
    return;
  }
  It.iImage = sub > 0 || FOwnerData ? image : Item->FImageIndex;
}

void TCustomListView::CNNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  if (!hdr || (FOwnerData && OwnerDataNotify(hdr, Message)) || AskingNotify(Message)) return;
  switch (hdr->code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam)->item;
      if (auto* item = reinterpret_cast<TListItem*>(it.lParam)) LendDisplay(it, item);
      return;
    }
    case NM_CUSTOMDRAW:
      Message.Result = CustomDrawNotice(*reinterpret_cast<NMLVCUSTOMDRAW*>(Message.LParam));
      return;
    case LVN_ITEMCHANGED: {
      auto* n = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      auto* item = reinterpret_cast<TListItem*>(n->lParam);
      if (!item || !(n->uChanged & LVIF_STATE)) return;
      item->FState = n->uNewState & (kSelected | kFocused);
      item->FStateIndex = static_cast<int>((n->uNewState & LVIS_STATEIMAGEMASK) >> 12) - 1;
      const TItemWatch watch(this, item);
      Change(item, ctState);
      // OnChange may have freed the item (or the view): it is looked for again, not touched.
      if (watch.Held() && ((n->uNewState ^ n->uOldState) & kSelected))
        DoSelectItem(item, (n->uNewState & kSelected) != 0);
      return;
    }
    case LVN_COLUMNCLICK: {
      auto* n = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      if (n->iSubItem >= 0 && n->iSubItem < FColumns->Count()) ColClick(FColumns->Items(n->iSubItem));
      return;
    }
    case NM_CLICK:
      Click();
      return;
    case NM_DBLCLK:
      DblClick();
      return;
  }
}

// The header's notices pass through this control to the window; widths dragged there come back to
// the columns, a finished reorder is announced, and so is a right click on a section (at the point
// under the mouse, in this control's client coordinates).
void TCustomListView::HeaderNotify(NMHDR* Header) {
  auto* n = reinterpret_cast<NMHEADERA*>(Header);
  if (n->iItem < 0 || n->iItem >= FColumns->Count()) return;
  if (n->hdr.code == HDN_ITEMCHANGEDA && n->pitem && (n->pitem->mask & HDI_WIDTH)) {
    FColumns->Items(n->iItem)->FWidth = n->pitem->cxy;
  } else if (n->hdr.code == HDN_ENDDRAG) {
    if (OnColumnDragged) OnColumnDragged(this);
  } else if (n->hdr.code == NM_RCLICK) {
    POINT p {};
    GetCursorPos(&p);
    ColRightClick(FColumns->Items(n->iItem), ScreenToClient(TPoint(p.x, p.y)));
  }
}

// ---- Info tips ------------------------------------------------------------------------------------------------

// Over an item, the hint waits for the hover time instead of the application's pause.
void TCustomListView::CMHintShowPause(TMessage& Message) {
  auto* pause = reinterpret_cast<int*>(Message.LParam);
  POINT p {};
  if (!OnInfoTip || !pause || !GetCursorPos(&p)) return;
  const TPoint at = ScreenToClient(TPoint(p.x, p.y));
  LVHITTESTINFO hit { { at.X, at.Y }, 0, -1, 0 };
  if (Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) return;
  UINT hover = 0;
  if (FHoverTime < 0) SystemParametersInfoA(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
  *pause = FHoverTime < 0 ? static_cast<int>(hover) : FHoverTime;
}

// The item's tip, held while the mouse stays on the item; another item asks again.
void TCustomListView::CMHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  Message.Result = 0;
  TListItem* item = OnInfoTip && info ? GetItemAt(info->CursorPos.X, info->CursorPos.Y) : nullptr;
  if (!item) return;
  AnsiString tip;
  const TItemWatch watch(this, item);
  OnInfoTip(this, item, tip);
  if (!watch.Held()) {
    Message.Result = watch.Life.expired() ? 1 : 0;
    return;
  }
  info->CursorRect = item->DisplayRect(drBounds);
  if (!tip.empty()) info->HintStr = tip;
}

void TCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (!life.expired() && HandleAllocated()) DrawWorkAreas(reinterpret_cast<HDC>(Message.WParam));
      return;
    }
    case CM_HINTSHOWPAUSE:
      CMHintShowPause(Message);
      return;
    case CM_HINTSHOW:
      CMHintShow(Message);
      return;
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_KEYDOWN:
    case CN_CHAR:
      if (!IsEditing()) break;
      Message.Result = 0;  // every key belongs to the caption's editor, Enter and Escape included
      return;
    case WM_CTLCOLOREDIT:
      // The caption's editor takes the window's colours, which are this control's Color and Font.
      if (HandleAllocated() &&
          reinterpret_cast<HWND>(Message.LParam) == reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL, 0, 0))) {
        Message.Result = CallWindowProcA(DefWndProc(), Handle(), Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      const bool fromHeader =
          hdr && hdr->hwndFrom && hdr->hwndFrom == reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (fromHeader && !life.expired()) HeaderNotify(hdr);
      return;
    }
    case CM_COLORCHANGED:
    case CM_FONTCHANGED: {
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (life.expired() || !HandleAllocated()) return;
      Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
      Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- Streaming ------------------------------------------------------------------------------------------------

// Items stream as one list: per item its caption, image index, state index and sub-items.
void TCustomListView::DefineProperties(TFiler* Filer) {
  TWinControl::DefineProperties(Filer);
  Filer->DefineProperty("ItemData", TReaderProc(this, &TCustomListView::ReadItems),
                        TWriterProc(this, &TCustomListView::WriteItems), !FOwnerData && FItems->Count() > 0);
}

void TCustomListView::ReadItems(TReader* Reader) {
  Reader->ReadListBegin();
  FItems->BeginUpdate();
  try {
    FItems->Clear();
    while (!Reader->EndOfList()) {
      TListItem* item = FItems->Add();
      item->SetCaption(Reader->ReadString());
      item->SetImageIndex(Reader->ReadInteger());
      const int state = Reader->ReadInteger();
      const int subs = Reader->ReadInteger();
      // State images are 1 to 15 in the window's state bits.
      if (subs < 0 || state < -1 || state > 14) throw EReadError("Invalid list view item data");
      item->SetStateIndex(state);
      for (int k = 0; k < subs; ++k) item->FSubItems->Add(Reader->ReadString());
    }
  } catch (...) {
    FItems->EndUpdate();
    throw;
  }
  FItems->EndUpdate();
  Reader->ReadListEnd();
}

void TCustomListView::WriteItems(TWriter* Writer) {
  Writer->WriteListBegin();
  FItems->ForEachItem([Writer](TListItem* item) {
    Writer->WriteString(item->FCaption);
    Writer->WriteInteger(item->FImageIndex);
    Writer->WriteInteger(item->FStateIndex);
    Writer->WriteInteger(item->FSubItems->Count());
    for (int k = 0; k < item->FSubItems->Count(); ++k) Writer->WriteString(item->FSubItems->Strings(k));
    return true;
  });
  Writer->WriteListEnd();
}

XJ_PUBLISHED(TListColumn,
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Caption)
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(MaxWidth, 0)
  XJ_PROP(MinWidth, 0)
  XJ_PROP(Tag, 0)
  XJ_PROP(Width, 50));
XJ_PUBLISHED(TWorkArea);
XJ_PUBLISHED(TIconOptions,
  XJ_PROP(Arrangement, iaTop)
  XJ_PROP(AutoArrange, false)
  XJ_PROP(WrapText, true));
XJ_PUBLISHED(TCustomListView);
XJ_PUBLISHED(TListView,
  XJ_PROP(Action)
  XJ_PROP(Align, alNone)
  XJ_PROP(AllocBy, 0)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderStyle, bsSingle)
  XJ_PROP(Checkboxes, false)
  XJ_PROP(Color, clWindow) XJ_STORED(IsColorStored)
  XJ_PROP(Columns)
  XJ_PROP(ColumnClick, true)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(FullDrag, false)
  XJ_PROP(GridLines, false)
  XJ_PROP(HideSelection, true)
  XJ_PROP(HotTrack, false)
  XJ_PROP(HotTrackStyles, {})
  XJ_PROP(HoverTime, -1)
  XJ_PROP(IconOptions)
  XJ_PROP(LargeImages)
  XJ_PROP(MultiSelect, false)
  XJ_PROP(OwnerData, false)
  XJ_PROP(OwnerDraw, false)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(RowSelect, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowColumnHeaders, true)
  XJ_PROP(ShowWorkAreas, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(SmallImages)
  XJ_PROP(SortType, stNone)
  XJ_PROP(StateImages)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(ViewStyle, vsIcon)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnAdvancedCustomDraw)
  XJ_EVENT(OnAdvancedCustomDrawItem)
  XJ_EVENT(OnAdvancedCustomDrawSubItem)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanging)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnColumnClick)
  XJ_EVENT(OnColumnDragged)
  XJ_EVENT(OnColumnRightClick)
  XJ_EVENT(OnCompare)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnCustomDraw)
  XJ_EVENT(OnCustomDrawItem)
  XJ_EVENT(OnCustomDrawSubItem)
  XJ_EVENT(OnData)
  XJ_EVENT(OnDataFind)
  XJ_EVENT(OnDataHint)
  XJ_EVENT(OnDataStateChange)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDeletion)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnDrawItem)
  XJ_EVENT(OnEdited)
  XJ_EVENT(OnEditing)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnGetImageIndex)
  XJ_EVENT(OnGetSubItemImage)
  XJ_EVENT(OnInfoTip)
  XJ_EVENT(OnInsert)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnSelectItem)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));

namespace xj::vcl {
bool RegisterComCtrlsViews() {
  static const bool registered = (RegisterClasses({ THeaderControl::StaticClass(), TListView::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
