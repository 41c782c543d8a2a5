// Forms: creation from a form resource, the window styles of border styles and icons, showing (OnShow,
// position), modal loops, closing and releasing, activation and the focus bookkeeping that sends
// CM_ENTER / CM_EXIT / CM_FOCUSCHANGED, dialog keys and short cuts, and MDI.

#include <algorithm>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WmModal.h"

namespace xj::vcl {
void InstallDescribeHook();
}

namespace {

// Counts focus changes, so a focus message whose handler moved the focus elsewhere stops the chain.
int gFocusCount = 0;

bool SendFocusMessage(HWND Window, UINT Msg) {
  const int count = gFocusCount;
  SendMessageA(Window, Msg, 0, 0);
  return gFocusCount == count;
}

}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  if (!form) throw EInvalidOperation(Format("Control '%s' has no parent window", Control ? Control->Name() : ""));
  return form;
}

// ---- Construction and destruction ------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner), FIcon(std::make_unique<TIcon>()) {
  FControlStyle = TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks };
  FWidth = 320;
  FHeight = 240;
  FVisible = false;
  FParentColor = false;
  SetParentFont(false);
  SetColor(clBtnFace);
  FIcon->OnChange = TNotifyEvent(this, &TCustomForm::IconChanged);
  if (Screen) Screen->AddForm(this);
}

void* TCustomForm::operator new(std::size_t Size) { return ::operator new(Size); }

void TCustomForm::operator delete(void* Memory) { ::operator delete(Memory); }

void TCustomForm::operator delete(TCustomForm* Self, std::destroying_delete_t) {
  Self->BeforeDestruction();
  void* whole = dynamic_cast<void*>(Self);
  Self->~TCustomForm();
  ::operator delete(whole);
}

// Runs while the whole object exists: the form is hidden (OnHide) and OnDestroy runs.
void TCustomForm::BeforeDestruction() {
  if (FDestroyed) return;
  FDestroyed = true;
  Destroying();
  if (Screen) Screen->FormGone(this);
  try {
    if (FFormStyle != fsMDIChild && FHandle && FVisible) SetVisible(false);
    DoDestroy();
  } catch (...) {
    // Nothing may escape a deletion; the application shows what went wrong.
    if (Application) Application->HandleException(this);
  }
}

