// Actions, action lists and the links that keep their clients in step.

#include "platform/vcl/ActnList.h"

#include <algorithm>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/Scoped.h"

// ---- Links ---------------------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (FAction == Value) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* Target) {
  if (!FAction) return false;
  FAction->SetActionComponent(Target);
  // The action may be freed by its own handler, and so may the client with this link (the action then
  // hears of the client's going by itself).
  TBasicAction* action = FAction;
  xj::ScopeExit done([&, life = std::weak_ptr<const void>(FLife)] {
    if (!life.expired() && FAction == action) action->SetActionComponent(nullptr);
  });
  return action->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}

TControlActionLink::TControlActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TControlActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TControl*>(AClient); }

namespace {
TCustomAction* AsCustom(TBasicAction* a) { return dynamic_cast<TCustomAction*>(a); }
}  // namespace

bool TControlActionLink::IsCaptionLinked() {
  TCustomAction* a = AsCustom(FAction);
  return a && FClient && FClient->Caption() == a->Caption();
}

bool TControlActionLink::IsEnabledLinked() {
  TCustomAction* a = AsCustom(FAction);
  return a && FClient && FClient->Enabled() == a->Enabled();
}

bool TControlActionLink::IsHintLinked() {
  TCustomAction* a = AsCustom(FAction);
  return a && FClient && FClient->Hint() == a->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  TCustomAction* a = AsCustom(FAction);
  return a && FClient && FClient->Visible() == a->Visible();
}

bool TControlActionLink::IsHelpContextLinked() {
  TCustomAction* a = AsCustom(FAction);
  return a && FClient && FClient->HelpContext() == a->HelpContext();
}

bool TControlActionLink::IsOnExecuteLinked() { return FAction && FClient && FClient->OnClick == FAction->OnExecute(); }

void TControlActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TControlActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

void TControlActionLink::SetHelpContext(int Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}

void TControlActionLink::SetOnExecute(TNotifyEvent Value) {
  if (IsOnExecuteLinked()) FClient->OnClick = Value;
}

// ---- TBasicAction ---------------------------------------------------------------------------------------

TBasicAction::~TBasicAction() {
  Destroying();
  // Each link forgets the action; clients learn through the component notification.
  while (!FClients.empty()) {
    TBasicActionLink* link = FClients.back();
    FClients.pop_back();
    link->FAction = nullptr;
  }
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) { FClients.push_back(Value); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Value), FClients.end());
}

bool TBasicAction::Execute() {
  if (!FOnExecute) return false;
  FOnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (FActionComponent == Value) return;
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
  FActionComponent = Value;
  if (Value) Value->FreeNotification(this);
}

void TBasicAction::SetOnExecute(TNotifyEvent Value) {
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients)) link->SetOnExecute(Value);
  FOnExecute = Value;
  Change();
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(FClients)) link->Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

// ---- TContainedAction ----------------------------------------------------------------------------------

TContainedAction::~TContainedAction() {
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (FActionList == Value) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const {
  if (!FActionList) return -1;
  const auto& list = FActionList->FActions;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TContainedAction::GetParentComponent() const { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Value)) SetActionList(list);
}

void TContainedAction::ReadState(TReader* Reader) {
  if (auto* list = dynamic_cast<TCustomActionList*>(Reader->Parent())) SetActionList(list);
  TBasicAction::ReadState(Reader);
}

bool TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

// ---- TCustomAction -------------------------------------------------------------------------------------

template <class F>
void TCustomAction::ForLinks(F Fn) {
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(Clients()))
    if (auto* l = dynamic_cast<TActionLink*>(link)) Fn(l);
}

bool TCustomAction::Execute() {
  Update();
  if (!FEnabled) return false;
  if (FAutoCheck) SetChecked(!FChecked);
  return TContainedAction::Execute();
}

void TCustomAction::SetCaption(const AnsiString& Value) {
  if (FCaption == Value) return;
  ForLinks([&](TActionLink* l) { l->SetCaption(Value); });
  FCaption = Value;
  Change();
}

// A checked action of a group unchecks the others of the same list and group.
void TCustomAction::SetChecked(bool Value) {
  if (FChecked == Value || FChecking) return;
  {
    xj::TemporaryChange checking(FChecking, true);
    ForLinks([&](TActionLink* l) { l->SetChecked(Value); });
    FChecked = Value;
    if (Value && FGroupIndex > 0 && ActionList())
      for (int i = 0; i < ActionList()->ActionCount(); ++i)
        if (auto* a = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
            a && a != this && a->FGroupIndex == FGroupIndex)
          a->SetChecked(false);
  }
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  ForLinks([&](TActionLink* l) { l->SetEnabled(Value); });
  FEnabled = Value;
  Change();
}

void TCustomAction::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  ForLinks([&](TActionLink* l) { l->SetHint(Value); });
  FHint = Value;
  Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  ForLinks([&](TActionLink* l) { l->SetImageIndex(Value); });
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetShortCut(WORD Value) {
  if (FShortCut == Value) return;
  ForLinks([&](TActionLink* l) { l->SetShortCut(Value); });
  FShortCut = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (FVisible == Value) return;
  ForLinks([&](TActionLink* l) { l->SetVisible(Value); });
  FVisible = Value;
  Change();
}

void TCustomAction::SetHelpContext(int Value) {
  if (FHelpContext == Value) return;
  ForLinks([&](TActionLink* l) { l->SetHelpContext(Value); });
  FHelpContext = Value;
  Change();
}

void TCustomAction::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FChecked && Value > 0 && ActionList())
    for (int i = 0; i < ActionList()->ActionCount(); ++i)
      if (auto* a = dynamic_cast<TCustomAction*>(ActionList()->Actions(i)); a && a != this && a->FGroupIndex == Value)
        a->SetChecked(false);
  Change();
}

// ---- Action lists --------------------------------------------------------------------------------------

TCustomActionList::~TCustomActionList() {
  Destroying();
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions)) RemoveAction(a);
}

TContainedAction* TCustomActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FActions[Index];
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->FActionList = nullptr;
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TWMKey& Message) {
  const TShortCut key = ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData));
  if (key == scNone) return false;
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions)) {
    auto* ca = dynamic_cast<TCustomAction*>(a);
    if (!ca || ca->ShortCut() != key) continue;
    ca->Update();
    if (ca->Enabled()) ca->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TContainedAction* a : FActions)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  // Compared by address only: the action is being destroyed.
  FActions.erase(std::remove_if(FActions.begin(), FActions.end(),
                                [&](TContainedAction* a) { return static_cast<TComponent*>(a) == AComponent; }),
                 FActions.end());
}

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TAction,
  XJ_PROP(AutoCheck, false)
  XJ_PROP(Caption)
  XJ_PROP(Category)
  XJ_PROP(Checked, false)
  XJ_PROP(Enabled, true)
  XJ_PROP(GroupIndex, 0)
  XJ_PROP(HelpContext, 0)
  XJ_PROP(Hint)
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(ShortCut, 0)
  XJ_PROP(Visible, true)
  XJ_PROP(OnExecute)
  XJ_EVENT(OnUpdate));

XJ_PUBLISHED(TActionList,
  XJ_PROP(Images)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnExecute)
  XJ_EVENT(OnUpdate));

namespace xj::vcl {
bool RegisterActnList() {
  static const bool registered = (RegisterClasses({ TAction::StaticClass(), TActionList::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
