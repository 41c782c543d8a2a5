// MDI: arranging the children, the main form's window list, the skinned MDI client window; the skinned
// system menu and the tray menu.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsTrayIcon.h"
#include "skin/form/bsSkinFormPrivate.h"

namespace {

constexpr const char* kChildItem = "_BSFCHILDITEM";
constexpr const char* kDividerItem = "DIVIDER_BSFCHILDITEM";

bool IsChildItem(const AnsiString& Name) {
  return Name.find(kChildItem) != AnsiString::npos && Name.find("DIVIDER") == AnsiString::npos;
}

AnsiString ChildNameOf(AnsiString Name) {
  const size_t at = Name.find(kChildItem);
  if (at != AnsiString::npos) Name.erase(at, std::strlen(kChildItem));
  return Name;
}

bool HasChildItems(TMenuItem* Menu) {
  for (int i = 0; i < Menu->Count(); ++i)
    if (IsChildItem(Menu->Items(i)->Name())) return true;
  return false;
}

}  // namespace

// ---- Arrangement ----------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::Tile() {
  if (!IsMDIForm()) return;
  RestoreAll();
  const int n = FForm->MDIChildCount();
  int cols = static_cast<int>(std::trunc(std::sqrt(static_cast<double>(n))));
  if (cols < 1) return;
  int rows = n / cols + (n > (n / cols) * cols ? 1 : 0);
  const TRect a = GetMDIWorkArea();
  const int w = a.Width(), h = a.Height();
  const int cw = w / cols;
  int ch = h / rows;
  int x = w, y = h, c = cols, left = n;
  for (int i = n - 1; i >= 0; --i) {
    FForm->MDIChildren(i)->SetBounds(std::max(x - cw, 0), std::max(y - ch, 0), cw, ch);
    --left;
    y -= ch;
    if (y - ch < 0) {
      y = h;
      x -= cw;
      c = std::max(c - 1, 1);
      rows = std::max((left + c - 1) / c, 1);
      ch = h / rows;
    }
  }
}

void RurIvozedevUzivEred::Cascade() {
  if (!IsMDIForm()) return;
  RestoreAll();
  const TRect a = GetMDIWorkArea();
  const int w = a.Width(), h = a.Height();
  // A client rectangle at the very top gives no step: one pixel at least.
  const int s = std::max(FSkinSupport ? FNewClRect.Top : GetDefCaptionHeight() + 3, 1);
  const int k = (w - static_cast<int>(std::lround(w * 0.8))) / s;
  const int n = FForm->MDIChildCount();
  int cw, ch;
  if (n >= k) {
    cw = w - k * s;
    ch = h - k * s;
  } else {
    cw = w - s * (n - 1);
    ch = h - s * (n - 1);
  }
  cw = std::max(cw, GetMinWidth());
  ch = std::max(ch, GetMinHeight());
  int o = 0;
  for (int i = n - 1; i >= 0; --i) {
    FForm->MDIChildren(i)->SetBounds(o, o, cw, ch);
    o += s;
    if (o + cw > w || o + ch > h) o = 0;
  }
}

void RurIvozedevUzivEred::MinimizeAll() {
  if (!IsMDIForm()) return;
  for (int i = FForm->MDIChildCount() - 1; i >= 0; --i)
    if (RurIvozedevUzivEred* c = GetSkinFormComponent(FForm->MDIChildren(i))) c->SetWindowState(wsMinimized);
}

void RurIvozedevUzivEred::MaximizeAll() {
  if (!IsMDIForm()) return;
  for (int i = FForm->MDIChildCount() - 1; i >= 0; --i)
    if (RurIvozedevUzivEred* c = GetSkinFormComponent(FForm->MDIChildren(i))) c->SetWindowState(wsMaximized);
}

void RurIvozedevUzivEred::RestoreAll() {
  if (!IsMDIForm()) return;
  for (int i = FForm->MDIChildCount() - 1; i >= 0; --i) {
    RurIvozedevUzivEred* c = GetSkinFormComponent(FForm->MDIChildren(i));
    if (!c) continue;
    if (c->WindowState() != wsNormal) c->SetWindowState(wsNormal);
    if (c->RollUpState() && c->WindowState() == wsNormal) c->SetRollUpState(false);
  }
}

void RurIvozedevUzivEred::CloseAll() {
  if (!IsMDIForm()) return;
  for (int i = FForm->MDIChildCount() - 1; i >= 0; --i) FForm->MDIChildren(i)->Close();
}

