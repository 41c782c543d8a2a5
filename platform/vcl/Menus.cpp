// Menus: the item tree, the native menus built from it (rebuilt after every change), command and popup
// dispatch, short cuts and their texts, and the popup list window.

#include "platform/vcl/Menus.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win32/Scoped.h"

namespace {

std::atomic<UINT> gNextCommand { 1 };

// Popup menus that may receive a command through the popup list window.
std::vector<TPopupMenu*>& PopupList() {
  static std::vector<TPopupMenu*>* list = new std::vector<TPopupMenu*>;
  return *list;
}

HWND gPopupWindow = nullptr;

void PopupWndProc(TMessage& Message) {
  HWND h = gPopupWindow;
  if (Message.Msg == WM_COMMAND && HIWORD(Message.WParam) == 0) {
    for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupList()))
      if (std::find(PopupList().begin(), PopupList().end(), menu) != PopupList().end() &&
          menu->DispatchCommand(LOWORD(Message.WParam)))
        return;
  }
  if (Message.Msg == WM_INITMENUPOPUP) {
    for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupList()))
      if (menu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) return;
  }
  if (Message.Msg == WM_NCDESTROY && gPopupWindow == h) gPopupWindow = nullptr;
  Message.Result = DefWindowProcA(h, Message.Msg, Message.WParam, Message.LParam);
}

struct TKeyName {
  WORD Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
  { VK_BACK, "BkSp" },  { VK_TAB, "Tab" },     { VK_RETURN, "Enter" }, { VK_ESCAPE, "Esc" }, { VK_SPACE, "Space" },
  { VK_PRIOR, "PgUp" }, { VK_NEXT, "PgDn" },   { VK_END, "End" },      { VK_HOME, "Home" },  { VK_LEFT, "Left" },
  { VK_UP, "Up" },      { VK_RIGHT, "Right" }, { VK_DOWN, "Down" },    { VK_INSERT, "Ins" }, { VK_DELETE, "Del" },
};

AnsiString KeyName(WORD Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return AnsiString(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F12) return AnsiString(1, 'F') += IntToStr(Key - VK_F1 + 1);
  for (const TKeyName& k : kKeyNames)
    if (k.Key == Key) return k.Name;
  return AnsiString();
}

}  // namespace

HWND PopupListWindow() {
  if (!gPopupWindow || !IsWindow(gPopupWindow)) gPopupWindow = AllocateHWnd(TWndMethod::FromCallable(PopupWndProc));
  return gPopupWindow;
}

// ---- Short cuts ---------------------------------------------------------------------------------------------

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut Value, WORD& Key, TShiftState& Shift) {
  Key = Value & 0xFF;
  Shift = TShiftState {};
  if (Value & scShift) Shift << ssShift;
  if (Value & scCtrl) Shift << ssCtrl;
  if (Value & scAlt) Shift << ssAlt;
}

AnsiString ShortCutToText(TShortCut Value) {
  const AnsiString name = KeyName(Value & 0xFF);
  if (name.empty()) return AnsiString();
  AnsiString r;
  if (Value & scShift) r += "Shift+";
  if (Value & scCtrl) r += "Ctrl+";
  if (Value & scAlt) r += "Alt+";
  return r + name;
}

TShortCut TextToShortCut(const AnsiString& Text) {
  TShortCut shift = 0;
  AnsiString rest = Text;
  for (;;) {
    bool found = false;
    for (auto [prefix, bit] :
         { std::pair<const char*, TShortCut> { "Shift+", scShift }, { "Ctrl+", scCtrl }, { "Alt+", scAlt } }) {
      const size_t n = strlen(prefix);
      if (rest.size() > n && SameText(rest.substr(0, n), prefix)) {
        shift |= bit;
        rest = rest.substr(n);
        found = true;
      }
    }
    if (!found) break;
  }
  for (int key = 1; key < 0x100; ++key)
    if (const AnsiString name = KeyName(static_cast<WORD>(key)); !name.empty() && SameText(name, rest))
      return static_cast<TShortCut>(key | shift);
  return scNone;
}