TCustomForm::~TCustomForm() {
  FDestroyed = true;
  Destroying();
  if (Screen) Screen->FormGone(this);
  // The window manager frees a window's menu with the window; the menu is not the window's to free.
  if (FHandle && FMenu) ::SetMenu(FHandle, nullptr);
  TearDownWindow();
  FCanvas.reset();
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::InitForm() {
  if (FInitialized) return;
  FInitialized = true;
  if (const char* text = FindComponentResource(ClassType())) {
    FFormState << fsCreating;
    xj::ScopeExit created([&, life = LifeToken()] {
      if (!life.expired()) FFormState >> fsCreating;
    });
    ReadComponentResource(this, text);
  }
  DoCreate();
}

void TCustomForm::DoCreate() {
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
  if (FFormState.Contains(fsVisible)) SetVisible(true);
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (FClientWidth > 0 || FClientHeight > 0) {
    const TRect client = ClientRect();
    const int w = FClientWidth > 0 ? FClientWidth : client.Right;
    const int h = FClientHeight > 0 ? FClientHeight : client.Bottom;
    FClientWidth = FClientHeight = 0;
    SetClientSize(TPoint(w, h));
  }
  if (FActiveControl && !FActiveControl->CanFocus()) FActiveControl = nullptr;
}

void TCustomForm::ReadState(TReader* Reader) {
  DisableAlign();
  {
    // A read that fails gives the level back without aligning half-read controls.
    xj::ScopeExit failed([&] { --FAlignLevel; });
    TWinControl::ReadState(Reader);
    failed.Dismiss();
  }
  EnableAlign();
}

// Properties form designers write that mean nothing here.
void TCustomForm::DefineProperties(TFiler* Filer) {
  TWinControl::DefineProperties(Filer);
  Filer->DefineProperty("TextHeight", TReaderProc(this, &TCustomForm::ReadIgnoredInt), nullptr, false);
  Filer->DefineProperty("IsControl", TReaderProc(this, &TCustomForm::ReadIgnoredBool), nullptr, false);
}

void TCustomForm::ReadIgnoredInt(TReader* Reader) { Reader->ReadInteger(); }

void TCustomForm::ReadIgnoredBool(TReader* Reader) { Reader->ReadBoolean(); }

void TCustomForm::SetClientWidth(int Value) {
  if (FControlState.Contains(csReadingState))
    FClientWidth = Value;
  else
    TWinControl::SetClientWidth(Value);
}

void TCustomForm::SetClientHeight(int Value) {
  if (FControlState.Contains(csReadingState))
    FClientHeight = Value;
  else
    TWinControl::SetClientHeight(Value);
}

void TCustomForm::SetClientSize(const TPoint& Value) {
  if (FControlState.Contains(csReadingState)) {
    FClientWidth = Value.X;
    FClientHeight = Value.Y;
    return;
  }
  TWinControl::SetClientSize(Value);
}

TRect TCustomForm::GetClientRect() {
  if (FHandle) return TWinControl::GetClientRect();
  TRect r = TWinControl::GetClientRect();
  // The menu bar takes its row once the window exists.
  if (FMenu && FBorderStyle != bsDialog) r.Bottom = std::max<LONG>(r.Bottom - 19, 0);
  return r;
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    // The menu has taken itself off the window already; only the reference and the layout remain.
    FMenu = nullptr;
    if (FHandle && !FComponentState.Contains(csDestroying)) Realign();
  }
  if (AComponent == FWindowMenu) FWindowMenu = nullptr;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  if (AComponent == FFocusedControl) FFocusedControl = nullptr;
}

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
  TWinControl::GetChildren(Proc, Root);
}

void TCustomForm::SetParent(TWinControl* AParent) {
  if (Parent() == AParent) return;
  if (AParent) DestroyHandle();
  TWinControl::SetParent(AParent);
}

// ---- Window ---------------------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (!Parent() && !ParentWindow()) {
    Params.WndParent = nullptr;
    Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
  }
  Params.WindowClass.style = CS_DBLCLKS;
  TFormBorderStyle style = FBorderStyle;
  if (FFormStyle == fsMDIChild && (style == bsNone || style == bsDialog)) style = bsSizeable;
  TBorderIcons icons = FBorderIcons;
  switch (style) {
    case bsNone:
      if (!Parent() && !ParentWindow()) Params.Style |= WS_POPUP;
      icons = TBorderIcons {};
      break;
    case bsSingle:
    case bsToolWindow:
      Params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      icons = icons * TBorderIcons { biSystemMenu, biHelp };
      Params.WindowClass.style |= CS_SAVEBITS;
      break;
  }
  if (style == bsToolWindow || style == bsSizeToolWin) {
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    icons = icons * TBorderIcons { biSystemMenu };
  }
  if (style == bsSingle || style == bsSizeable || style == bsNone) {
    if (FFormStyle != fsMDIChild || icons.Contains(biSystemMenu)) {
      if (icons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (icons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (FWindowState == wsMinimized)
      Params.Style |= WS_MINIMIZE;
    else if (FWindowState == wsMaximized)
      Params.Style |= WS_MAXIMIZE;
  } else {
    FWindowState = wsNormal;
  }
  if (icons.Contains(biSystemMenu)) Params.Style |= WS_SYSMENU;
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
    Params.X = CW_USEDEFAULT;
    Params.Y = CW_USEDEFAULT;
  }
  if ((FPosition == poDefault || FPosition == poDefaultSizeOnly) && (style == bsSizeable || style == bsSizeToolWin)) {
    Params.Width = CW_USEDEFAULT;
    Params.Height = CW_USEDEFAULT;
  }
  if (FFormStyle == fsMDIChild) Params.WindowClass.lpfnWndProc = WNDPROC(DefMDIChildProcA);
}

void TCustomForm::CreateWnd() {
  xj::vcl::InstallDescribeHook();
  TWinControl::CreateWnd();
  if (FMenu && FBorderStyle != bsDialog) {
    ::SetMenu(FHandle, FMenu->Handle());
    FMenu->SetWindowHandle(FHandle);
    Realign();  // the bar took a row of the client area
  }
  if (FFormStyle == fsMDIForm && !FClientHandle) {
    CLIENTCREATESTRUCT ccs { nullptr, 0xFF00 };
    RECT r {};
    ::GetClientRect(FHandle, &r);
    FClientHandle = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                    0, 0, r.right, r.bottom, FHandle, nullptr, nullptr, &ccs);
  }
  if (Application && Application->MainForm() == this) xj::wm::SetMainWindow(FHandle);
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
  if (FFormStyle != fsMDIChild || FComponentState.Contains(csDesigning)) {
    TWinControl::CreateWindowHandle(Params);
    return;
  }
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (!main || !main->HandleAllocated() || !main->FClientHandle)
    throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
  MDICREATESTRUCTA mc {};
  mc.szClass = Params.WinClassName.c_str();
  mc.szTitle = Params.Caption.c_str();
  mc.x = Params.X;
  mc.y = Params.Y;
  mc.cx = Params.Width;
  mc.cy = Params.Height;
  mc.style = Params.Style;
  mc.lParam = reinterpret_cast<LPARAM>(Params.Param);
  SendMessageA(main->FClientHandle, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc));
  FFormState << fsCreatedMDIChild;
}

