// TCollection, TCollectionItem.

#include <algorithm>

#include "platform/vcl/Classes.h"
#include "platform/win32/Scoped.h"

namespace {

// Runs EndUpdate on the way out, also when a step raised.
struct TUpdateGuard {
  explicit TUpdateGuard(TCollection* c) : C(c) { C->BeginUpdate(); }
  ~TUpdateGuard() { C->EndUpdate(); }
  TCollection* C;
};

}  // namespace

XJ_PUBLISHED(TCollectionItem);

// ---- TCollectionItem ----------------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  const int current = Index();
  if (current < 0 || current == Value) return;
  auto& items = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<int>(items.size()))
    throw EListError::CreateFmt("List index out of bounds (%d)", Value);
  items.erase(items.begin() + current);
  items.insert(items.begin() + Value, this);
  Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

// ---- TCollection --------------------------------------------------------------------------------------

TCollection::TCollection(TClass ItemClass) : FItemClass(ItemClass) {
  if (ItemClass && ItemClass->InheritsFrom(TCollectionItem::StaticClass()))
    FCreateItem = GetClassConstructor(ItemClass);
  if (!FCreateItem)
    throw EComponentError::CreateFmt("Cannot create items of class %s", ItemClass ? ItemClass->Name : "nil");
}

TCollection::~TCollection() {
  // No Update while the collection goes away.
  FUpdateCount = 1;
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add() {
  // Update comes after the item's constructor has finished, never from inside it.
  TUpdateGuard guard(this);
  return dynamic_cast<TCollectionItem*>(FCreateItem(this));
}

TCollectionItem* TCollection::Insert(int Index) {
  TUpdateGuard guard(this);
  TCollectionItem* item = Add();
  xj::ScopeExit refused([item] { delete item; });
  item->SetIndex(Index);
  refused.Dismiss();
  return item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  TUpdateGuard guard(this);
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError::CreateFmt("List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::EndUpdate() {
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCollection*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  TUpdateGuard guard(this);
  Clear();
  for (TCollectionItem* item : source->FItems) Add()->Assign(item);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  const auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}