// ---- TMenuActionLink ---------------------------------------------------------------------------------------

TMenuActionLink::TMenuActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TMenuActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TMenuItem*>(AClient); }

namespace {
TCustomAction* AsCustom(TBasicAction* a) { return dynamic_cast<TCustomAction*>(a); }
}  // namespace

bool TMenuActionLink::IsCaptionLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->Caption() == a->Caption();
}
bool TMenuActionLink::IsCheckedLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->Checked() == a->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->Enabled() == a->Enabled();
}
bool TMenuActionLink::IsHintLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->Hint() == a->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->ImageIndex() == a->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->ShortCut() == a->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  auto* a = AsCustom(FAction);
  return a && FClient && FClient->Visible() == a->Visible();
}
bool TMenuActionLink::IsOnExecuteLinked() { return FAction && FClient && FClient->OnClick == FAction->OnExecute(); }

void TMenuActionLink::SetCaption(const AnsiString& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetHint(const AnsiString& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(WORD Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TMenuActionLink::SetOnExecute(TNotifyEvent Value) {
  if (IsOnExecuteLinked()) FClient->OnClick = Value;
}

// ---- TMenuItem --------------------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(gNextCommand.fetch_add(1)) {
  if (gNextCommand.load() > 0xFFFF) gNextCommand.store(1);
}

TMenuItem::~TMenuItem() {
  Destroying();
  FActionLink.reset();
  while (!FItems.empty()) {
    TMenuItem* child = FItems.back();
    FItems.pop_back();
    child->FParent = nullptr;
    delete child;
  }
  if (FParent) FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(Format("Menu index out of range (%d)", Index));
  return FItems[Index];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Menu inserted into itself");
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged();
}

void TMenuItem::Delete(int Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  delete item;
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  MenuChanged();
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
  const AnsiString wanted = StripHotkey(ACaption);
  for (TMenuItem* item : FItems)
    if (SameText(StripHotkey(item->FCaption), wanted)) return item;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(int Value) {
  if (!FParent) return;
  TMenuItem* parent = FParent;
  const int count = parent->Count();
  Value = std::clamp(Value, 0, count - 1);
  if (Value == MenuIndex()) return;
  parent->Remove(this);
  parent->Insert(Value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

HMENU TMenuItem::Handle() {
  if (TMenu* menu = GetParentMenu()) menu->Handle();
  return FHandle;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(Value))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(Value))
    item->Add(this);
}

void TMenuItem::ReadState(TReader* Reader) {
  if (Reader->Parent() && !FParent) SetParentComponent(Reader->Parent());
  TComponent::ReadState(Reader);
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  if (Action()) ActionChange(Action(), true);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TMenuItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FActionLink && AComponent == FActionLink->Action()) SetAction(nullptr);
}

void TMenuItem::MenuChanged() {
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

#define XJ_MENU_SETTER(Name, Field, Type) \
  void TMenuItem::Set##Name(Type Value) { \
    if (Field == Value) return;           \
    Field = Value;                        \
    MenuChanged();                        \
  }
XJ_MENU_SETTER(Caption, FCaption, const AnsiString&)
XJ_MENU_SETTER(Enabled, FEnabled, bool)
XJ_MENU_SETTER(Visible, FVisible, bool)
XJ_MENU_SETTER(Default, FDefault, bool)
XJ_MENU_SETTER(ImageIndex, FImageIndex, int)
XJ_MENU_SETTER(ShortCut, FShortCut, TShortCut)
XJ_MENU_SETTER(Hint, FHint, const AnsiString&)
XJ_MENU_SETTER(Break, FBreak, TMenuBreak)
#undef XJ_MENU_SETTER

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (FRadioItem == Value) return;
  FRadioItem = Value;
  if (Value && FChecked) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetGroupIndex(BYTE Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FRadioItem && FChecked) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* item : FParent->FItems)
    if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex && item->FChecked) {
      item->FChecked = false;
      item->MenuChanged();
    }
}

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = TNotifyEvent(this, &TMenuItem::DoActionChange);
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::DoActionChange(TObject* Sender) {
  if (FActionLink && Sender == FActionLink->Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || FCaption.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !FChecked) SetChecked(a->Checked());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || FShortCut == scNone) SetShortCut(a->ShortCut());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
}

