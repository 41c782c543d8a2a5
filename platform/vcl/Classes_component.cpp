// TComponent: ownership, names, notification and state; class registration by name.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/vcl/Classes.h"
#include "platform/win32/Scoped.h"

thread_local bool TComponent::FCreatingForReader = false;  // each thread's reader its own
TComponent* (*FindGlobalComponent)(const AnsiString& Name) = nullptr;
TNotifyEvent ApplicationHandleException;

XJ_PUBLISHED(TComponent,
  XJ_PROP(Name) XJ_NOT_STORED
  XJ_PROP(Tag, 0));

namespace {

bool IsValidIdent(const AnsiString& s) {
  auto alpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
  if (s.empty() || !alpha(static_cast<unsigned char>(s[0]))) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char c) {
    return alpha(static_cast<unsigned char>(c)) || digit(static_cast<unsigned char>(c));
  });
}

// Below this many components a search of the list is as quick as an index.
constexpr size_t kIndexFrom = 32;

bool OwnedWithin(const TComponent* c, const TComponent* Within) {
  for (const TComponent* p = c->Owner(); p; p = p->Owner())
    if (p == Within) return true;
  return false;
}

}  // namespace

// Components in the order they came. A short list is searched and closes up at once. A long one has an
// index of places, and one taken out leaves a hole that is closed up when the list is next read by
// position or when holes outnumber the rest: freeing thousands one by one, in any order, stays linear.
struct TComponentList {
  std::vector<TComponent*> Items;  // holes are null; the last is never one
  size_t Holes { 0 };
  std::unordered_map<const TComponent*, size_t> Slots;  // empty below kIndexFrom

  size_t Count() const { return Items.size() - Holes; }
  TComponent* Last() const { return Items.empty() ? nullptr : Items.back(); }
  bool Contains(const TComponent* c) const { return Find(c) >= 0; }

  ptrdiff_t Find(const TComponent* c) const {
    if (!Slots.empty()) {
      const auto it = Slots.find(c);
      return it == Slots.end() ? -1 : static_cast<ptrdiff_t>(it->second);
    }
    // From the end: components mostly leave in the reverse order of their coming.
    for (size_t i = Items.size(); i-- > 0;)
      if (Items[i] == c) return static_cast<ptrdiff_t>(i);
    return -1;
  }

  void Add(TComponent* c) {
    Items.push_back(c);
    if (!Slots.empty())
      Slots.emplace(c, Items.size() - 1);
    else if (Items.size() >= kIndexFrom)
      Reindex();
  }

  bool Erase(const TComponent* c) {
    const ptrdiff_t at = Find(c);
    if (at < 0) return false;
    if (Slots.empty()) {
      Items.erase(Items.begin() + at);
      return true;
    }
    Slots.erase(c);
    Items[static_cast<size_t>(at)] = nullptr;
    ++Holes;
    while (!Items.empty() && !Items.back()) {
      Items.pop_back();
      --Holes;
    }
    if (Holes > Count()) Compact();
    return true;
  }

  // Afterwards Items holds the components by position.
  void Compact() {
    if (!Holes) return;
    std::erase(Items, nullptr);
    Holes = 0;
    Reindex();
  }

  void Reindex() {
    Slots.clear();
    if (Items.size() < kIndexFrom) return;
    for (size_t i = 0; i < Items.size(); ++i) Slots.emplace(Items[i], i);
  }

  // By position: f may add to the list.
  template <class F>
  void ForEach(F f) const {
    for (size_t i = 0; i < Items.size(); ++i)
      if (Items[i]) f(Items[i]);
  }
};

// Keyed as SameText compares: by the upper-case name.
struct TComponentNames {
  std::unordered_map<AnsiString, TComponent*> ByName;
};

TComponent::TComponent(TComponent* AOwner) {
  if (FCreatingForReader) {
    // Only the component the reader asked for, not what its constructor creates in turn.
    FCreatingForReader = false;
    FComponentState << csLoading;
  }
  if (!AOwner) return;
  // A refused insert (a Notification that raised) must not leave the owner pointing at us.
  xj::ScopeExit refused([this] {
    if (FOwner) FOwner->Remove(this);
  });
  AOwner->InsertComponent(this);
  refused.Dismiss();
}

TComponent::~TComponent() {
  Destroying();
  TellHolders();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const AnsiString& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError::CreateFmt("'%s' is not a valid component name", NewName);
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(false);
  const AnsiString oldName = FName;
  ChangeName(NewName);
  try {
    SetReference(true);
  } catch (...) {
    ChangeName(oldName);
    SetReference(true);
    throw;
  }
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName) {
  if (AComponent && !NewName.empty() && !SameText(CurName, NewName) && FindComponent(NewName))
    throw EComponentError::CreateFmt("A component named %s already exists", NewName);
}

