// The tray icon: the shell record, the message window the shell reports to, click versus double click,
// the icon animation, the popup menu, and the hooks on the application window and the owner form.
#include "skin/form/bsTrayIcon.h"

#include <algorithm>
#include <cstring>

#include "platform/vcl/ExtCtrls.h"
#include "skin/form/bsSkinFormPrivate.h"
#include "skin/form/bsSkinMenus.h"

XJ_PUBLISHED(TbsTrayIcon,
  XJ_PROP(Enabled, true) XJ_PROP(Icon) XJ_PROP(IconVisible, false) XJ_PROP(Hint) XJ_PROP(ShowHint, true)
  XJ_PROP(PopupMenu) XJ_PROP(PopupByLeftButton, false)
  XJ_EVENT(OnClick) XJ_EVENT(OnDblClick) XJ_EVENT(OnCycle) XJ_EVENT(OnMouseDown) XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnMouseMove)
  XJ_PROP(MinimizedOnStart, false) XJ_PROP(MinimizeToTray, false) XJ_PROP(IconIndex, 0)
  XJ_PROP(DesignPreview, false) XJ_PROP(IconList) XJ_PROP(CycleIcons, false) XJ_PROP(AnimateTimerInterval, 0u));

namespace {

constexpr UINT kTrayCallback = 0x800;
UINT gTaskbarCreated = 0;

// Text cut to at most Max bytes without splitting a double-byte character.
AnsiString CutGbk(const AnsiString& Text, size_t Max) {
  const char* begin = Text.c_str();
  const char* end = begin + Text.size();
  const char* p = begin;
  while (p < end) {
    const int n = xj::GbkCharLength(p, end);
    if (size_t(p - begin) + size_t(n) > Max) break;
    p += n;
  }
  return AnsiString(begin, size_t(p - begin));
}

TShiftState KeyShift() {
  TShiftState s;
  if (GetAsyncKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetAsyncKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (GetAsyncKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

// The application window stands for the taskbar button elsewhere; here it is never shown, so bringing
// the application back means un-minimising that window and keeping it hidden.
void RestoreApplicationWindow() {
  HWND app = Application->Handle();
  if (IsIconic(app)) ShowWindow(app, SW_RESTORE);
  ShowWindow(app, SW_HIDE);
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------------

TbsTrayIcon::TbsTrayIcon(TComponent* AOwner)
    : TComponent(AOwner),
      FIcon(std::make_unique<TIcon>()),
      FCycleTimer(NewTimer(0, TNotifyEvent(this, &TbsTrayIcon::TimerCycle))),
      FClickTimer(NewTimer(GetDoubleClickTime(), TNotifyEvent(this, &TbsTrayIcon::TimerClick))) {
  gTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  FData.cbSize = NOTIFYICONDATAA_V2_SIZE;
  FData.hWnd = AllocateHWnd(TWndMethod(this, &TbsTrayIcon::HandleIconMessage));
  FData.uID = 1;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = kTrayCallback;
  if (!Designing()) {
    if (!FIcon->Handle() && LoadDefaultIcon() && Application) FIcon->Assign(Application->Icon());
    HookApp();
    if (TWinControl* form = OwnerControl()) FFormHook.Install(form, TWndMethod(this, &TbsTrayIcon::HookFormProc));
  }
}

TbsTrayIcon::~TbsTrayIcon() {
  SetIconVisible(false);
  SetDesignPreview(false);
  FCycleTimer.reset();
  FClickTimer.reset();
  FFormHook.Remove();
  UnhookApp();
  DeallocateHWnd(FData.hWnd);
  FData.hWnd = nullptr;
}

TWinControl* TbsTrayIcon::OwnerControl() const { return dynamic_cast<TWinControl*>(Owner()); }

void TbsTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerControl() && FMinimizedOnStart && !Designing() && Application) {
    Application->SetShowMainForm(false);
    ShowWindow(Application->Handle(), SW_HIDE);
  }
  ModifyIcon();
  SetIconVisible(FIconVisible);
}

void TbsTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FIconList) FIconList = nullptr;
}

// ---- The shell ------------------------------------------------------------------------------------

bool TbsTrayIcon::InitIcon() {
  if (Designing() && !FPreviewChanging && !FDesignPreview) return false;
  FData.hIcon = FIcon->Handle();
  std::memset(FData.szTip, 0, sizeof FData.szTip);
  if (!FHint.empty() && FShowHint) {
    const AnsiString tip = CutGbk(FHint, sizeof FData.szTip - 1);
    std::memcpy(FData.szTip, tip.data(), tip.size());
  }
  return true;
}

bool TbsTrayIcon::ShowIcon() {
  if (!FPreviewChanging) FIconVisible = true;
  return InitIcon() && Shell_NotifyIconA(NIM_ADD, &FData);
}

bool TbsTrayIcon::HideIcon() {
  if (!FPreviewChanging) FIconVisible = false;
  return InitIcon() && Shell_NotifyIconA(NIM_DELETE, &FData);
}

bool TbsTrayIcon::ModifyIcon() { return InitIcon() && Shell_NotifyIconA(NIM_MODIFY, &FData); }

// ---- Properties -----------------------------------------------------------------------------------

void TbsTrayIcon::SetIcon(TIcon* Value) {
  FIcon->Assign(Value);
  ModifyIcon();
}

void TbsTrayIcon::SetIconVisible(bool Value) {
  if (Value)
    ShowIcon();
  else
    HideIcon();
}

void TbsTrayIcon::SetHint(const AnsiString& Value) {
  FHint = Value;
  ModifyIcon();
}

void TbsTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  ModifyIcon();
}