bool TMenuItem::IsCaptionStored() const { return !FActionLink || !FActionLink->IsCaptionLinked(); }
bool TMenuItem::IsCheckedStored() const { return !FActionLink || !FActionLink->IsCheckedLinked(); }
bool TMenuItem::IsEnabledStored() const { return !FActionLink || !FActionLink->IsEnabledLinked(); }
bool TMenuItem::IsHintStored() const { return !FActionLink || !FActionLink->IsHintLinked(); }
bool TMenuItem::IsShortCutStored() const { return !FActionLink || !FActionLink->IsShortCutLinked(); }
bool TMenuItem::IsVisibleStored() const { return !FActionLink || !FActionLink->IsVisibleLinked(); }
bool TMenuItem::IsImageIndexStored() const { return !FActionLink || !FActionLink->IsImageIndexLinked(); }

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

// A handler of its own runs before a linked action (unless it is the action's own handler).
void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck && !(FActionLink && FActionLink->Action())) SetChecked(!FChecked);
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute()))
    OnClick(this);
  else if (!FComponentState.Contains(csDesigning) && FActionLink)
    FActionLink->Execute(this);
  else if (OnClick)
    OnClick(this);
}

// Appends this item (and its sub-items as a popup) to a native menu.
void TMenuItem::AppendTo(HMENU Menu) {
  FHandle = nullptr;
  if (!FVisible) return;
  if (IsLine()) {
    AppendMenuA(Menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  UINT flags = MF_STRING;
  if (!FEnabled) flags |= MF_GRAYED;
  if (FChecked) flags |= MF_CHECKED;
  if (FBreak == mbBreak) flags |= MF_MENUBREAK;
  if (FBreak == mbBarBreak) flags |= MF_MENUBARBREAK;
  AnsiString text = FCaption;
  if (FShortCut != scNone) text += "\t" + ShortCutToText(FShortCut);
  UINT_PTR id = FCommand;
  if (!FItems.empty()) {
    FHandle = CreatePopupMenu();
    for (TMenuItem* item : FItems) item->AppendTo(FHandle);
    flags |= MF_POPUP;
    id = reinterpret_cast<UINT_PTR>(FHandle);
  }
  AppendMenuA(Menu, flags, id, text.c_str());
  const UINT pos = static_cast<UINT>(GetMenuItemCount(Menu) - 1);
  if (FRadioItem || FDefault) {
    MENUITEMINFOA info {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoA(Menu, pos, TRUE, &info);
    if (FRadioItem) info.fType |= MFT_RADIOCHECK;
    if (FDefault) info.fState |= MFS_DEFAULT;
    SetMenuItemInfoA(Menu, pos, TRUE, &info);
  }
}

// ---- TMenu ------------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  FItems->FMenu = nullptr;
  FItems.reset();
  if (FHandle && IsMenu(FHandle)) {
    // A form's window must not keep showing (or free) a menu that is gone.
    if (FWindowHandle && IsWindow(FWindowHandle) && GetMenu(FWindowHandle) == FHandle)
      ::SetMenu(FWindowHandle, nullptr);
    DestroyMenu(FHandle);
  }
  FHandle = nullptr;
}

void TMenu::SetImages(TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
}

HMENU TMenu::Handle() {
  if (!FHandle) {
    FHandle = CreateMenuHandle();
    Rebuild();
  }
  return FHandle;
}

void TMenu::Rebuild() {
  if (!FHandle || FRebuilding) return;
  xj::TemporaryChange rebuilding(FRebuilding, true);
  while (GetMenuItemCount(FHandle) > 0) DeleteMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* item : FItems->FItems) item->AppendTo(FHandle);
}

void TMenu::MenuChanged() {
  if (FComponentState.Contains(csLoading) || FComponentState.Contains(csDestroying)) return;
  Rebuild();
}

void TMenu::Loaded() {
  TComponent::Loaded();
  MenuChanged();
}

void TMenu::SetWindowHandle(HWND Value) { FWindowHandle = Value; }

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) {
  std::vector<TMenuItem*> pending(FItems->FItems.rbegin(), FItems->FItems.rend());
  while (!pending.empty()) {
    TMenuItem* item = pending.back();
    pending.pop_back();
    switch (Kind) {
      case fkCommand:
        if (item->FCommand == Value && item->FItems.empty()) return item;
        break;
      case fkHandle:
        if (item->FHandle && reinterpret_cast<UINT_PTR>(item->FHandle) == Value) return item;
        break;
      case fkShortCut:
        if (item->FShortCut != scNone && item->FShortCut == Value) return item;
        break;
    }
    pending.insert(pending.end(), item->FItems.rbegin(), item->FItems.rend());
  }
  return nullptr;
}

