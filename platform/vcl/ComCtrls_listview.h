#pragma once
// The list view: items with sub-items in four view styles over the native "SysListView32" window, and
// the header control it shares its header class with.

#include <memory>
#include <vector>

#include "platform/vcl/ComCtrls_header.h"
#include "platform/vcl/ComCtrls_treeview.h"  // TSortType, which both views sort by
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/ctl/OrderTree.h"

class TCustomListView;
class TListItems;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
XJ_ENUM_IDENTS(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport);
enum TItemChange { ctText, ctImage, ctState };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TListHotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };
XJ_ENUM_IDENTS(TListHotTrackStyle, htHandPoint, htUnderlineCold, htUnderlineHot);
typedef Set<TListHotTrackStyle> TListHotTrackStyles;
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
typedef Set<TItemState> TItemStates;
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TIconArrangement { iaTop, iaLeft };
XJ_ENUM_IDENTS(TIconArrangement, iaTop, iaLeft);

// ---- Columns ---------------------------------------------------------------------------------------------

class TListColumn : public TCollectionItem {
  XJ_CLASS(TListColumn, TCollectionItem)
 public:
  explicit TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}

  void Assign(TPersistent* Source) override;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // Stored only.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }
  // Follows the user's dragging of the header divider. MaxWidth 0 means no upper limit.
  int Width() const { return FWidth; }
  void SetWidth(int Value);

 protected:
  AnsiString GetDisplayName() const override;

 private:
  friend class TCustomListView;
  TAlignment FAlignment { taLeftJustify };
  bool FAutoSize { false };
  AnsiString FCaption;
  int FImageIndex { -1 };
  int FMaxWidth { 0 };
  int FMinWidth { 0 };
  int FTag { 0 };
  int FWidth { 50 };
};

class TListColumns : public TCollection {
  XJ_CLASS(TListColumns, TCollection)
 public:
  explicit TListColumns(TCustomListView* ListView);

  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  void SetItems(int Index, TListColumn* Value) { TCollection::SetItems(Index, Value); }
  TListColumn* operator[](int Index) const { return Items(Index); }
  TCustomListView* Owner() const { return FListView; }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TCustomListView* FListView;
};

// ---- Items ---------------------------------------------------------------------------------------------------

class TListItem : public TPersistent {
  XJ_CLASS(TListItem, TPersistent)
 public:
  explicit TListItem(TListItems* Owner);
  ~TListItem() override;

  void Assign(TPersistent* Source) override;
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  // Check boxes: state image 2 is checked, 1 unchecked.
  bool Checked() const { return FStateIndex == 1; }
  void SetChecked(bool Value) { SetStateIndex(Value ? 1 : 0); }
  void* Data() const { return FData; }
  void SetData(void* Value);
  bool Focused() const { return (FState & 1) != 0; }
  void SetFocused(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int Index() const;
  TCustomListView* ListView() const;
  TListItems* Owner() const { return FOwner; }
  bool Selected() const { return (FState & 2) != 0; }
  void SetSelected(bool Value);
  // −1: no state image; values are kept within −1..14.
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int Value);
  // Any number of texts; the view shows those that have a column.
  TStrings* SubItems() const { return FSubItems.get(); }
  void SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }

  // Frees the item, as TListItems::Delete does.
  void Delete();
  TRect DisplayRect(TDisplayCode Code) const;
  // Opens the caption's editor (false when the view refuses: ReadOnly, OnEditing).
  bool EditCaption();
  void MakeVisible(bool PartialOK);
  void Update();

 private:
  friend class TListItems;
  friend class TCustomListView;
  // The item an OwnerData view lends for one row at a time: its changes are the application's to keep.
  bool Lent() const;
  void SubItemsChanged(TObject* Sender);
  bool Changing(TItemChange Change);
  void PushState();

  TListItems* FOwner;
  AnsiString FCaption;
  std::unique_ptr<TStringList> FSubItems;
  void* FData { nullptr };
  int FImageIndex { -1 };
  int FStateIndex { -1 };
  UINT FState { 0 };  // LVIS_FOCUSED, LVIS_SELECTED as the window last told
  int FNode { -1 };   // its place among the owner's items while it is one of them
  int FIndex { 0 };   // the index it had when it left them
};