void TbsTrayIcon::SetPopupMenu(TbsSkinPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  FPreviewChanging = true;
  SetIconVisible(Value);
  FPreviewChanging = false;
}

void TbsTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  FCycleTimer->SetEnabled(Value);
}

void TbsTrayIcon::SetAnimateTimerInterval(unsigned Value) {
  FAnimateTimerInterval = Value;
  FCycleTimer->SetInterval(Value);
}

void TbsTrayIcon::SetIconList(TCustomImageList* Value) {
  if (FIconList != Value) {
    if (FIconList) FIconList->RemoveFreeNotification(this);
    FIconList = Value;
    if (Value) Value->FreeNotification(this);
  }
  SetIconIndex(0);
}

void TbsTrayIcon::SetIconIndex(int Value) {
  // An empty list has no image to show: the index stays 0 and the icon as it is.
  if (FIconList && FIconList->Count() > 0) {
    FIconIndex = std::clamp(Value, 0, FIconList->Count() - 1);
    FIconList->GetIcon(FIconIndex, FIcon.get());
  } else {
    FIconIndex = 0;
  }
  ModifyIcon();
}

// ---- Events ---------------------------------------------------------------------------------------

void TbsTrayIcon::Click() {
  if (OnClick) OnClick(this);
}
void TbsTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TbsTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TbsTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TbsTrayIcon::CycleIcon() {
  if (!OnCycle) return;
  int next = 0;
  if (FIconList && FIconIndex < FIconList->Count() - 1) next = FIconIndex + 1;
  OnCycle(this, next);
}

void TbsTrayIcon::DoMinimizeToTray() {
  HideMainForm();
  SetIconVisible(true);
}

// ---- The message window ---------------------------------------------------------------------------

void TbsTrayIcon::HandleIconMessage(TMessage& Message) {
  switch (Message.Msg) {
    case kTrayCallback:
      if (FEnabled) IconMouseEvent(Message.LParam);
      return;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_USERCHANGED:
    case WM_NCDESTROY:
      Message.Result = 1;
      return;
    default:
      Message.Result = DefWindowProcA(FData.hWnd, Message.Msg, Message.WParam, Message.LParam);
      return;
  }
}

// The icon's notice carries the mouse message; the pointer is where the cursor is now.
void TbsTrayIcon::IconMouseEvent(LPARAM Event) {
  POINT p {};
  GetCursorPos(&p);
  TShiftState shift = KeyShift();
  const int x = p.x, y = p.y;
  switch (Event) {
    case WM_MOUSEMOVE:
      return MouseMove(shift, x, y);
    case WM_LBUTTONDOWN:
      return IconLeftDown(shift, x, y);
    case WM_LBUTTONUP:
      return IconLeftUp(shift, x, y);
    case WM_LBUTTONDBLCLK:
      return IconDoubleClick();
    case WM_RBUTTONDOWN: {
      const std::weak_ptr<const void> life = FLife;
      MouseDown(mbRight, shift << ssRight, x, y);
      if (!life.expired()) PopupAtCursor();
      return;
    }
    case WM_RBUTTONUP:
      return MouseUp(mbRight, shift << ssRight, x, y);
    case WM_MBUTTONDOWN:
      return MouseDown(mbMiddle, shift << ssMiddle, x, y);
    case WM_MBUTTONUP:
      return MouseUp(mbMiddle, shift << ssMiddle, x, y);
    default:
      return;
  }
}

void TbsTrayIcon::IconLeftDown(TShiftState Shift, int X, int Y) {
  FClickTimer->SetEnabled(true);
  const std::weak_ptr<const void> life = FLife;
  MouseDown(mbLeft, Shift << ssLeft, X, Y);
  if (life.expired()) return;
  FLeftDown = true;
  if (FPopupByLeftButton) PopupAtCursor();
}

void TbsTrayIcon::IconLeftUp(TShiftState Shift, int X, int Y) {
  if (FLeftDown) {
    FClickPending = true;
    if (!FClickTimer->Enabled()) {  // held longer than the double-click time
      FLeftDown = false;
      FClickPending = false;
      const std::weak_ptr<const void> life = FLife;
      Click();
      if (life.expired()) return;
    }
  }
  FLeftDown = false;
  MouseUp(mbLeft, Shift << ssLeft, X, Y);
}