void RurIvozedevUzivEred::ResizeMDIChilds() {
  if (!IsMDIForm()) return;
  for (int i = 0; i < FForm->MDIChildCount(); ++i)
    if (TForm* c = FForm->MDIChildren(i); c->HandleAllocated()) SendMessageA(c->Handle(), WM_MDICHILDRESIZE, 0, 0);
  ArangeMinimizedChilds();
}

// ---- Window list -------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::AddChildToMenu(TCustomForm* Child) {
  TForm* main = Application ? Application->MainForm() : nullptr;
  TMenuItem* wm = main ? main->WindowMenu() : nullptr;
  if (!wm || !GetSkinFormComponent(main)) return;
  if (main->MDIChildCount() == 1) {
    auto* d = new TMenuItem(main);
    d->SetName(kDividerItem);
    d->SetCaption("-");
    wm->Add(d);
  }
  auto* item = new TMenuItem(main);
  item->SetName(Child->Name() + kChildItem);
  item->SetCaption(Child->Caption());
  item->OnClick = TNotifyEvent(this, &RurIvozedevUzivEred::MDIItemClick);
  wm->Add(item);
}

void RurIvozedevUzivEred::DeleteChildFromMenu(TCustomForm* Child) {
  TForm* main = Application ? Application->MainForm() : nullptr;
  TMenuItem* wm = main ? main->WindowMenu() : nullptr;
  if (!wm) return;
  for (int i = 0; i < wm->Count(); ++i)
    if (TMenuItem* it = wm->Items(i); IsChildItem(it->Name()) && ChildNameOf(it->Name()) == Child->Name()) {
      delete it;
      break;
    }
  // The divider goes with the last child item (the hiding child may still count as a child).
  if (!HasChildItems(wm))
    for (int i = 0; i < wm->Count(); ++i)
      if (TMenuItem* it = wm->Items(i); it->Name() == kDividerItem) {
        delete it;
        break;
      }
}

void RurIvozedevUzivEred::UpDateChildCaptionInMenu(TCustomForm* Child) {
  TForm* main = Application ? Application->MainForm() : nullptr;
  TMenuItem* wm = main ? main->WindowMenu() : nullptr;
  if (!wm) return;
  for (int i = 0; i < wm->Count(); ++i)
    if (TMenuItem* it = wm->Items(i); IsChildItem(it->Name()) && ChildNameOf(it->Name()) == Child->Name())
      it->SetCaption(Child->Caption());
}

void RurIvozedevUzivEred::UpDateChildActiveInMenu() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  TMenuItem* wm = main ? main->WindowMenu() : nullptr;
  if (!wm) return;
  TForm* active = main->ActiveMDIChild();
  for (int i = 0; i < wm->Count(); ++i)
    if (TMenuItem* it = wm->Items(i); IsChildItem(it->Name()))
      it->SetChecked(active && ChildNameOf(it->Name()) == active->Name());
}

void RurIvozedevUzivEred::MDIItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!item || !main) return;
  const AnsiString name = ChildNameOf(item->Name());
  for (int i = 0; i < main->MDIChildCount(); ++i) {
    TForm* c = main->MDIChildren(i);
    if (c->Name() != name) continue;
    if (RurIvozedevUzivEred* comp = GetSkinFormComponent(c); comp && comp->WindowState() == wsMinimized)
      comp->SetWindowState(wsNormal);
    c->Show();
  }
}

// ---- MDI client window -------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::FormClientWindowProcHook(TMessage& Message) {
  auto callOld = [&] {
    Message.Result = CallWindowProcA(FOldClientWndProc, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
  };
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
      break;
    case WM_NCACTIVATE:
      Message.Result = 1;
      break;
    case WM_SIZE:
      callOld();
      ResizeMDIChilds();
      break;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      if (FSkinSupport)
        FSkinData->BGPictureIndex != -1 ? PaintBG2(dc) : PaintBG(dc);
      else
        PaintMDIBGDefault(dc);
      Message.Result = 1;
      break;
    }
    case WM_NCDESTROY:
      callOld();
      // The client goes first: nothing to give back later.
      FClientHandle = nullptr;
      break;
    default:
      callOld();
      break;
  }
}

// Gives the client window its procedure back when the window is still there and still runs ours.
void RurIvozedevUzivEred::UnhookClient() {
  if (FClientHandle && IsWindow(FClientHandle) &&
      WNDPROC(GetWindowLongPtrA(FClientHandle, GWL_WNDPROC)) == FClientWndProcInstance)
    SetWindowLongPtrA(FClientHandle, GWL_WNDPROC, LONG_PTR(FOldClientWndProc));
  if (FClientWndProcInstance != nullptr) FreeObjectInstance(FClientWndProcInstance);
  FClientWndProcInstance = nullptr;
  FClientHandle = nullptr;
}