class TListItems : public TPersistent {
  XJ_CLASS(TListItems, TPersistent)
 public:
  explicit TListItems(TCustomListView* Owner);
  ~TListItems() override;

  void Assign(TPersistent* Source) override;
  TListItem* Add();
  // Index 0..Count; anything else raises EListError.
  TListItem* Insert(int Index);
  TListItem* AddItem(TListItem* Item, int Index = -1);
  void Delete(int Index);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int Count() const;
  // OwnerData only (EListError otherwise, and outside 0..100,000,000): the view's rows, which OnData fills.
  void SetCount(int Value);
  // Raises EListError outside 0..Count-1. In an OwnerData view, the one item lent for a row, filled by
  // OnData, valid until the next row is asked for.
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  int IndexOf(const TListItem* Value) const;
  TCustomListView* Owner() const { return FOwner; }

 private:
  friend class TCustomListView;
  friend class TListItem;
  using TItemTree = xj::ctl::OrderTree<std::unique_ptr<TListItem>, xj::ctl::CountSums>;
  TListItem* InsertAt(int Index, std::unique_ptr<TListItem> Item);
  // Items are neither added nor deleted one by one in an OwnerData view: EListError.
  void RefuseOwnerData() const;
  // The items do not change while OnCompare sorts them or while the view is destroyed: EListError.
  void RefuseChange() const;
  // Takes every item out of the tree (and the window), each keeping the index it had.
  std::vector<std::unique_ptr<TListItem>> TakeAll();
  static void Placed(std::unique_ptr<TListItem>& Item, int Node);
  // Calls f on every item in order while it returns true.
  template <class F>
  void ForEachItem(F f) const {
    FItems.ForEachFrom(0, [&](const std::unique_ptr<TListItem>& i) { return f(i.get()); });
  }

  TCustomListView* FOwner;
  TItemTree FItems;  // in a tree, so that an item goes in or out anywhere without renumbering the rest
  int FUpdateCount { 0 };
  bool FSortPending { false };  // items changed under a sort type while updating: sorted at the end
  int FCount { 0 };             // OwnerData: the rows
  std::unique_ptr<TListItem> FLent;
  TListItem* FInserting { nullptr };  // told to OnInsert and the window; nullptr once a handler deleted it
};

// ---- Icon views ----------------------------------------------------------------------------------------------

// How the icon views lay out their items: row by row (iaTop) or column by column (iaLeft), always
// arranged (AutoArrange is what the view does anyway: it keeps no item positions of its own), and
// captions that may wrap onto a second line under their icon (WrapText) or keep to one.
class TIconOptions : public TPersistent {
  XJ_CLASS(TIconOptions, TPersistent)
 public:
  explicit TIconOptions(TCustomListView* AOwner) : FListView(AOwner) {}

  void Assign(TPersistent* Source) override;
  TIconArrangement Arrangement() const { return FArrangement; }
  void SetArrangement(TIconArrangement Value);
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool Value);
  bool WrapText() const { return FWrapText; }
  void SetWrapText(bool Value);

 protected:
  TPersistent* GetOwner() override;

 private:
  TCustomListView* FListView;
  TIconArrangement FArrangement { iaTop };
  bool FAutoArrange { false };
  bool FWrapText { true };
};

// A rectangle of the icon views (view coordinates) the items are laid out in; the first one holds them.
class TWorkArea : public TCollectionItem {
  XJ_CLASS(TWorkArea, TCollectionItem)
 public:
  explicit TWorkArea(TCollection* Collection) : TCollectionItem(Collection) {}

  // The outline's and the name's colour, with ShowWorkAreas.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TRect Rect() const { return FRect; }
  void SetRect(const TRect& Value);
  void SetDisplayName(const AnsiString& Value) override;

 protected:
  AnsiString GetDisplayName() const override { return FDisplayName; }