void TComponent::SetReference(bool Enable) {
  // An owner in its destructor has lost its derived part, fields included: leave them alone.
  if (!FOwner || FName.empty() || FOwner->FComponentState.Contains(csDestroying)) return;
  if (SetPublishedField(FOwner, FName, Enable ? this : nullptr) == pfMismatch && Enable)
    throw EComponentError::CreateFmt("Field %s.%s cannot hold a %s", FOwner->ClassName(), FName, ClassName());
}

TComponentList& TComponent::Owned() {
  if (!FComponents) FComponents = std::make_unique<TComponentList>();
  return *FComponents;
}

int TComponent::ComponentCount() const { return FComponents ? static_cast<int>(FComponents->Count()) : 0; }

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError::CreateFmt("List index out of bounds (%d)", Index);
  FComponents->Compact();
  return FComponents->Items[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  TComponentList& list = *FOwner->FComponents;
  list.Compact();
  return static_cast<int>(list.Find(this));
}

void TComponent::SetComponentIndex(int Value) {
  if (!FOwner) return;
  TComponentList& list = *FOwner->FComponents;
  list.Compact();
  Value = std::clamp(Value, 0, static_cast<int>(list.Count()) - 1);
  const int current = static_cast<int>(list.Find(this));
  if (current == Value) return;
  list.Items.erase(list.Items.begin() + current);
  list.Items.insert(list.Items.begin() + Value, this);
  list.Reindex();
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  ValidateInsert(AComponent);
  ValidateRename(AComponent, AnsiString(), AComponent->FName);
  // Never two owners: a component that moves leaves its old owner first.
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  AComponent->SetReference(true);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  AComponent->TellHolders(this);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  Owned().Add(AComponent);
  AComponent->FOwner = this;
  if (FNameIndex) {
    IndexName(AComponent, true);
  } else if (FComponents->Count() >= kIndexFrom) {
    FNameIndex = std::make_unique<TComponentNames>();
    FComponents->ForEach([this](TComponent* c) { IndexName(c, true); });
  }
}

void TComponent::Remove(TComponent* AComponent) {
  IndexName(AComponent, false);
  FComponents->Erase(AComponent);
  AComponent->FOwner = nullptr;
}

void TComponent::IndexName(TComponent* AComponent, bool Add) {
  if (!FNameIndex || AComponent->FName.empty()) return;
  if (Add) {
    FNameIndex->ByName.emplace(UpperCase(AComponent->FName), AComponent);
    return;
  }
  const auto it = FNameIndex->ByName.find(UpperCase(AComponent->FName));
  if (it != FNameIndex->ByName.end() && it->second == AComponent) FNameIndex->ByName.erase(it);
}

void TComponent::ChangeName(const AnsiString& NewName) {
  if (FOwner) FOwner->IndexName(this, false);
  FName = NewName;
  if (FOwner) FOwner->IndexName(this, true);
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  if (FNameIndex) {
    const auto it = FNameIndex->ByName.find(UpperCase(AName));
    return it == FNameIndex->ByName.end() ? nullptr : it->second;
  }
  if (FComponents)
    for (TComponent* c : FComponents->Items)
      if (c && SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::DestroyComponents() {
  while (TComponent* instance = FComponents ? FComponents->Last() : nullptr) {
    // One in a pair tells the other before it goes; the rest are going too and need not hear.
    if (instance->FComponentState.Contains(csFreeNotification) ||
        (FComponentState.Contains(csDesigning) && FComponentState.Contains(csInline))) {
      RemoveComponent(instance);
    } else {
      instance->SetReference(false);
      Remove(instance);
    }
    delete instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState << csDestroying;
  if (FComponents) FComponents->ForEach([](TComponent* c) { c->Destroying(); });
}

// The owned components are not told: each that holds another has a pair with it.
void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  if (AComponent != this && !(FFreeNotifies && FFreeNotifies->Contains(AComponent))) {
    if (!FFreeNotifies) FFreeNotifies = std::make_unique<TComponentList>();
    FFreeNotifies->Add(AComponent);
    AComponent->FreeNotification(this);
  }
  FComponentState << csFreeNotification;
}

void TComponent::TellHolders(const TComponent* Within) {
  if (!FFreeNotifies) return;
  // Out of the pair before notifying: the receiver may look at its pairs.
  auto tell = [this](TComponent* other) {
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  };
  if (!Within) {
    while (TComponent* other = FFreeNotifies->Last()) {
      FFreeNotifies->Erase(other);
      tell(other);
    }
    return;
  }
  // A receiver may end other pairs, or free their components: those are skipped.
  std::vector<TComponent*> held;
  FFreeNotifies->ForEach([&](TComponent* c) {
    if (OwnedWithin(c, Within)) held.push_back(c);
  });
  for (auto it = held.rbegin(); it != held.rend(); ++it)
    if (FFreeNotifies->Erase(*it)) tell(*it);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  if (FFreeNotifies) FFreeNotifies->Erase(AComponent);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value)
    FComponentState << csDesigning;
  else
    FComponentState >> csDesigning;
  if (SetChildren && FComponents) FComponents->ForEach([Value](TComponent* c) { c->SetDesigning(Value, true); });
}

void TComponent::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  auto word = [this](int shift) {
    return static_cast<int16_t>((static_cast<uint32_t>(FDesignInfo) >> shift) & 0xFFFF);
  };
  auto setWord = [this](int shift, int value) {
    const uint32_t mask = 0xFFFFu << shift;
    FDesignInfo = static_cast<int32_t>((static_cast<uint32_t>(FDesignInfo) & ~mask) |
                                       ((static_cast<uint32_t>(value) & 0xFFFFu) << shift));
  };
  Filer->DefineProperty("Left", TReaderProc::FromCallable([setWord](TReader* r) { setWord(0, r->ReadInteger()); }),
                        TWriterProc::FromCallable([word](TWriter* w) { w->WriteInteger(word(0)); }), word(0) != 0);
  Filer->DefineProperty("Top", TReaderProc::FromCallable([setWord](TReader* r) { setWord(16, r->ReadInteger()); }),
                        TWriterProc::FromCallable([word](TWriter* w) { w->WriteInteger(word(16)); }), word(16) != 0);
}

