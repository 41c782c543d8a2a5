#include "skin/form/bsSkinMenus.h"

#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_button.h"
#include "skin/data/bsEffects.h"
#include "skin/form/bsSkinMenusPrivate.h"

// ---- Shared helpers --------------------------------------------------------------------------------------

namespace bsmenus {

std::unique_ptr<TTimer> NewTimer(unsigned Interval, std::function<void()> OnTimer) {
  auto timer = std::make_unique<TTimer>(nullptr);
  timer->SetEnabled(false);
  timer->SetInterval(Interval);
  timer->SetOnTimer(TNotifyEvent::FromCallable([f = std::move(OnTimer)](TObject*) { f(); }));
  return timer;
}

TBitmap* PictureAt(TbsSkinData* Skin, int Index) {
  if (!Skin || Index < 0 || Index >= Skin->ActivePictures->Count()) return nullptr;
  auto* b = static_cast<TBitmap*>(Skin->ActivePictures->Items(Index));
  return b && !b->Empty() ? b : nullptr;
}

void DrawMorph(TBitmap* From, TBitmap* To, TbsMorphKind Kind, double K, HDC DC, int X, int Y) {
  TbsEffectBmp from(From->Handle()), to(To->Handle());
  from.MorphBy(to, Kind, K);
  from.Draw(DC, X, Y);
}

}  // namespace bsmenus

using namespace bsmenus;

IbsSkinMenuHost* FindSkinMenuHost(TComponent* Owner) {
  if (!Owner) return nullptr;
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (auto* host = dynamic_cast<IbsSkinMenuHost*>(Owner->Components(i))) return host;
  return nullptr;
}

IbsSkinMenuHost* GetMDIChildSkinFormComponent() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!main || main->FormStyle() != fsMDIForm) return nullptr;
  for (int i = 0; i < main->MDIChildCount(); ++i) {
    IbsSkinMenuHost* host = FindSkinMenuHost(main->MDIChildren(i));
    if (host && host->WindowState() == wsMaximized) return host;
  }
  return nullptr;
}

bool CanMenuClose(UINT Msg) {
  switch (Msg) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
    case WM_MOUSEACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_PARENTNOTIFY:
      return true;
    default:
      return false;
  }
}

// ---- TbsSkinMenu -----------------------------------------------------------------------------------------

TbsSkinMenu::TbsSkinMenu(TComponent* AOwner, TForm* AForm)
    : TComponent(AOwner), FDefaultMenuItemFont(std::make_unique<TFont>()), FForm(AForm) {
  FDefaultMenuItemFont->SetName("宋体");
  FDefaultMenuItemFont->SetStyle({});
  FDefaultMenuItemFont->SetHeight(12);
  FWaitTimer = NewTimer(500, [this] { WaitItem(this); });
  if (FForm) FForm->FreeNotification(this);
}

TbsSkinMenu::~TbsSkinMenu() {
  FPopupCtrl = nullptr;  // the controls may be gone with the form; nobody is told at teardown
  CloseMenu(0);
}

void TbsSkinMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FForm) FForm = nullptr;
  if (AComponent == FPopupCtrl) FPopupCtrl = nullptr;
  if (AComponent == FSkinData) {
    // The skin goes while a menu shows it: the levels hold pointers into it.
    CloseMenu(0);
    FSkinData = nullptr;
  }
}

void TbsSkinMenu::SetDefaultMenuItemFont(TFont* Value) { FDefaultMenuItemFont->Assign(Value); }