void TCustomForm::DestroyWindowHandle() {
  if (FHandle && FMenu) ::SetMenu(FHandle, nullptr);
  if (FMenu) FMenu->SetWindowHandle(nullptr);
  if (FFormState.Contains(fsCreatedMDIChild) && FHandle && IsWindow(FHandle)) {
    if (HWND client = GetParent(FHandle)) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
  }
  FFormState >> fsCreatedMDIChild;
  FClientHandle = nullptr;
  TWinControl::DestroyWindowHandle();
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  auto life = LifeToken();  // a child's OnResize may free the form
  TWinControl::AlignControls(AControl, Rect);
  if (!life.expired() && FClientHandle)
    SetWindowPos(FClientHandle, HWND_BOTTOM, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), SWP_NOACTIVATE);
}

TCanvas* TCustomForm::Canvas() const {
  if (!FCanvas) {
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(const_cast<TCustomForm*>(this));
  }
  return FCanvas.get();
}

void TCustomForm::PaintWindow(HDC DC) {
  TCanvas* canvas = Canvas();
  TCanvasDCScope lend(canvas, DC);
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

// ---- Properties -------------------------------------------------------------------------------------------

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (FMenu && FHandle) {
    ::SetMenu(FHandle, nullptr);
    FMenu->SetWindowHandle(nullptr);
  }
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  if (FHandle) {
    TCreateParams params;
    CreateParams(params);
    const DWORD mask = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const LONG_PTR style =
        (GetWindowLongPtrA(FHandle, GWL_STYLE) & ~static_cast<LONG_PTR>(mask)) | (params.Style & mask);
    SetWindowLongPtrA(FHandle, GWL_STYLE, style);
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  if ((Value == fsMDIChild) != (FFormStyle == fsMDIChild) || (Value == fsMDIForm) != (FFormStyle == fsMDIForm)) {
    DestroyHandle();
    FFormStyle = Value;
    UpdateControlState();
    return;
  }
  FFormStyle = Value;
  if (FHandle)
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetPosition(TPosition Value) { FPosition = Value; }

TWindowState TCustomForm::WindowState() {
  if (FHandle && FShowing) {
    if (IsIconic(FHandle)) return wsMinimized;
    if (IsZoomed(FHandle)) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  static const int kShow[] = { SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED };
  if (FWindowState == Value && (!FHandle || !FShowing)) return;
  FWindowState = Value;
  if (FHandle && FShowing && !FComponentState.Contains(csDesigning)) ShowWindow(FHandle, kShow[Value]);
}

void TCustomForm::SetIcon(TIcon* Value) { FIcon->Assign(Value); }

void TCustomForm::IconChanged(TObject*) {
  if (FHandle) Perform(CM_ICONCHANGED, 0, 0);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value && Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
      TCustomForm* f = Screen->CustomForms(i);
      if (f != this && f->FMenu == Value)
        throw EInvalidOperation(Format("%s is already being used by another form", Value->Name()));
    }
  if (FMenu) {
    if (FHandle) ::SetMenu(FHandle, nullptr);
    FMenu->SetWindowHandle(nullptr);
  }
  if (FComponentState.Contains(csDestroying) || (Value && Value->ComponentState().Contains(csDestroying)))
    Value = nullptr;
  FMenu = Value;
  if (Value) {
    Value->FreeNotification(this);
    if (FHandle && FBorderStyle != bsDialog) {
      ::SetMenu(FHandle, Value->Handle());
      Value->SetWindowHandle(FHandle);
    }
  }
  // The bar came or went: the client area changed with it.
  if (FHandle && !FComponentState.Contains(csDestroying)) Realign();
}

void TCustomForm::SetWindowMenu(TMenuItem* Value) {
  FWindowMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  const bool loading = FComponentState.Contains(csLoading);
  if (Control && (Control == this || GetParentForm(Control) != this || (!loading && !Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Control;
  if (Control) Control->FreeNotification(this);
  if (!loading && FActive) SetWindowFocus();
}

void TCustomForm::VisibleChanging() {
  if (FFormStyle == fsMDIChild && FVisible && !Parent() && !FComponentState.Contains(csDestroying))
    throw EInvalidOperation("Cannot hide an MDI Child Form");
}

void TCustomForm::SetVisible(bool Value) {
  if (FFormState.Contains(fsCreating)) {
    if (Value)
      FFormState << fsVisible;
    else
      FFormState >> fsVisible;
    return;
  }
  if (FFormState.Contains(fsShowing)) {
    FPendingVisible = Value;
    return;
  }
  if (!Value && FFormState.Contains(fsModal) && FModalResult == mrNone) FModalResult = mrCancel;
  TWinControl::SetVisible(Value);
}

void TCustomForm::ApplyPendingVisibility() {
  if (FPendingVisible < 0) return;
  const bool visible = FPendingVisible != 0;
  FPendingVisible = -1;
  if (visible != FVisible) SetVisible(visible);
}

// ---- Showing ------------------------------------------------------------------------------------------

void TCustomForm::Show() {
  auto life = LifeToken();
  SetVisible(true);
  if (life.expired()) return;
  BringToFront();
  // An MDI child comes to the front as the active child of its client window.
  if (FFormStyle == fsMDIChild && FHandle && GetParent(FHandle))
    SendMessageA(GetParent(FHandle), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::SetWindowToPosition() {
  int x = FLeft, y = FTop;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      x = (Screen->Width() - FWidth) / 2;
      y = (Screen->Height() - FHeight) / 2;
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* center = Application ? Application->MainForm() : nullptr;
      if (FPosition == poOwnerFormCenter)
        if (auto* owner = dynamic_cast<TCustomForm*>(Owner())) center = owner;
      if (center && center != this) {
        x = (center->Width() - FWidth) / 2 + center->Left();
        y = (center->Height() - FHeight) / 2 + center->Top();
      } else {
        x = (Screen->Width() - FWidth) / 2;
        y = (Screen->Height() - FHeight) / 2;
      }
      break;
    }
    default:
      return;
  }
  SetBounds(std::max(x, 0), std::max(y, 0), FWidth, FHeight);
}

// OnShow runs before the window appears (so nothing is retrieved in between); a hide asked for meanwhile
// keeps it from appearing at all.
// OnShow runs before the window appears (so nothing is retrieved in between); a hide asked for meanwhile
// keeps it from appearing at all. A handler may free the form: nothing of it is touched then.
void TCustomForm::CMShowingChanged(TMessage&) {
  auto life = LifeToken();
  {
    FFormState << fsShowing;
    xj::ScopeExit shown([&] {
      if (!life.expired()) FFormState >> fsShowing;
    });
    auto guarded = [&](void (TCustomForm::*handler)()) {
      try {
        (this->*handler)();
      } catch (...) {
        if (!Application || life.expired()) throw;
        Application->HandleException(this);
      }
      return !life.expired();
    };
    if (FShowing) {
      if (!guarded(&TCustomForm::DoShow)) return;
      if (FPendingVisible != 0 && !FComponentState.Contains(csDesigning)) {
        if (FFormStyle != fsMDIChild) SetWindowToPosition();
        FPosition = poDesigned;
        static const int kShow[] = { SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED };
        ShowWindow(FHandle, kShow[FWindowState]);
        if (life.expired()) return;
        if (FFormStyle == fsMDIChild)
          if (HWND client = GetParent(FHandle))
            SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
      }
    } else {
      if (!guarded(&TCustomForm::DoHide)) return;
      ShowWindow(FHandle, SW_HIDE);
    }
  }
  if (!life.expired()) ApplyPendingVisibility();
}

namespace {

// The application's other visible windows stop taking input; returns the ones this disabled.
std::vector<HWND> DisableOtherWindows(HWND Except) {
  std::vector<HWND> disabled;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    if (IsWindowVisible(h) && IsWindowEnabled(h) && h != Except) disabled.push_back(h);
  for (HWND h : disabled) EnableWindow(h, FALSE);
  return disabled;
}

void EnableWindowsAgain(const std::vector<HWND>& Windows) {
  for (HWND h : Windows)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

// Nothing may escape a clean-up, so the application shows what a handler run by the reactivation throws.
void Reactivate(HWND Window) {
  if (!Window || !IsWindow(Window)) return;
  try {
    SetActiveWindow(Window);
  } catch (...) {
    Application->HandleException(nullptr);
  }
}

}  // namespace

// Runs messages until the form has a modal result, or a handler freed it.
void TCustomForm::RunModalLoop(const std::weak_ptr<const void>& Life) {
  xj::wm::ModalFrame frame;
  frame.kind = IsColorDialog() ? xj::wm::ModalFrame::ColourDialog : xj::wm::ModalFrame::Form;
  frame.hwnd = FHandle;
  frame.caption = Caption();
  xj::wm::ModalScope scope(frame);
  do {
    try {
      Application->HandleMessage();
    } catch (...) {
      Application->HandleException(Life.expired() ? nullptr : this);
    }
    if (Life.expired()) break;
    if (scope.Ended() && FModalResult == mrNone) {
      FModalResult = static_cast<TModalResult>(scope.Frame().result);
      if (FModalResult == mrNone) FModalResult = mrCancel;
    }
    if (Application->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != mrNone)
      CloseModal();
    else if (!FVisible)
      FModalResult = mrCancel;
  } while (FModalResult == mrNone);
}

// A loop left by an exception takes the form out of the modal state and hides it.
void TCustomForm::AbandonModal() {
  FFormState >> fsModal;
  try {
    SetVisible(false);
  } catch (...) {
    // The first exception is the one the caller hears of.
  }
}

int TCustomForm::ShowModal() {
  if (FVisible || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  auto life = LifeToken();
  FFormState << fsModal;
  HWND activeWindow = GetActiveWindow();
  TScreen* screen = Screen;
  screen->FSaveFocusedList.insert(screen->FSaveFocusedList.begin(), screen->FFocusedForm);
  screen->FFocusedForm = this;
  const TCursor savedCursor = screen->Cursor();
  screen->SetCursor(crDefault);
  // The application's other windows take no input until the loop ends.
  const std::vector<HWND> disabled = DisableOtherWindows(FHandle);
  // Owned by the form it came from, so that the desktop keeps it above that form and hands it the focus.
  HandleNeeded();
  const HWND savedOwner = HWND(GetWindowLongPtrA(FHandle, GWLP_HWNDPARENT));
  if (activeWindow && activeWindow != FHandle) SetWindowLongPtrA(FHandle, GWLP_HWNDPARENT, LONG_PTR(activeWindow));
  int result = mrCancel;
  {
    // However the loop ends: the other windows take input again, the focus bookkeeping and the cursor are
    // as they were, and the window that was active gets the activation back.
    xj::ScopeExit restore([&] {
      if (HandleAllocated()) SetWindowLongPtrA(FHandle, GWLP_HWNDPARENT, LONG_PTR(savedOwner));
      EnableWindowsAgain(disabled);
      auto& saved = screen->FSaveFocusedList;
      if (!saved.empty()) {
        screen->FFocusedForm = saved.front();
        saved.erase(saved.begin());
      } else {
        screen->FFocusedForm = nullptr;
      }
      screen->SetCursor(savedCursor);
      Reactivate(activeWindow);
    });
    xj::ScopeExit failed([&] {
      if (!life.expired()) AbandonModal();
    });
    Show();
    SendMessageA(FHandle, CM_ACTIVATE, 0, 0);
    FModalResult = mrNone;
    RunModalLoop(life);
    if (life.expired()) return mrCancel;
    result = FModalResult;
    SendMessageA(FHandle, CM_DEACTIVATE, 0, 0);
    // Another window that took the activation keeps it. None active means this form was hidden before
    // its loop ended (its owner still disabled, the activation had nowhere to go): the owner gets it back.
    if (HWND now = GetActiveWindow(); now && now != FHandle) activeWindow = nullptr;
    SetVisible(false);
    failed.Dismiss();
  }
  FFormState >> fsModal;
  if (FReleasePending) {
    FReleasePending = false;
    Release();
  }
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

bool TCustomForm::CloseQuery() {
  if (FFormStyle == fsMDIForm)
    for (int i = 0; i < MDIChildCount(); ++i)
      if (!MDIChildren(i)->CloseQuery()) return false;
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  auto life = LifeToken();
  if (!CloseQuery() || life.expired()) return;
  TCloseAction action = caHide;
  if (FFormStyle == fsMDIChild) action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
  DoClose(action);
  // A handler that freed the form has closed it for good.
  if (life.expired() || action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

// ---- Activation and focus -------------------------------------------------------------------------------

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::WMActivate(TMessage& Message) {
  if (FFormStyle != fsMDIForm || FComponentState.Contains(csDesigning))
    SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
}

void TCustomForm::SetActive(bool Value) {
  FActive = Value;
  if (!Value) return;
  if (!FActiveControl && !FComponentState.Contains(csDesigning)) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) SetActiveControl(first);
  }
  SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = FActiveControl ? FActiveControl : this;
  if (!target->HandleAllocated() && !target->CanFocus() && target != this) target = this;
  if (FHandle && IsIconic(FHandle)) return;
  ::SetFocus(target->Handle());
}

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!(FVisible && Enabled())) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  const bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

// The form's focused control becomes Control: CM_DEACTIVATE / CM_ACTIVATE between forms, CM_EXIT up and
// CM_ENTER down the control tree, then CM_FOCUSCHANGED to every control of the form. A focus message whose
// handler moves the focus elsewhere ends the chain (false).
bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  ++gFocusCount;
  if (Control != this)
    FActiveControl = Control;
  else
    FActiveControl = nullptr;
  if (Screen) Screen->SetFocusedState(this, Control);
  if (Control->FControlState.Contains(csFocusing)) return false;
  Control->FControlState << csFocusing;
  xj::ScopeExit done([&, life = Control->LifeToken()] {
    if (!life.expired()) Control->FControlState >> csFocusing;
  });
  if (Screen && Screen->FFocusedForm != this) {
    if (TCustomForm* old = Screen->FFocusedForm) {
      Screen->FFocusedForm = nullptr;
      if (old->FHandle && !SendFocusMessage(old->FHandle, CM_DEACTIVATE)) return false;
    }
    Screen->FFocusedForm = this;
    if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return false;
  }
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl != Control) {
    while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
      HWND h = FFocusedControl->Handle();
      FFocusedControl = FFocusedControl->Parent();
      if (!SendFocusMessage(h, CM_EXIT)) return false;
    }
    while (FFocusedControl != Control) {
      TWinControl* step = Control;
      while (step->Parent() != FFocusedControl) step = step->Parent();
      FFocusedControl = step;
      if (!SendFocusMessage(step->Handle(), CM_ENTER)) return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  }
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && FFocusedControl && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->Parent();
  if (FActiveControl && Control->ContainsControl(FActiveControl)) {
    if (FComponentState.Contains(csDestroying))
      FActiveControl = nullptr;
    else
      SetActiveControl(nullptr);
  }
  if (Screen && Screen->FActiveControl && Control->ContainsControl(Screen->FActiveControl))
    Screen->FActiveControl = nullptr;
}

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (FActive && FActiveControl) FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
  if (FFormStyle == fsMDIForm)
    if (TForm* child = ActiveMDIChild()) child->SendCancelMode(Sender);
}

bool TCustomForm::IsShortCut(TWMKey& Message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Message, handled);
  if (handled) return true;
  if (FMenu && FMenu->WindowHandle() && FMenu->IsShortCut(Message)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)))
      if (list->IsShortCut(Message)) return true;
  return false;
}

// ---- Messages -----------------------------------------------------------------------------------------

void TCustomForm::WndProc(TMessage& Message) {
  if (Message.Msg == WM_SETFOCUS && !FComponentState.Contains(csDesigning)) {
    HWND focus = nullptr;
    if (FFormStyle == fsMDIForm) {
      if (TForm* child = ActiveMDIChild()) focus = child->Handle();
    } else if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
      focus = FActiveControl->Handle();
    }
    if (focus) {
      ::SetFocus(focus);
      return;
    }
  }
  TWinControl::WndProc(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      return WMActivate(Message);
    case WM_CLOSE:
      return Close();
    case WM_SYSCOMMAND:
      return WMSysCommand(Message);
    case WM_NEXTDLGCTL:
      return WMNextDlgCtl(Message);
    case WM_COMMAND:
      return WMCommand(Message);
    case WM_INITMENUPOPUP:
      return WMInitMenuPopup(Message);
    case WM_PAINT:
      return WMCustomPaint(Message);
    case WM_GETMINMAXINFO:
      return WMGetMinMaxInfo(Message);
    case CM_SHOWINGCHANGED:
      return CMShowingChanged(Message);
    case CM_ACTIVATE:
      return CMActivate(Message);
    case CM_DEACTIVATE:
      return Deactivate();
    case CM_DIALOGKEY:
      return CMDialogKey(reinterpret_cast<TWMKey&>(Message));
    case CM_RELEASE:
      return CMRelease(Message);
    default:
      return TWinControl::Dispatch(Message);
  }
}

