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
  if (Value < 0 || Value > kMaxRows) throw EListError::CreateFmt("List count out of bounds (%d)", Value);
  FCount = Value;
  if (FOwner->HandleAllocated()) FOwner->Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(Value), 0);
}

void TListItems::RefuseOwnerData() const {
  if (FOwner->FOwnerData)
    throw EListError("An OwnerData list view holds no items to add or delete: set Items.Count instead");
}

// Switching drops what the view had: its items when OwnerData comes on, its count when it goes off.
void TCustomListView::SetOwnerData(bool Value) {
  if (FOwnerData == Value) return;
  if (Value) FItems->Clear();
  FItems->FCount = 0;
  FOwnerData = Value;
  UpdateStyle();
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
  if (OnData) OnData(this, item);
  return item;
}

// A row's state changed: OnChange and OnSelectItem see it through the lent item, filled again for the
// second in case OnChange asked for other rows or changed the count.
void TCustomListView::LentItemChanged(const NMLISTVIEW* Change) {
  const int index = Change->iItem;
  if (index < 0 || index >= FItems->Count()) return;
  auto life = LifeToken();
  this->Change(LendItem(index), ctState);
  if (life.expired() || index >= FItems->Count()) return;
  if ((Change->uNewState ^ Change->uOldState) & LVIS_SELECTED)
    DoSelectItem(LendItem(index), (Change->uNewState & LVIS_SELECTED) != 0);
}

bool TCustomListView::OwnerDataNotify(NMHDR* Header, TMessage& Message) {
  switch (Header->code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(Header)->item;
      if (it.iItem < 0 || it.iItem >= FItems->Count()) return true;
      TListItem* item = LendItem(it.iItem);
      if ((it.mask & LVIF_IMAGE) && it.iSubItem > 0) {
        int image = -1;
        GetSubItemImage(item, it.iSubItem - 1, image);
        it.iImage = image;
      } else if (it.mask & LVIF_IMAGE) {
        it.iImage = item->FImageIndex;
      }
      if (it.mask & LVIF_STATE) it.state = INDEXTOSTATEIMAGEMASK(item->FStateIndex + 1);
      if (!(it.mask & LVIF_TEXT)) return true;
      const int sub = it.iSubItem;
      FDispText = sub == 0                             ? item->FCaption
                  : sub - 1 < item->FSubItems->Count() ? item->FSubItems->Strings(sub - 1)
                                                       : AnsiString();
      it.pszText = const_cast<LPSTR>(FDispText.c_str());
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
  const int index = static_cast<int>(Send(LVM_FINDITEMA, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&find)));
  return index >= 0 && index < FItems->Count() ? FItems->Item(index) : nullptr;
}
