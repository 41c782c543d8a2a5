#pragma once
// The class library's Menus unit: menu items as a component tree, the main menu shown as a form's native
// menu bar, popup menus run by TrackPopupMenu, and short-cut keys.

#include <memory>
#include <vector>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"

class TMenu;
class TCustomImageList;

// ---- Short cuts ------------------------------------------------------------------------------------------

// A key with modifiers: the virtual key in the low byte, scShift / scCtrl / scAlt above it.
typedef WORD TShortCut;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+O", "Alt+F4", "Shift+Ctrl+Del"; "" for no short cut.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse, without case; 0 for a text it does not know.
TShortCut TextToShortCut(const AnsiString& Text);

// ---- Menu items -------------------------------------------------------------------------------------------

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };
XJ_ENUM_IDENTS(TMenuBreak, mbNone, mbBreak, mbBarBreak);

class TMenuItem;

// Pushes an action's state into a menu item.
class TMenuActionLink : public TActionLink {
  XJ_CLASS(TMenuActionLink, TActionLink)
 public:
  explicit TMenuActionLink(TObject* AClient);

  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const AnsiString& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(WORD Value) override;
  void SetVisible(bool Value) override;
  void SetOnExecute(TNotifyEvent Value) override;

 protected:
  void AssignClient(TObject* AClient) override;

  TMenuItem* FClient { nullptr };
};

// A menu entry: a command (Caption with an '&'-marked access key), a divider ("-") or a submenu (an item
// with items). Freeing an item takes it out of its parent.
class TMenuItem : public TComponent {
  XJ_CLASS(TMenuItem, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TMenuItem(TComponent* AOwner);
  // Frees the sub-items and leaves the parent item.
  ~TMenuItem() override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return FChecked; }
  // A checked radio item unchecks the other radio items of its group index among its siblings.
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  BYTE GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(BYTE Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  TMenuBreak Break() const { return FBreak; }
  void SetBreak(TMenuBreak Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  // A divider.
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  // An index outside 0..Count-1 raises EMenuError.
  TMenuItem* Items(int Index) const;
  TMenuItem* Parent() const { return FParent; }
  // Adding an item that already has a parent raises EMenuError.
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Frees the item at Index.
  void Delete(int Index);
  // Takes the item out (it is not freed).
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  int IndexOf(TMenuItem* Item) const;
  // The sub-item whose caption matches without '&' and case, or null.
  TMenuItem* Find(const AnsiString& ACaption) const;
  int MenuIndex() const;
  void SetMenuIndex(int Value);
  // The id WM_COMMAND carries for this item (unique in the process).
  UINT Command() const { return FCommand; }
  // The native popup of an item with sub-items (built with the menu).
  HMENU Handle();
  TMenu* GetParentMenu() const;

  // Runs the action, else OnClick; AutoCheck items toggle first.
  virtual void Click();
  void InitiateAction();

  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void ReadState(TReader* Reader) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  void MenuChanged();
  void TurnSiblingsOff();
  void AppendTo(HMENU Menu);
  void DoActionChange(TObject* Sender);
  bool IsCaptionStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;
  bool IsImageIndexStored() const;

  AnsiString FCaption;
  bool FChecked { false };
  bool FEnabled { true };
  bool FVisible { true };
  bool FRadioItem { false };
  BYTE FGroupIndex { 0 };
  bool FDefault { false };
  int FImageIndex { -1 };
  TShortCut FShortCut { 0 };
  AnsiString FHint;
  TMenuBreak FBreak { mbNone };
  bool FAutoCheck { false };
  int FHelpContext { 0 };
  UINT FCommand { 0 };
  HMENU FHandle { nullptr };
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent { nullptr };
  TMenu* FMenu { nullptr };  // set on a menu's root item
  std::unique_ptr<TMenuActionLink> FActionLink;
};

XJ_EXCEPTION(EMenuError, Exception);

// ---- Menus ----------------------------------------------------------------------------------------------

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  XJ_CLASS(TMenu, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item; its sub-items are the menu's entries.
  TMenuItem* Items() const { return FItems.get(); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // The native menu, built from the items on first use and rebuilt when they change.
  HMENU Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The window the menu belongs to (a form's, or the popup list's).
  HWND WindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Value);
  // Clicks the item of that command id; false when none has it.
  bool DispatchCommand(WORD ACommand);
  // A submenu is about to open: its item's OnClick runs (to fill it, say).
  bool DispatchPopup(HMENU AMenu);
  TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind);
  // The key (with the shift state of the key message) as a short cut of an item: that item is clicked
  // when it and its parents are enabled. True when an item has the short cut.
  bool IsShortCut(TWMKey& Message);
  bool AutoHotkeys() const { return FAutoHotkeys; }
  void SetAutoHotkeys(bool Value) { FAutoHotkeys = Value; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  virtual HMENU CreateMenuHandle() = 0;
  virtual void MenuChanged();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 private:
  friend class TMenuItem;
  void Rebuild();

  std::unique_ptr<TMenuItem> FItems;
  TCustomImageList* FImages { nullptr };
  HMENU FHandle { nullptr };
  HWND FWindowHandle { nullptr };
  bool FAutoHotkeys { true };
  bool FRebuilding { false };
};

class TMainMenu : public TMenu {
  XJ_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

  // Stored only (no menu merging).
  bool AutoMerge() const { return FAutoMerge; }
  void SetAutoMerge(bool Value) { FAutoMerge = Value; }

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged() override;

 private:
  bool FAutoMerge { false };
};

enum TPopupAlignment { paLeft, paRight, paCenter };
XJ_ENUM_IDENTS(TPopupAlignment, paLeft, paRight, paCenter);

class TPopupMenu : public TMenu {
  XJ_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Runs OnPopup, then the native popup menu at (X, Y) (screen) in a modal loop. The chosen item is
  // clicked once the command message arrives (after Popup has returned).
  virtual void Popup(int X, int Y);
  // A right click or WM_CONTEXTMENU on a control whose PopupMenu this is calls Popup.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) {
    FPopupComponent = Value;
    if (Value) Value->FreeNotification(this);
  }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  TPoint PopupPoint() const { return FPopupPoint; }

  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }
  virtual void DoPopup(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FAutoPopup { true };
  TComponent* FPopupComponent { nullptr };
  TPopupAlignment FAlignment { paLeft };
  TPoint FPopupPoint;
};

// The hidden window that receives the commands of open popup menus.
HWND PopupListWindow();

XJ_UNIT_REGISTRATION(RegisterMenus)