// A submenu of the main menu about to open: its item clicks first (and its action updates).
void TCustomForm::WMInitMenuPopup(TMessage& Message) {
  if (FMenu) FMenu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
  TWinControl::Dispatch(Message);
}

// The constraints bound what the user can size the window to.
void TCustomForm::WMGetMinMaxInfo(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam)) {
    TSizeConstraints* c = Constraints();
    if (c->MinWidth() > 0) mmi->ptMinTrackSize.x = c->MinWidth();
    if (c->MinHeight() > 0) mmi->ptMinTrackSize.y = c->MinHeight();
    if (c->MaxWidth() > 0) mmi->ptMaxTrackSize.x = c->MaxWidth();
    if (c->MaxHeight() > 0) mmi->ptMaxTrackSize.y = c->MaxHeight();
  }
}

// A form still being read only notes that it was activated.
void TCustomForm::CMActivate(TMessage&) {
  if (FComponentState.Contains(csReading))
    FFormState << fsActivated;
  else
    Activate();
}

// A modal form is freed only after its loop has returned.
void TCustomForm::CMRelease(TMessage&) {
  if (FFormState.Contains(fsModal))
    FReleasePending = true;
  else
    delete this;
}

void TCustomForm::WMSysCommand(TMessage& Message) {
  if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
    Application->Minimize();
    return;
  }
  TWinControl::Dispatch(Message);
}