bool TMenu::DispatchCommand(WORD ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(AMenu), fkHandle);
  if (!item) return false;
  item->InitiateAction();
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TWMKey& Message) {
  TShortCut key = static_cast<TShortCut>(Message.CharCode & 0xFF);
  if (GetKeyState(VK_SHIFT) < 0) key |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) key |= scCtrl;
  if (Message.KeyData & 0x20000000) key |= scAlt;
  TMenuItem* item = FindItem(key, fkShortCut);
  if (!item) return false;
  // Each parent runs its OnClick first (so a submenu can fill itself); a disabled one stops it.
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item; p && p != FItems.get(); p = p->FParent) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TMenuItem* p = *it;
    p->InitiateAction();
    if (!p->Enabled()) return true;
    if (p != item && p->OnClick) p->OnClick(p);
  }
  item->Click();
  return true;
}

// ---- TMainMenu, TPopupMenu ------------------------------------------------------------------------------

void TMainMenu::MenuChanged() {
  TMenu::MenuChanged();
  if (WindowHandle() && IsWindow(WindowHandle())) DrawMenuBar(WindowHandle());
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  PopupList().push_back(this);
  SetWindowHandle(PopupListWindow());
}

TPopupMenu::~TPopupMenu() {
  auto& list = PopupList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
  static const UINT kAlign[] = { TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN };
  FPopupPoint = TPoint(X, Y);
  DoPopup(this);
  Items()->InitiateAction();
  for (int i = 0; i < Items()->Count(); ++i) Items()->Items(i)->InitiateAction();
  HWND owner = PopupListWindow();
  SetWindowHandle(owner);
  TrackPopupMenu(Handle(), kAlign[FAlignment] | TPM_RIGHTBUTTON, X, Y, 0, owner, nullptr);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TMenuItem,
  XJ_PROP(Action)
  XJ_PROP(AutoCheck, false)
  XJ_PROP(Break, mbNone)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Checked, false) XJ_STORED(IsCheckedStored)
  XJ_PROP(Default, false)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(GroupIndex, 0)
  XJ_PROP(HelpContext, 0)
  XJ_PROP(Hint) XJ_STORED(IsHintStored)
  XJ_PROP(ImageIndex, -1) XJ_STORED(IsImageIndexStored)
  XJ_PROP(RadioItem, false)
  XJ_PROP(ShortCut, 0) XJ_STORED(IsShortCutStored)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick));

XJ_PUBLISHED(TMainMenu,
  XJ_PROP(AutoMerge, false)
  XJ_PROP(Images));

XJ_PUBLISHED(TPopupMenu,
  XJ_PROP(Alignment, paLeft)
  XJ_PROP(AutoPopup, true)
  XJ_PROP(Images)
  XJ_EVENT(OnPopup));

namespace xj::vcl {
bool RegisterMenus() {
  static const bool registered =
      (RegisterClasses({ TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