 private:
  TColor FColor { clWindowText };
  TRect FRect;
  AnsiString FDisplayName;
};

class TWorkAreas : public TCollection {
  XJ_CLASS(TWorkAreas, TCollection)
 public:
  explicit TWorkAreas(TCustomListView* ListView);

  // Raises EListError past the sixteen work areas a view can have.
  TWorkArea* Add();
  TWorkArea* Items(int Index) const { return static_cast<TWorkArea*>(TCollection::Items(Index)); }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TCustomListView* FListView;
};

// ---- The view --------------------------------------------------------------------------------------------

typedef TClosure<void(TObject* Sender, TListItem* Item, TItemChange Change)> TLVChangeEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)> TLVChangingEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, bool Selected)> TLVSelectItemEvent;
typedef TClosure<void(TObject* Sender, TListColumn* Column)> TLVColumnClickEvent;
typedef TClosure<void(TObject* Sender, TListColumn* Column, TPoint Point)> TLVColumnRClickEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)> TLVCompareEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item)> TLVDeletedEvent;
typedef TClosure<void(TCustomListView* Sender, TListItem* Item, TRect Rect, TOwnerDrawState State)> TLVDrawItemEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, bool& AllowEdit)> TLVEditingEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, AnsiString& S)> TLVEditedEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, AnsiString& InfoTip)> TLVInfoTipEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item)> TLVOwnerDataEvent;
typedef TClosure<void(TObject* Sender, TListItem* Item, int SubItem, int& ImageIndex)> TLVSubItemImageEvent;
typedef TClosure<void(TCustomListView* Sender, const TRect& ARect, bool& DefaultDraw)> TLVCustomDrawEvent;
typedef TClosure<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>
    TLVCustomDrawItemEvent;
typedef TClosure<void(TCustomListView* Sender, TListItem* Item, int SubItem, TCustomDrawState State, bool& DefaultDraw)>
    TLVCustomDrawSubItemEvent;
typedef TClosure<void(TCustomListView* Sender, const TRect& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>
    TLVAdvancedCustomDrawEvent;
typedef TClosure<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage,
                      bool& DefaultDraw)>
    TLVAdvancedCustomDrawItemEvent;
typedef TClosure<void(TCustomListView* Sender, TListItem* Item, int SubItem, TCustomDrawState State,
                      TCustomDrawStage Stage, bool& DefaultDraw)>
    TLVAdvancedCustomDrawSubItemEvent;
