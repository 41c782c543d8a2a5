// The list view's OwnerData mode: the window keeps a count and the rows' states, the application keeps
// everything else and lends it one row at a time through OnData into a single reused item; searching
// (type-ahead, FindCaption) and range selections go through OnDataFind and OnDataStateChange.

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"

namespace {

constexpr int kMaxRows = 100000000;  // as many rows as the native view takes
constexpr UINT kRowStates = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;

TItemStates StatesOf(UINT bits) {
  TItemStates states;
  if (bits & LVIS_FOCUSED) states << isFocused;
  if (bits & LVIS_SELECTED) states << isSelected;
  return states;
}

TItemFind FindKind(UINT flags) {
  if (flags & LVFI_PARAM) return ifData;
  if (flags & LVFI_STRING) return flags & LVFI_PARTIAL ? ifPartialString : ifExactString;
  return ifNearest;
}

TSearchDirection DirectionOf(UINT vk) {
  switch (vk) {
    case VK_LEFT:
      return sdLeft;
    case VK_RIGHT:
      return sdRight;
    case VK_UP:
      return sdAbove;
    case VK_DOWN:
      return sdBelow;
    default:
      return sdAll;
  }
}

}  // namespace

bool TListItem::Lent() const { return FNode < 0 && FOwner->FLent.get() == this; }

int TListItems::Count() const { return FOwner->FOwnerData ? FCount : static_cast<int>(FItems.Size()); }

void TListItems::SetCount(int Value) {
  if (!FOwner->FOwnerData) throw EListError("Items.Count can be set only in an OwnerData list view");
  RefuseChange();
  if (Value < 0 || Value > kMaxRows) throw EListError::CreateFmt("List count out of bounds (%d)", Value);
  FCount = Value;
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(Value), 0);
}

void TListItems::RefuseChange() const {
  if (FOwner->FSorting) throw EListError("The list view's items cannot change while OnCompare sorts them");
  if (FOwner->FDestroying) throw EListError("The list view's items cannot change while it is destroyed");
}

void TListItems::RefuseOwnerData() const {
  RefuseChange();
  if (FOwner->FOwnerData)
    throw EListError("An OwnerData list view holds no items to add or delete: set Items.Count instead");
}

// Switching drops what the view had: its items when OwnerData comes on, its count when it goes off.
// The items' OnDeletion comes once the switch is made (a handler adding items is refused then).
void TCustomListView::SetOwnerData(bool Value) {
  if (FOwnerData == Value) return;
  FItems->RefuseChange();
  auto life = LifeToken();
  std::vector<std::unique_ptr<TListItem>> gone;
  if (Value) gone = FItems->TakeAll();
  if (life.expired()) return;
  FItems->FCount = 0;
  FOwnerData = Value;
  UpdateStyle();
  Deleted(std::move(gone));
}

TListItem* TCustomListView::LendItem(int Index) {
  if (!FItems->FLent) FItems->FLent = std::make_unique<TListItem>(FItems.get());
  TListItem* item = FItems->FLent.get();
  const UINT state = static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(Index), kRowStates));
  item->FIndex = Index;
  item->FCaption.clear();
  item->FData = nullptr;
  item->FImageIndex = -1;
  item->FStateIndex = FCheckboxes ? static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) - 1 : -1;
  item->FState = state & (LVIS_SELECTED | LVIS_FOCUSED);
  item->FSubItems->Clear();
  if (!OnData) return item;
  auto life = LifeToken();
  OnData(this, item);
  return !life.expired() && StillAt(Index, item) ? item : nullptr;
}

// A row's state changed: OnChange and OnSelectItem see it through the lent item, filled again for the
// second in case OnChange asked for other rows or changed the count.
void TCustomListView::LentItemChanged(const NMLISTVIEW* Change) {
  const int index = Change->iItem;
  TListItem* item = RowItem(index);
  if (!item) return;
  const TItemWatch watch(this, item, index);
  this->Change(item, ctState);
  if (!watch.Held() || !((Change->uNewState ^ Change->uOldState) & LVIS_SELECTED)) return;
  if (TListItem* again = RowItem(index)) DoSelectItem(again, (Change->uNewState & LVIS_SELECTED) != 0);
}

bool TCustomListView::OwnerDataNotify(NMHDR* Header, TMessage& Message) {
  switch (Header->code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(Header)->item;
      if (TListItem* item = RowItem(it.iItem)) LendDisplay(it, item);
      return true;
    }
    case LVN_ITEMCHANGED:
      LentItemChanged(reinterpret_cast<NMLISTVIEW*>(Header));
      return true;
    case LVN_ODCACHEHINT: {
      auto* hint = reinterpret_cast<NMLVCACHEHINT*>(Header);
      if (OnDataHint) OnDataHint(this, hint->iFrom, hint->iTo);
      return true;
    }
    case LVN_ODSTATECHANGED: {
      auto* n = reinterpret_cast<NMLVODSTATECHANGE*>(Header);
      if (OnDataStateChange) OnDataStateChange(this, n->iFrom, n->iTo, StatesOf(n->uOldState), StatesOf(n->uNewState));
      return true;
    }
    case LVN_ODFINDITEMA: {
      const NMLVFINDITEMA* n = reinterpret_cast<NMLVFINDITEMA*>(Header);
      const LVFINDINFOA& f = n->lvfi;
      int index = -1;
      if (OnDataFind)
        OnDataFind(this, FindKind(f.flags), AnsiString(f.psz ? f.psz : ""), TPoint(f.pt.x, f.pt.y),
                   reinterpret_cast<void*>(f.lParam), n->iStart, DirectionOf(f.vkDirection), (f.flags & LVFI_WRAP) != 0,
                   index);
      Message.Result = index;
      return true;
    }
  }
  return false;
}

TListItem* TCustomListView::FindCaption(int StartIndex, const AnsiString& Value, bool Partial, bool Inclusive,
                                        bool Wrap) {
  HandleNeeded();
  LVFINDINFOA find {};
  find.flags = LVFI_STRING | (Partial ? LVFI_PARTIAL : 0) | (Wrap ? LVFI_WRAP : 0);
  find.psz = Value.c_str();
  const int from = Inclusive ? StartIndex - 1 : StartIndex;
  auto life = LifeToken();  // OnDataFind may free the view
  const int index = static_cast<int>(Send(LVM_FINDITEMA, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&find)));
  return life.expired() ? nullptr : RowItem(index);
}