void TComponent::Loaded() { FComponentState >> csLoading; }

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

// ---- Class registration -------------------------------------------------------------------------------

namespace {

std::mutex& ClassLock() {
  static std::mutex lock;
  return lock;
}

std::map<AnsiString, TClass>& ClassMap() {
  static std::map<AnsiString, TClass> map;
  return map;
}

std::map<TClass, const char*>& ResourceMap() {
  static std::map<TClass, const char*> map;
  return map;
}

}  // namespace

void RegisterClass(TClass AClass) {
  std::lock_guard<std::mutex> guard(ClassLock());
  TClass& slot = ClassMap()[UpperCase(AClass->Name)];
  if (slot && slot != AClass) throw EFilerError::CreateFmt("A class named %s already exists", AClass->Name);
  slot = AClass;
}

void RegisterClasses(std::initializer_list<TClass> Classes) {
  for (TClass c : Classes) RegisterClass(c);
}

void RegisterComponents(const AnsiString&, std::initializer_list<TClass> Classes) { RegisterClasses(Classes); }

void UnRegisterClass(TClass AClass) {
  std::lock_guard<std::mutex> guard(ClassLock());
  const auto it = ClassMap().find(UpperCase(AClass->Name));
  if (it != ClassMap().end() && it->second == AClass) ClassMap().erase(it);
}

TClass GetClass(const AnsiString& ClassName) {
  std::lock_guard<std::mutex> guard(ClassLock());
  const auto it = ClassMap().find(UpperCase(ClassName));
  return it == ClassMap().end() ? nullptr : it->second;
}

std::vector<TClass> GetRegisteredClasses() {
  std::lock_guard<std::mutex> guard(ClassLock());
  std::vector<TClass> result;
  for (const auto& entry : ClassMap()) result.push_back(entry.second);
  return result;
}

TClass FindClass(const AnsiString& ClassName) {
  TClass c = GetClass(ClassName);
  if (!c) throw EClassNotFound::CreateFmt("Class %s not found", ClassName);
  return c;
}

TComponent* CreateComponent(TClass ComponentClass, TComponent* AOwner) {
  auto create = ComponentClass->InheritsFrom(TComponent::StaticClass()) ? GetClassConstructor(ComponentClass) : nullptr;
  if (!create) throw EComponentError::CreateFmt("Cannot create an instance of %s", ComponentClass->Name);
  return dynamic_cast<TComponent*>(create(AOwner));
}

void RegisterComponentResource(TClass Class, const char* Text) {
  std::lock_guard<std::mutex> guard(ClassLock());
  ResourceMap()[Class] = Text;
}

const char* FindComponentResource(TClass Class) {
  std::lock_guard<std::mutex> guard(ClassLock());
  const auto it = ResourceMap().find(Class);
  return it == ResourceMap().end() ? nullptr : it->second;
}

// ---- Exceptions outside the message loop's dispatch ----------------------------------------------------

void ReportApplicationException(TObject* Sender) {
  const std::exception_ptr error = std::current_exception();
  try {
    if (ApplicationHandleException) {
      ApplicationHandleException(Sender);
      return;
    }
  } catch (...) {
    // A handler that fails itself must not lose the report: the message still goes to stderr.
  }
  AnsiString message = "Unknown exception";
  try {
    if (error) std::rethrow_exception(error);
  } catch (const Exception& e) {
    message = e.Message();
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "%s\n", message.c_str());
}