// Besides the event, runs the popup menu's default item when the menu pops up by itself.
void TbsTrayIcon::IconDoubleClick() {
  FClickPending = false;
  FDblClicked = true;
  const std::weak_ptr<const void> life = FLife;
  DblClick();
  if (!life.expired() && FPopupMenu && FPopupMenu->AutoPopup() && !FPopupByLeftButton) {
    TMenuItem* items = FPopupMenu->Items();
    for (int i = 0; i < items->Count(); ++i)
      if (items->Items(i)->Default()) {
        items->Items(i)->Click();
        break;
      }
  }
}

// A quick click fires one double-click time after the press, unless a double click came meanwhile.
void TbsTrayIcon::TimerClick(TObject*) {
  FClickTimer->SetEnabled(false);
  if (!FDblClicked && FClickPending) {
    FClickPending = false;
    const std::weak_ptr<const void> life = FLife;
    Click();
    if (life.expired()) return;
  }
  FDblClicked = false;
}

void TbsTrayIcon::TimerCycle(TObject*) {
  if (!FIconList || FIconList->Count() == 0) return;
  FIconList->GetIcon(std::min(FIconIndex, FIconList->Count() - 1), FIcon.get());
  CycleIcon();
  ModifyIcon();
  SetIconIndex(FIconIndex >= FIconList->Count() - 1 ? 0 : FIconIndex + 1);
}

// ---- The menu and the main form -------------------------------------------------------------------

void TbsTrayIcon::PopupAtCursor() {
  POINT p {};
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || !GetCursorPos(&p)) return;
  Application->ProcessMessages();
  if (!FPopupMenu) return;
  SetForegroundWindow(FData.hWnd);
  TWinControl* owner = OwnerControl();
  if (owner) SetForegroundWindow(owner->Handle());
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(p.x, p.y);
  if (owner) PostMessageA(owner->Handle(), WM_NULL, 0, 0);
}

void TbsTrayIcon::HideMainForm() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!OwnerControl() || !main) return;
  main->SetVisible(false);
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TbsTrayIcon::ShowMainForm() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!OwnerControl() || !main) return;
  RestoreApplicationWindow();
  main->SetVisible(true);
  if (main->WindowState() == wsMinimized) main->SetWindowState(wsNormal);
}

void TbsTrayIcon::BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor) {
  TImageList list(16, 16);
  list.AddMasked(Bitmap, MaskColor);
  list.GetIcon(0, Icon);
}

// ---- Hooks ----------------------------------------------------------------------------------------

void TbsTrayIcon::HookApp() {
  if (!Application || FHookedApp) return;
  FHookedApp = Application;
  FHookedApp->Handle();  // the window must be there to hear the shell's broadcast
  FHookedApp->HookMainWindow(TWindowHook(this, &TbsTrayIcon::HookAppProc));
}

void TbsTrayIcon::UnhookApp() {
  if (FHookedApp && FHookedApp == Application)
    FHookedApp->UnhookMainWindow(TWindowHook(this, &TbsTrayIcon::HookAppProc));
  FHookedApp = nullptr;
}

bool TbsTrayIcon::HookAppProc(TMessage& Message) {
  if (Message.Msg == WM_SIZE && Message.WParam == SIZE_MINIMIZED && FMinimizeToTray) {
    DoMinimizeToTray();
  } else if (Message.Msg == WM_WINDOWPOSCHANGED && FStartUp) {
    if (TForm* main = Application->MainForm()) {
      if (main->FormStyle() == fsMDIForm && FMinimizedOnStart) ShowWindow(Application->Handle(), SW_HIDE);
      FStartUp = false;
    }
  } else if (Message.Msg == gTaskbarCreated && FIconVisible) {
    ShowIcon();
  }
  return false;
}

void TbsTrayIcon::HookFormProc(TMessage& Message) {
  const TWndMethod old = FFormHook.Old();  // a copy: what the message runs may free the tray
  WatchFormMessage(Message);
  if (old) old(Message);
}

void TbsTrayIcon::WatchFormMessage(TMessage& Message) {
  TWinControl* form = OwnerControl();
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam == 1 && Message.LParam == 0) {
    RestoreApplicationWindow();
    SetForegroundWindow(form->Handle());
  } else if (Message.Msg == WM_ACTIVATE &&
             (LOWORD(Message.WParam) == WA_ACTIVE || LOWORD(Message.WParam) == WA_CLICKACTIVE) && Screen &&
             Screen->ActiveControl()) {
    // Only a control of this form: focusing another form's control would take the activation away.
    TWinControl* active = Screen->ActiveControl();
    if (GetParentForm(active) != form || !active->HandleAllocated()) return;
    HWND own = active->Parent() ? active->Parent()->Handle() : active->Handle();
    if (HWND(Message.LParam) != own) ::SetFocus(active->Handle());
  }
}

namespace xj::vcl {

bool RegisterbsTrayIcon() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsTrayIcon>();
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