typedef TClosure<void(TObject* Sender, int StartIndex, int EndIndex)> TLVOwnerDataHintEvent;
typedef TClosure<void(TObject* Sender, TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                      void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>
    TLVOwnerDataFindEvent;
typedef TClosure<void(TObject* Sender, int StartIndex, int EndIndex, TItemStates OldState, TItemStates NewState)>
    TLVOwnerDataStateChangeEvent;
typedef int (*TLVCompare)(TListItem* Item1, TListItem* Item2, int Data);

// Items, sub-items in columns, images, check boxes and selection as a user of the class library expects:
// clicks and keys select (several with Ctrl and Shift when MultiSelect), Space ticks the focused
// item's check box, the header's dividers resize the columns and, with FullDrag, its sections reorder
// them. OnSelectItem and OnChange follow every change of an item's state, whoever made it.
// SortType keeps the items sorted by caption (stText), by Data (stData) or both, through OnCompare
// when assigned. With OwnerDraw, report rows are drawn by OnDrawItem.
// With OwnerData the view holds no items: the application sets Items.Count and OnData fills one lent item
// for each row shown; OnDataHint tells which rows a paint is about to ask for, OnDataFind answers
// type-ahead and FindCaption, and OnDataStateChange tells of a selection made or cleared over a range.
// Switching OwnerData drops the items (on) or the count (off).
//
// Any handler may free the view, clear or change its items, switch OwnerData or ViewStyle: the view
// touches nothing of itself, nor of an item a handler deleted, after the handler returns (an item is found
// again by its index). What cannot be made safe raises EListError instead: changing the items from
// OnCompare (or freeing the view there) while AlphaSort, CustomSort or a sorted Add place them; OnInsert
// deleting the item it is told of (or freeing the view), which Add and Insert would return; and an
// OwnerData view freed by OnData while an item is asked of Items.Item (a paint asking for rows just stops).
//
// Custom draw, as the tree view has it (Canvas on the paint's DC, Font and Brush in the colours the item
// would have; changing them colours the item, across the whole row in the report view; clearing
// DefaultDraw leaves it to the handler), with OnCustomDrawSubItem and OnAdvancedCustomDrawSubItem for each
// report column of an item (SubItem 0 the caption's column), starting from the colours the item's own
// events gave. Items are asked about only while an item or sub-item event is assigned. OnGetImageIndex
// (which may set the item's ImageIndex) and OnGetSubItemImage (SubItem counting SubItems from 0; no image
// unless it sets one, from SmallImages) are asked each time an item is drawn.
class TCustomListView : public TWinControl {
  XJ_CLASS(TCustomListView, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TCanvas* Canvas() const;
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool Value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool Value);
  TListColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TListColumns* Value) { FColumns->Assign(Value); }
  bool FullDrag() const { return FFullDrag; }
  void SetFullDrag(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  TIconOptions* IconOptions() const { return FIconOptions.get(); }
  void SetIconOptions(TIconOptions* Value) { FIconOptions->Assign(Value); }
  // The focused or first selected item, -1 for none; setting selects that item alone.
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TListItem* ItemFocused() const;
  void SetItemFocused(TListItem* Value);
  TListItems* Items() const { return FItems.get(); }
  void SetItems(TListItems* Value) { FItems->Assign(Value); }
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool OwnerData() const { return FOwnerData; }
  void SetOwnerData(bool Value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  int SelCount() const;
  // The first selected item, nullptr for none; setting selects it alone.
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType Value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* Value);
  TListItem* TopItem();
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  int VisibleRowCount();
  // Room made ahead for this many items, so that adding them allocates nothing more (a hint).
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value);
  // htHandPoint: one click activates an item, the hand shows over the hot one; otherwise either
  // underline asks for two-click activation (a click on a selected item). htUnderlineHot underlines
  // the hot item's caption, htUnderlineCold the others'.
  TListHotTrackStyles HotTrackStyles() const { return FHotTrackStyles; }
  void SetHotTrackStyles(TListHotTrackStyles Value);
  // How long the mouse rests on an item before its info tip shows, in milliseconds; -1: the
  // system's hover time.
  int HoverTime() const { return FHoverTime; }
  void SetHoverTime(int Value) { FHoverTime = Value; }
  // No caption editing (F2, a slow second click, EditCaption).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Outlines the work areas, each with its name, in the icon views.
  bool ShowWorkAreas() const { return FShowWorkAreas; }
  void SetShowWorkAreas(bool Value);
  TWorkAreas* WorkAreas() const { return FWorkAreas.get(); }

  // Sorts by caption, or by OnCompare when assigned.
  bool AlphaSort();
  bool CustomSort(TLVCompare SortProc, int Data);
  // The item under a client point, nullptr for none.
  TListItem* GetItemAt(int X, int Y);
  // The first item from StartIndex (after it unless Inclusive) whose caption is Value, or starts with it
  // when Partial, ignoring case; past the last to the first when Wrap. nullptr for none.
  TListItem* FindCaption(int StartIndex, const AnsiString& Value, bool Partial, bool Inclusive, bool Wrap);
  // A caption's editor is open.
  bool IsEditing() const;
  void Clear() { FItems->Clear(); }
  // Pixels; report view moves by whole rows.
  void Scroll(int DX, int DY);

  void Dispatch(TMessage& Message) override;

  TLVChangeEvent OnChange;
  TLVColumnClickEvent OnColumnClick;
  TNotifyEvent OnColumnDragged;
  TLVCompareEvent OnCompare;
  TLVOwnerDataEvent OnData;
  TLVOwnerDataFindEvent OnDataFind;
  TLVOwnerDataHintEvent OnDataHint;
  TLVOwnerDataStateChangeEvent OnDataStateChange;
  // Told of each item leaving: Delete, Clear, switching OwnerData on, and the view's destruction. While
  // the view is destroyed, the handler may read the item (its caption, data, sub-items) and free what
  // its Data points to, but not free the view, which is being freed; the view has no window any more and
  // its items may not change (EListError, reported, the next item still told).
  TLVDeletedEvent OnDeletion;
  TLVDrawItemEvent OnDrawItem;
  TLVDeletedEvent OnInsert;
  TLVSelectItemEvent OnSelectItem;
  TLVOwnerDataEvent OnGetImageIndex;
  TLVSubItemImageEvent OnGetSubItemImage;
  TLVCustomDrawEvent OnCustomDraw;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVCustomDrawSubItemEvent OnCustomDrawSubItem;
  TLVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
  TLVAdvancedCustomDrawSubItemEvent OnAdvancedCustomDrawSubItem;
  // Asked before an item's state (selection, focus, check box), caption or image changes; refusing
  // keeps the item as it was, and OnChange does not follow.
  TLVChangingEvent OnChanging;
  // A right click on a header section: its column and the point, in client coordinates.
  TLVColumnRClickEvent OnColumnRightClick;
  // OnEditing may refuse to open a caption's editor; OnEdited hears the text Enter or the focus
  // leaving kept (not after Escape) and may change it; the item takes what it leaves.
  TLVEditedEvent OnEdited;
  TLVEditingEvent OnEditing;
  // The hint over an item (with ShowHint on), asked once the mouse has rested there for HoverTime; an
  // empty text leaves the control's own hint.
  TLVInfoTipEvent OnInfoTip;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Change(TListItem* Item, TItemChange Change);
  virtual bool CanChange(TListItem* Item, TItemChange Change);
  virtual bool CanEdit(TListItem* Item);
  virtual void Edit(TListItem* Item, const AnsiString& S);
  virtual void ColClick(TListColumn* Column);
  virtual void ColRightClick(TListColumn* Column, TPoint Point);
  virtual void Delete(TListItem* Item);
  virtual void DoSelectItem(TListItem* Item, bool Selected);
  virtual void DrawItem(TListItem* Item, TRect Rect, TOwnerDrawState State);
  virtual void InsertItem(TListItem* Item);
  // Negative, zero or positive as Item1 sorts before, with or after Item2 under SortType.
  virtual int CompareItems(TListItem* Item1, TListItem* Item2, int Data);
  // Custom draw: whether an event is assigned for the target at the stage, and the events themselves,
  // each returning DefaultDraw.
  virtual bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage);
  virtual bool CustomDraw(const TRect& ARect, TCustomDrawStage Stage);
  virtual bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage);
  virtual bool CustomDrawSubItem(TListItem* Item, int SubItem, TCustomDrawState State, TCustomDrawStage Stage);
  // The item is about to be drawn: fire OnGetImageIndex, and OnGetSubItemImage for a sub-item's image.
  virtual void GetImageIndex(TListItem* Item);
  virtual void GetSubItemImage(TListItem* Item, int SubItem, int& ImageIndex);

 private:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumns;
  friend class TIconOptions;
  friend class TWorkAreas;
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  DWORD ViewStyleBits() const;
  DWORD ExtendedStyle() const;
  void UpdateStyle();
  void UpdateExtendedStyle();
  void UpdateColumns();
  void UpdateImageLists();
  void UpdateWorkAreas();
  void DrawWorkAreas(HDC Given);
  void InsertNative(TListItem* Item);
  // Sorts the items by `Less` and the window's rows with them.
  void SortBy(const std::function<int(TListItem*, TListItem*)>& Compare);
  // Where an item belongs under SortType (the items are sorted).
  int SortedPosition(TListItem* Item);
  // An item's caption or data changed under a sort type: sorted now, or once updating ends.
  void Resort();
  // The item a window row points back at, nullptr when it is not one of the items (any more).
  TListItem* ItemOf(LPARAM Param) const;
  TListItem* NoticeItem(int Index, LPARAM Param);
  bool AskingNotify(TMessage& Message);
  void CNNotify(TMessage& Message);
  // Whether Item is still the item at Index after a handler ran.
  bool StillAt(int Index, const TListItem* Item) const;
  // An item as a handler may leave it: Held() says whether the view is still there and the item still at
  // the index it had (in an OwnerData view, whether the row still is). The item is not touched for it.
  struct TItemWatch {
    TItemWatch(const TCustomListView* View, const TListItem* Item);
    TItemWatch(const TCustomListView* View, const TListItem* Item, int Index);
    bool Held() const;
    std::weak_ptr<const void> Life;
    const TCustomListView* View;
    const TListItem* Item;
    int Index;
  };
  // The watched item after a handler ran (lent again in an owner-data view); null when it is gone.
  static TListItem* ItemAgain(const TItemWatch& Watch, TListItem* Item);
  // Sets the window row's state bits in Mask (row -1: every row).
  void SetRowState(int Index, UINT Mask, UINT State);
  // Selects row Index alone, focused and shown (-1: none).
  void SelectRow(int Index);
  // The item at a row, lent when OwnerData; nullptr outside the rows or when OnData freed the view.
  TListItem* RowItem(int Index);
  // Compare's answer; EListError when the handler freed the view.
  int Compared(const std::function<int(TListItem*, TListItem*)>& Compare, TListItem* A, TListItem* B);
  // Tells OnDeletion of the items taken out, while the view lasts.
  void Deleted(std::vector<std::unique_ptr<TListItem>> Gone);
  LRESULT CustomDrawNotice(NMLVCUSTOMDRAW& Notice);
  void LendDisplay(LVITEMA& It, TListItem* Item);
  // OwnerData: the lent item filled for row Index by OnData, its states from the window; nullptr when
  // OnData freed the view or took the row away.
  TListItem* LendItem(int Index);
  // The notices only an OwnerData view gets, and its rows' texts and changes; false for the others.
  bool OwnerDataNotify(NMHDR* Header, TMessage& Message);
  void LentItemChanged(const NMLISTVIEW* Change);
  void CMHintShowPause(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void HeaderNotify(NMHDR* Header);
  void ReadItems(TReader* Reader);
  void WriteItems(TWriter* Writer);

  std::unique_ptr<TListColumns> FColumns;
  std::unique_ptr<TListItems> FItems;
  std::unique_ptr<TIconOptions> FIconOptions;
  std::unique_ptr<TWorkAreas> FWorkAreas;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<TViewCustomDraw> FCustomDraw;
  TCustomImageList* FLargeImages { nullptr };
  TCustomImageList* FSmallImages { nullptr };
  TCustomImageList* FStateImages { nullptr };
  TBorderStyle FBorderStyle { bsSingle };
  TViewStyle FViewStyle { vsIcon };
  TSortType FSortType { stNone };
  bool FCheckboxes { false };
  bool FColumnClick { true };
  bool FFullDrag { false };
  bool FGridLines { false };
  bool FHideSelection { true };
  bool FHotTrack { false };
  bool FMultiSelect { false };
  bool FOwnerDraw { false };
  bool FRowSelect { false };
  bool FShowColumnHeaders { true };
  int FAllocBy { 0 };
  TListHotTrackStyles FHotTrackStyles;
  int FHoverTime { -1 };
  bool FOwnerData { false };
  bool FReadOnly { false };
  bool FShowWorkAreas { false };
  bool FSorting { false };     // OnCompare is being asked: the items may not change
  bool FDestroying { false };  // OnDeletion is told of the items of a view being destroyed
  AnsiString FDispText;        // the text last lent to the window
};

class TListView : public TCustomListView {
  XJ_CLASS(TListView, TCustomListView)
 public:
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}
};

XJ_UNIT_REGISTRATION(RegisterComCtrlsViews)