void TCustomForm::WMNextDlgCtl(TMessage& Message) {
  if (LOWORD(Message.LParam)) {
    ::SetFocus(reinterpret_cast<HWND>(Message.WParam));
    return;
  }
  SelectNext(FActiveControl, Message.WParam == 0, true);
}

void TCustomForm::WMCommand(TMessage& Message) {
  if (Message.LParam == 0 && FMenu && FMenu->DispatchCommand(LOWORD(Message.WParam))) return;
  TWinControl::Dispatch(Message);
}

// Tab and Shift+Tab move through the tab stops, arrows through the active control's siblings; other dialog
// keys go to every control (a default or cancel button takes Return or Escape).
void TCustomForm::CMDialogKey(TWMKey& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.CharCode) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl,
                                               Message.CharCode == VK_RIGHT || Message.CharCode == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
    }
  }
  TWinControl::Dispatch(reinterpret_cast<TMessage&>(Message));
}

// ---- MDI ------------------------------------------------------------------------------------------------

int TCustomForm::MDIChildCount() {
  if (FFormStyle != fsMDIForm || !FClientHandle || !Screen) return 0;
  int n = 0;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i)->FormStyle() == fsMDIChild) ++n;
  return n;
}

TForm* TCustomForm::MDIChildren(int I) {
  if (FFormStyle == fsMDIForm && FClientHandle && Screen)
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TForm* f = Screen->Forms(i);
      if (f->FormStyle() == fsMDIChild && I-- == 0) return f;
    }
  throw EListError(Format("List index out of bounds (%d)", I));
}