// ---- System menu ----------------------------------------------------------------------------------------------

TMenuItem* RurIvozedevUzivEred::NewSysItem(TComponent* Owner, const char* Name, const char* Caption,
                                           void (RurIvozedevUzivEred::*Handler)(TObject*)) {
  auto* item = new TMenuItem(Owner);
  item->SetName(Name);
  item->SetCaption(Caption);
  if (Handler) item->OnClick = TNotifyEvent(this, Handler);
  return item;
}

namespace {
TShortCut CloseShortCut(bool MDIChild) {
  return MDIChild ? ShortCut(VK_F4, TShiftState { ssCtrl }) : ShortCut(VK_F4, TShiftState { ssAlt });
}
}  // namespace

void RurIvozedevUzivEred::CreateSysMenu() {
  if (!FDefaultSysMenu) return;
  TMenuItem* items = FDefaultSysMenu->Items();
  while (items->Count() > 0) delete items->Items(items->Count() - 1);
  const bool min = FWindowState == wsMinimized, max = FWindowState == wsMaximized;
  auto add = [&](const char* name, const char* caption, void (RurIvozedevUzivEred::*h)(TObject*)) {
    items->Add(NewSysItem(FDefaultSysMenu, name, caption, h));
  };
  if (!min && FBorderIcons.Contains(TbsBorderIcon::biMinimize))
    add("BSF_MINITEM", "最小化(&N)", &RurIvozedevUzivEred::SM_Min);
  if (!max && FBorderIcons.Contains(TbsBorderIcon::biMaximize))
    add("BSF_MAXITEM", "最大化(&X)", &RurIvozedevUzivEred::SM_Max);
  if (min || max || FRollUpState) add("BSF_RESTORE", "恢复(&R)", &RurIvozedevUzivEred::SM_Restore);
  if (!IsMaximizedMDIChild() && !FRollUpState && !min && FBorderIcons.Contains(TbsBorderIcon::biRollUp))
    add("BSF_ROLLUP", "卷起(&L)", &RurIvozedevUzivEred::SM_RollUp);
  if (FBorderIcons.Contains(TbsBorderIcon::biMinimizeToTray))
    add("BSF_MINTOTRAY", "最小化到系统托盘区(&T)", &RurIvozedevUzivEred::SM_MinToTray);
  if (items->Count() > 0) add("", "-", nullptr);
  add("BSF_CLOSE", "关闭(&C)", &RurIvozedevUzivEred::SM_Close);
  items->Items(items->Count() - 1)->SetShortCut(CloseShortCut(IsMDIChild()));
}

void RurIvozedevUzivEred::CreateUserSysMenu() {
  if (!FSystemMenu || !FUseDefaultSysMenu) return;
  TMenuItem* items = FSystemMenu->Items();
  static const char* kOwn[] = {
    "BSF_MINITEM", "BSF_MAXITEM", "BSF_CLOSE", "BSF_MINTOTRAY", "BSF_ROLLUP", "BSF_RESTORE"
  };
  for (int i = items->Count() - 1; i >= 0; --i)
    if (std::find(std::begin(kOwn), std::end(kOwn), items->Items(i)->Name()) != std::end(kOwn)) delete items->Items(i);
  const bool min = FWindowState == wsMinimized, max = FWindowState == wsMaximized;
  auto insert = [&](const char* name, const char* caption, void (RurIvozedevUzivEred::*h)(TObject*)) {
    items->Insert(0, NewSysItem(FSystemMenu, name, caption, h));
  };
  if (FBorderIcons.Contains(TbsBorderIcon::biMinimizeToTray))
    insert("BSF_MINTOTRAY", "最小化到系统托盘区(&T)", &RurIvozedevUzivEred::SM_MinToTray);
  if (!IsMaximizedMDIChild() && !FRollUpState && !min && FBorderIcons.Contains(TbsBorderIcon::biRollUp))
    insert("BSF_ROLLUP", "卷起(&L)", &RurIvozedevUzivEred::SM_RollUp);
  if (!max && FBorderIcons.Contains(TbsBorderIcon::biMaximize))
    insert("BSF_MAXITEM", "最大化(&X)", &RurIvozedevUzivEred::SM_Max);
  if (min || max || FRollUpState) insert("BSF_RESTORE", "恢复(&R)", &RurIvozedevUzivEred::SM_Restore);
  if (!min && FBorderIcons.Contains(TbsBorderIcon::biMinimize))
    insert("BSF_MINITEM", "最小化(&N)", &RurIvozedevUzivEred::SM_Min);
  TMenuItem* close = NewSysItem(FSystemMenu, "BSF_CLOSE", "关闭(&C)", &RurIvozedevUzivEred::SM_Close);
  close->SetShortCut(CloseShortCut(IsMDIChild()));
  items->Add(close);
}