TRect TbsSkinMenu::GetWorkArea() const {
  RECT r {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return TRect(r.left, r.top, r.right, r.bottom);
}

void TbsSkinMenu::Popup(TControl* Control, TbsSkinData* ASkinData, int StartIndex, const TRect& R, TMenuItem* Item,
                        bool PopupUp) {
  FFirstPopup = !FVisible;
  // The menu still open belongs to the control that opened it: it hears that it closed, and the new
  // control is recorded only afterwards.
  CloseMenu(0);
  FPopupCtrl = Control;
  if (Control) Control->FreeNotification(this);
  FWorkArea = GetWorkArea();
  Link(this, FSkinData, ASkinData);
  if (Item && Item->Count() > 0) {
    FVisible = true;
    PopupSub(R, Item, StartIndex, false, PopupUp);
  }
  FFirstPopup = false;
}

void TbsSkinMenu::PopupSub(const TRect& R, TMenuItem* Item, int StartIndex, bool PopupByItem, bool PopupUp) {
  TbsDataSkinPopupWindow* data = Usable(FSkinData) ? FSkinData->PopupWindow.get() : nullptr;
  auto* level = new TbsSkinPopupWindow(nullptr, this, data);
  FPopupList.push_back(level);
  level->Show(R, Item, StartIndex, PopupByItem, PopupUp);
}

void TbsSkinMenu::StopWaiting() {
  FWaitTimer->SetEnabled(false);
  FWaitingItem = nullptr;
}

void TbsSkinMenu::NotifyControl(TControl* C) {
  if (!C) return;
  if (auto* w = dynamic_cast<TWinControl*>(C); w && w->HandleAllocated())
    SendMessageA(w->Handle(), WM_CLOSESKINMENU, 0, 0);
  else
    C->Perform(WM_CLOSESKINMENU, 0, 0);
}

void TbsSkinMenu::CloseMenu(int Index) {
  if (Index < 0) Index = 0;
  while ((int)FPopupList.size() > Index) {
    TbsSkinPopupWindow* level = FPopupList.back();
    FPopupList.pop_back();
    // A pending sub-menu of a level that goes must not open later from a freed item.
    if (FWaitingItem && FWaitingItem->FParent == level) StopWaiting();
    level->Hide();
    delete level;
  }
  if (Index == 0) {
    FVisible = false;
    FWaitTimer->SetEnabled(false);
    if (TControl* c = std::exchange(FPopupCtrl, nullptr)) {
      c->RemoveFreeNotification(this);
      NotifyControl(c);
    }
  }
}

void TbsSkinMenu::Hide() {
  CloseMenu(0);
  StopWaiting();
  if (FForm && FForm->HandleAllocated()) SendMessageA(FForm->Handle(), WM_CLOSESKINMENU, 0, 0);
  if (TControl* c = std::exchange(FPopupCtrl, nullptr)) NotifyControl(c);
}

int TbsSkinMenu::GetPWIndex(const TbsSkinPopupWindow* PW) const {
  for (size_t i = 0; i < FPopupList.size(); ++i)
    if (FPopupList[i] == PW) return (int)i;
  return (int)FPopupList.size();
}

void TbsSkinMenu::CheckItem(TbsSkinPopupWindow* Level, TbsSkinMenuItem* Item, bool FromKeyboard, bool Click) {
  TMenuItem* mi = Item->MenuItem();
  const int index = GetPWIndex(Level);
  auto closeDeeper = [&] {
    if (index + 1 < LevelCount()) CloseMenu(index + 1);
  };
  if (mi->Count() == 0) {
    StopWaiting();
    if (!Click) {
      closeDeeper();
      return;
    }
    Hide();  // the menu is gone and everybody told before the command runs
    if (TMenu* m = mi->GetParentMenu())
      m->DispatchCommand(mi->Command());
    else
      mi->Click();
    return;
  }
  if (Click) {
    // The item's own command runs first; it may close the menu or free the items.
    auto life = Level->LifeToken();
    if (TMenu* m = mi->GetParentMenu()) m->DispatchCommand(mi->Command());
    if (life.expired() || GetPWIndex(Level) == LevelCount()) return;
    StopWaiting();
    closeDeeper();
    Item->FDown = true;
    TRect r = Item->ObjectRect();
    const TPoint p = Level->FPosition;
    r = TRect(r.Left + p.X, r.Top + p.Y, r.Right + p.X, r.Bottom + p.Y);
    PopupSub(r, mi, 0, true, false);
    return;
  }
  if (!FromKeyboard) {
    FWaitTimer->SetEnabled(false);
    closeDeeper();
    FWaitingItem = Item;
    FWaitTimer->SetEnabled(true);
  }
}

void TbsSkinMenu::WaitItem(TObject*) {
  FWaitTimer->SetEnabled(false);
  TbsSkinMenuItem* item = std::exchange(FWaitingItem, nullptr);
  if (item && item->MenuItem()->Enabled()) CheckItem(item->FParent, item, false, true);
}

// ---- TbsSkinPopupMenu ------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinPopupMenu,
  XJ_PROP(SkinData));

TbsSkinPopupMenu::TbsSkinPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}

void TbsSkinPopupMenu::SetSkinData(TbsSkinData* Value) { Link(this, FSkinData, Value); }

void TbsSkinPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TPopupMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) FSkinData = nullptr;
}

bool TbsSkinPopupMenu::ShowSkinned(TControl* Control, const TRect& R, bool PopupUp) {
  if (OnPopup) OnPopup(this);
  IbsSkinMenuHost* host = nullptr;
  if (FHostForm)
    host = FindSkinMenuHost(FHostForm);
  else if (auto* f = dynamic_cast<TForm*>(Owner()))
    host = FindSkinMenuHost(f);
  else if (Owner() && dynamic_cast<TForm*>(Owner()->Owner()))
    host = FindSkinMenuHost(Owner()->Owner());
  if (!host) return false;
  if (!FSkinData) SetSkinData(host->MenusSkinData() ? host->MenusSkinData() : host->SkinData());
  host->SkinMenuOpen();
  host->SkinMenu()->Popup(Control, FSkinData, 0, R, Items(), PopupUp);
  return host->SkinMenu()->Visible();
}

void TbsSkinPopupMenu::Popup(int X, int Y) { ShowSkinned(nullptr, TRect(X, Y, X, Y), false); }
void TbsSkinPopupMenu::Popup2(TControl* Control, int X, int Y) { ShowSkinned(Control, TRect(X, Y, X, Y), false); }
void TbsSkinPopupMenu::PopupFromRect(const TRect& R, bool PopupUp) { ShowSkinned(nullptr, R, PopupUp); }
void TbsSkinPopupMenu::PopupFromRect2(TControl* Control, const TRect& R, bool PopupUp) {
  ShowSkinned(Control, R, PopupUp);
}

void InstallSkinMenuButtonPopups() {
  SetSkinPopupFromRect([](TPopupMenu* Menu, TControl* AControl, const TRect& R, bool PopupUp) {
    auto* skinned = dynamic_cast<TbsSkinPopupMenu*>(Menu);
    return skinned && skinned->ShowSkinned(AControl, R, PopupUp);
  });
}