TForm* TCustomForm::ActiveMDIChild() {
  if (FFormStyle != fsMDIForm || !FClientHandle) return nullptr;
  HWND h = reinterpret_cast<HWND>(SendMessageA(FClientHandle, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TForm*>(FindControl(h));
}

void TForm::Next() {
  if (FormStyle() == fsMDIForm && ClientHandle()) SendMessageA(ClientHandle(), WM_MDINEXT, 0, 0);
}

void TForm::Previous() {
  if (FormStyle() == fsMDIForm && ClientHandle()) SendMessageA(ClientHandle(), WM_MDINEXT, 0, 1);
}

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TForm,
  XJ_PROP(Action)
  XJ_PROP(ActiveControl)
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoScroll, true)
  XJ_PROP(AutoSize, false)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderIcons, { biSystemMenu, biMinimize, biMaximize })
  XJ_PROP(BorderStyle, bsSizeable)
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(ClientHeight) XJ_NOT_STORED
  XJ_PROP(ClientWidth) XJ_NOT_STORED
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(UseDockManager, false)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(ParentFont, false)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(FormStyle, fsNormal)
  XJ_PROP(Icon) XJ_STORED(IsIconStored)
  XJ_PROP(KeyPreview, false)
  XJ_PROP(Menu)
  XJ_PROP(OldCreateOrder)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(PixelsPerInch)
  XJ_PROP(PopupMenu)
  XJ_PROP(Position, poDesigned)
  XJ_PROP(PrintScale, poProportional)
  XJ_PROP(Scaled, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Visible, false)
  XJ_PROP(WindowState, wsNormal)
  XJ_PROP(WindowMenu)
  XJ_EVENT(OnActivate)
  XJ_EVENT(OnCanResize)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnClose)
  XJ_EVENT(OnCloseQuery)
  XJ_EVENT(OnConstrainedResize)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnCreate)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDestroy)
  XJ_EVENT(OnDeactivate)
  XJ_EVENT(OnDockDrop)
  XJ_EVENT(OnDockOver)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnGetSiteInfo)
  XJ_EVENT(OnHide)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnMouseWheel)
  XJ_EVENT(OnMouseWheelDown)
  XJ_EVENT(OnMouseWheelUp)
  XJ_EVENT(OnPaint)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnShortCut)
  XJ_EVENT(OnShow)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnUnDock));

namespace xj::vcl {
bool RegisterForms() {
  static const bool registered = (RegisterClasses({ TForm::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