TMenuItem* RurIvozedevUzivEred::GetSystemMenu() {
  // The items are rebuilt, which frees the ones an open skin menu may be showing: it closes first.
  if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
  if (FSystemMenu) {
    CreateUserSysMenu();
    return FSystemMenu->Items();
  }
  CreateSysMenu();
  return FDefaultSysMenu ? FDefaultSysMenu->Items() : nullptr;
}

void RurIvozedevUzivEred::TrackSystemMenu(int X, int Y) {
  if (!FSkinMenu) return;
  TMenuItem* items = GetSystemMenu();
  if (!items) return;
  SkinMenuOpen();
  FSkinMenu->Popup(nullptr, FMenusSkinData ? FMenusSkinData : FSkinData, 0, TRect(X, Y, X, Y), items, false);
}

void RurIvozedevUzivEred::SM_Restore(TObject*) {
  if (FMaxRollUpState)
    SetRollUpState(false);
  else if (FRollUpState && FWindowState == wsNormal)
    SetRollUpState(false);
  else
    SetWindowState(wsNormal);
}
void RurIvozedevUzivEred::SM_Max(TObject*) { SetWindowState(wsMaximized); }
void RurIvozedevUzivEred::SM_Min(TObject*) { SetWindowState(wsMinimized); }
void RurIvozedevUzivEred::SM_RollUp(TObject*) { SetRollUpState(true); }
void RurIvozedevUzivEred::SM_Close(TObject*) { FForm->Close(); }
void RurIvozedevUzivEred::SM_MinToTray(TObject*) { MinimizeToTray(); }

// ---- Tray menu ---------------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::CreateSysTrayMenu() {
  TMenuItem* items = FSysTrayMenu->Items();
  items->Add(NewSysItem(FSysTrayMenu, "TRAY_BSF_RESTORE", "恢复(&R)", &RurIvozedevUzivEred::TSM_Restore));
  items->Add(NewSysItem(FSysTrayMenu, "", "-", nullptr));
  TMenuItem* close = NewSysItem(FSysTrayMenu, "TRAY_BSF_CLOSE", "关闭(&C)", &RurIvozedevUzivEred::TSM_Close);
  close->SetShortCut(CloseShortCut(IsMDIChild()));
  items->Add(close);
}

void RurIvozedevUzivEred::TSM_Restore(TObject*) { RestoreFromTray(); }
void RurIvozedevUzivEred::TSM_Close(TObject*) { FForm->Close(); }
void RurIvozedevUzivEred::TrayIconDBLCLK(TObject*) { RestoreFromTray(); }

void RurIvozedevUzivEred::SetTrayIcon(TbsTrayIcon* Value) {
  if (FTrayIcon == Value) return;
  DetachTray();
  FTrayIcon = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->SetIconVisible(false);
  Value->SetMinimizeToTray(false);
  if (!Value->ComponentState().Contains(csDesigning) && !Value->PopupMenu()) {
    Value->SetPopupMenu(FSysTrayMenu);
    Value->OnDblClick = TNotifyEvent(this, &RurIvozedevUzivEred::TrayIconDBLCLK);
  }
}

// What the tray got from this component goes back when the two part, so that the tray never calls into
// a component that is gone.
void RurIvozedevUzivEred::DetachTray() {
  if (!FTrayIcon) return;
  FTrayIcon->RemoveFreeNotification(this);
  if (FTrayIcon->OnDblClick == TNotifyEvent(this, &RurIvozedevUzivEred::TrayIconDBLCLK))
    FTrayIcon->OnDblClick = nullptr;
  if (FSysTrayMenu && FTrayIcon->PopupMenu() == FSysTrayMenu) FTrayIcon->SetPopupMenu(nullptr);
  FTrayIcon = nullptr;
}

void RurIvozedevUzivEred::MinimizeToTray() {
  if (!FTrayIcon) return;
  FTrayIcon->SetMinimizeToTray(true);
  Application->Minimize();
  if (OnMinimizeToTray) OnMinimizeToTray(this);
}

void RurIvozedevUzivEred::RestoreFromTray() {
  if (!FTrayIcon) return;
  FTrayIcon->SetMinimizeToTray(false);
  FTrayIcon->ShowMainForm();
  Application->Restore();
  FTrayIcon->SetIconVisible(false);
  if (OnRestoreFromTray) OnRestoreFromTray(this);
}
