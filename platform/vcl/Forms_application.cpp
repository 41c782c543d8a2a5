// The application object: its hidden window, the message loop (OnMessage, key messages turned into CN_*
// for the focused control, idle work, Synchronize calls), the exception box, hints, minimising, and the
// program's start and end (main window for the environment, the window-tree dump).

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/WmModal.h"
#include "platform/win32/Scoped.h"

namespace {

// Ours: retrieved once through GetMessageA when the loop starts, so the window manager starts the
// program's environment (XJ_EXIT_AFTER and the artifacts) as for any message loop.
const UINT kStartLoop = CM_BASE + 0x100;
const UINT_PTR kHintTimer = 1;
enum { tiShowHint = 1, tiHideHint = 2 };

std::atomic<HWND> gWakeWindow { nullptr };

AnsiString GetHint(TControl* Control) {
  for (; Control; Control = Control->Parent())
    if (!Control->Hint().empty()) return Control->Hint();
  return AnsiString();
}

// The class library ends an exception's message with a period when its last character sorts above '.'.
AnsiString WithPeriod(const AnsiString& Msg) {
  if (Msg.empty()) return Msg;
  size_t last = 0;
  for (size_t i = 0; i < Msg.size(); ++i) {
    last = i;
    const unsigned char c = static_cast<unsigned char>(Msg[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < Msg.size()) ++i;
  }
  return static_cast<unsigned char>(Msg[last]) > '.' ? Msg + "." : Msg;
}

void DescribeControl(TControl* Control, xj::wm::UiNode& Node) {
  Node.className = Control->ClassName();
  Node.name = Control->Name();
  Node.text = Control->Caption();
  std::vector<AnsiString> items;
  Control->UiDumpItems(items);
  Node.items.assign(items.begin(), items.end());
}

}  // namespace

namespace xj::vcl {

// The window-tree dump names windows by their control's class and Name, with the windowless children
// (placed before the child windows) and the lines of list-like controls.
void InstallDescribeHook() {
  static bool installed = false;
  if (std::exchange(installed, true)) return;
  xj::wm::SetWindowDescriber([](HWND hwnd, xj::wm::UiNode& node) {
    TWinControl* c = FindControl(hwnd);
    if (!c) return;
    DescribeControl(c, node);
    for (int i = 0; i < c->ControlCount(); ++i) {
      TControl* child = c->Controls(i);
      if (dynamic_cast<TWinControl*>(child) || !child->Visible()) continue;
      xj::wm::UiNode n;
      DescribeControl(child, n);
      node.children.push_back(std::move(n));
    }
  });
}

}  // namespace xj::vcl

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);
TClass HintWindowClass = THintWindow::StaticClass();

// ---- Construction ----------------------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FIcon(std::make_unique<TIcon>()) {
  ApplicationHandleException = TClosure<void(TObject*)>(this, &TApplication::HandleException);
}

TApplication::~TApplication() {
  if (ApplicationHandleException.Data() == this) ApplicationHandleException = nullptr;
  CancelHint();
  DestroyComponents();
  FHintWindow = nullptr;
  FMainForm = nullptr;
  if (FHandle && IsWindow(FHandle)) DestroyWindow(FHandle);
  FHandle = nullptr;
  gWakeWindow.store(nullptr);
}

HWND TApplication::Handle() {
  if (FHandle && IsWindow(FHandle)) return FHandle;
  FHandle = nullptr;
  WNDCLASSA wc {};
  if (!GetClassInfoA(nullptr, "TApplication", &wc)) {
    wc.lpfnWndProc = WNDPROC(DefWindowProcA);
    wc.lpszClassName = "TApplication";
    RegisterClassA(&wc);
  }
  FHandle = CreateWindowExA(
      0, "TApplication", Title().c_str(), WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!FHandle) throw EOutOfResources("Cannot create the application window");
  WNDPROC proc = MakeObjectInstance(TWndMethod(this, &TApplication::WndProc));
  SetPropA(FHandle, "XjUtilProc", reinterpret_cast<HANDLE>(proc.Value()));
  SetWindowLongPtrA(FHandle, GWL_WNDPROC, proc.Value());
  gWakeWindow.store(FHandle);
  // A thread that queues a Synchronize call wakes the loop through the application window.
  SetWakeMainThread([] { PostMessageA(gWakeWindow.load(), WM_NULL, 0, 0); });
  return FHandle;
}

void TApplication::HookMainWindow(TWindowHook Hook) {
  if (Hook && std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook) == FWindowHooks.end())
    FWindowHooks.push_back(std::move(Hook));
}

void TApplication::UnhookMainWindow(TWindowHook Hook) { std::erase(FWindowHooks, Hook); }

void TApplication::WndProc(TMessage& Message) {
  HWND h = FHandle;
  // From a copy: a hook may unhook while it runs; one removed meanwhile is not called.
  const std::vector<TWindowHook> hooks = FWindowHooks;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
    if (std::find(FWindowHooks.begin(), FWindowHooks.end(), *it) != FWindowHooks.end() && (*it)(Message)) return;
  switch (Message.Msg) {
    case WM_NULL:
      CheckSynchronize();
      return;
    case WM_TIMER:
      if (Message.WParam == kHintTimer) {
        HintTimerExpired();
        return;
      }
      break;
    case WM_ACTIVATEAPP:
      FActive = Message.WParam != 0;
      if (FActive) {
        if (OnActivate) OnActivate(this);
      } else {
        CancelHint();
        if (OnDeactivate) OnDeactivate(this);
      }
      break;
    case WM_SYSCOMMAND:
      switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return;
        case SC_RESTORE:
          Restore();
          return;
      }
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_NCDESTROY: {
      Message.Result = DefWindowProcA(h, Message.Msg, Message.WParam, Message.LParam);
      if (auto proc = reinterpret_cast<LONG_PTR>(GetPropA(h, "XjUtilProc"))) FreeWndProcInstance(WNDPROC(proc));
      if (FHandle == h) FHandle = nullptr;
      if (gWakeWindow.load() == h) gWakeWindow.store(nullptr);
      return;
    }
  }
  Message.Result = DefWindowProcA(h, Message.Msg, Message.WParam, Message.LParam);
}

AnsiString TApplication::Title() const {
  if (!FTitle.empty()) return FTitle;
  AnsiString name = ExeName();
  const size_t slash = name.find_last_of("/\\");
  if (slash != AnsiString::npos) name = name.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != AnsiString::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

void TApplication::SetTitle(const AnsiString& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Title().c_str());
}

void TApplication::SetIcon(TIcon* Value) { FIcon->Assign(Value); }

AnsiString TApplication::ExeName() const {
  char buf[4096] = "";
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return AnsiString(buf, n < sizeof buf ? n : 0);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainForm) FMainForm = nullptr;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
  if (AComponent == FHintControl) FHintControl = nullptr;
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FHintControl == Control) {
    FHintControl = nullptr;
    FHintActive = false;
    HideHint();
    StopHintTimer();
  }
  if (Control == FMainForm) FMainForm = nullptr;
  if (Control == FHintWindow) FHintWindow = nullptr;
  if (Screen && Screen->FActiveControl == Control) Screen->FActiveControl = nullptr;
}

// ---- Forms -----------------------------------------------------------------------------------------------

void TApplication::FormCreated(TCustomForm* Form) {
  Form->InitForm();
  if (!FMainForm)
    if (auto* form = dynamic_cast<TForm*>(Form)) {
      form->HandleNeeded();
      FMainForm = form;
      xj::wm::SetMainWindow(form->Handle());
    }
}

TCustomForm* TApplication::CreateForm(TClass InstanceClass) {
  TComponent* c = CreateComponent(InstanceClass, this);
  auto* form = dynamic_cast<TCustomForm*>(c);
  if (!form) {
    delete c;
    throw EInvalidCast(Format("%s is not a form class", InstanceClass ? InstanceClass->Name : "(null)"));
  }
  xj::ScopeExit refused([form] { delete form; });
  FormCreated(form);
  refused.Dismiss();
  return form;
}

// ---- The loop ---------------------------------------------------------------------------------------------

void TApplication::Run() {
  xj::vcl::InstallDescribeHook();
  Handle();
  FRunning = true;
  struct TRunning {
    bool& Flag;
    ~TRunning() { Flag = false; }
  } running { FRunning };
  if (FMainForm) {
    xj::wm::SetMainWindow(FMainForm->Handle());
    if (FShowMainForm) {
      if (FMainForm->FWindowState == wsMinimized)
        Minimize();
      else
        FMainForm->SetVisible(true);
    }
    // Only now is anything retrieved: the main form's OnShow has run before the first tick.
    PostMessageA(Handle(), kStartLoop, 0, 0);
    MSG start;
    GetMessageA(&start, Handle(), kStartLoop, kStartLoop);
    while (!FTerminated) {
      try {
        HandleMessage();
      } catch (...) {
        HandleException(this);
      }
    }
  }
  xj::wm::WriteExitArtifacts();
  // The forms go when the thread that ran the loop ends: for the main thread, when the program exits.
  // A thread's thread_local objects are destroyed before any atexit function runs, and a form hidden and
  // freed then still paints and measures text with such state (text and blit buffers, code page
  // converters); made after the loop, this object is destroyed before everything the loop made.
  struct TDoneAtThreadExit {
    ~TDoneAtThreadExit() {
      if (Application) Application->DoneApplication();
    }
  };
  thread_local TDoneAtThreadExit done;
  (void)done;
}

void TApplication::DoneApplication() {
  CancelHint();
  DestroyComponents();
}

void TApplication::Terminate() { PostQuitMessage(0); }

// Both make sure the application window exists: a thread's Synchronize wakes the loops through it.
void TApplication::HandleMessage() {
  Handle();
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
  Handle();
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT)
    FTerminated = true;
  else
    DispatchOne(Msg);
  return true;
}

void TApplication::DispatchOne(MSG& Msg) {
  xj::vcl::TDispatchGuard guard;
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  if (handled || Msg.message == 0) return;
  IsHintMsg(Msg);
  if (IsMDIMsg(Msg) || IsKeyMsg(Msg)) return;
  TranslateMessage(&Msg);
  DispatchMessageA(&Msg);
}

namespace {

// The actions linked to the controls of the visible forms update themselves (OnUpdate may change
// anything, even free controls and forms).
void UpdateActions() {
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> pending;
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i)
      if (TCustomForm* form = Screen->CustomForms(i); form->Visible()) pending.emplace_back(form, form->LifeToken());
  while (!pending.empty()) {
    auto [control, life] = pending.back();
    pending.pop_back();
    if (life.expired()) continue;
    control->InitiateAction();
    if (life.expired()) continue;
    if (auto* w = dynamic_cast<TWinControl*>(control))
      for (int j = 0; j < w->ControlCount(); ++j) pending.emplace_back(w->Controls(j), w->Controls(j)->LifeToken());
  }
}

}  // namespace

void TApplication::Idle() {
  bool done = true;
  try {
    if (OnIdle) OnIdle(this, done);
    if (done) UpdateActions();
  } catch (...) {
    HandleException(this);
  }
  if (CheckSynchronize()) done = false;
  if (done && !FTerminated) WaitMessage();
}

// Keys go to the control that has the focus (or the capture) as CN_* first: a non-zero answer means the
// control, its form or the application took the key.
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) {
    wnd = Msg.hwnd;
    if (FMainForm && wnd && wnd == FMainForm->ClientHandle()) {
      wnd = FMainForm->Handle();
    } else {
      while (wnd && !IsVCLControl(wnd)) wnd = GetParent(wnd);
      if (!wnd) wnd = Msg.hwnd;
    }
  } else if (!IsVCLControl(wnd)) {
    return false;
  }
  if (!wnd || !IsVCLControl(wnd)) return false;
  return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsMDIMsg(MSG&) { return false; }

void TApplication::IsHintMsg(MSG& Msg) {
  if (FHintWindow && FHintWindow->IsHintMsg(Msg)) CancelHint();
}

bool TApplication::IsShortCut(TWMKey& Message, TCustomForm* AlreadyAsked) {
  bool handled = false;
  if (OnShortCut) OnShortCut(Message, handled);
  if (handled) return true;
  return FMainForm && FMainForm != AlreadyAsked && FMainForm->HandleAllocated() &&
         IsWindowEnabled(FMainForm->Handle()) && FMainForm->IsShortCut(Message);
}

// ---- Exceptions -------------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* Sender) {
  if (!std::current_exception()) return;
  if (HWND cap = GetCapture()) SendMessageA(cap, WM_CANCELMODE, 0, 0);
  auto show = [&](Exception& e) {
    try {
      if (OnException)
        OnException(Sender, &e);
      else
        ShowException(&e);
    } catch (...) {
      // A failing exception display must not take the loop down with it.
    }
  };
  try {
    throw;
  } catch (EAbort&) {
  } catch (Exception& e) {
    show(e);
  } catch (std::exception& e) {
    Exception ex(e.what());
    show(ex);
  } catch (...) {
    Exception ex("Unknown exception");
    show(ex);
  }
}

void TApplication::ShowException(Exception* E) {
  const AnsiString text = WithPeriod(E ? E->Message() : AnsiString());
  MessageBox(text.c_str(), Title().c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const char* Text, const char* Caption, int Flags) {
  HWND active = GetActiveWindow();
  const int result = MessageBoxA(active, Text, Caption, static_cast<UINT>(Flags));
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}

// ---- Minimise and restore -------------------------------------------------------------------------------

// The forms are hidden with the application window minimised, and come back on Restore.
void TApplication::Minimize() {
  HWND h = Handle();
  if (IsIconic(h)) return;
  FMinimizedForms.clear();
  std::vector<HWND> shown;
  if (Screen)
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
      TCustomForm* f = Screen->CustomForms(i);
      if (f->HandleAllocated() && IsWindowVisible(f->Handle()) && !f->Parent()) shown.push_back(f->Handle());
    }
  // Hiding one activates another, which reorders the screen's forms: hide from a copy.
  for (HWND f : shown)
    if (IsWindow(f) && IsWindowVisible(f)) {
      FMinimizedForms.push_back(f);
      ShowWindow(f, SW_HIDE);
    }
  ShowWindow(h, SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  HWND h = Handle();
  if (!IsIconic(h)) return;
  ShowWindow(h, SW_RESTORE);
  ShowWindow(h, SW_HIDE);
  for (HWND f : FMinimizedForms)
    if (IsWindow(f)) ShowWindow(f, SW_SHOW);
  FMinimizedForms.clear();
  if (Screen && Screen->ActiveControl() && Screen->ActiveControl()->HandleAllocated())
    ::SetFocus(Screen->ActiveControl()->Handle());
  if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
  if (Screen && Screen->ActiveCustomForm() && Screen->ActiveCustomForm()->HandleAllocated())
    SetForegroundWindow(Screen->ActiveCustomForm()->Handle());
  else if (FMainForm && FMainForm->HandleAllocated())
    SetForegroundWindow(FMainForm->Handle());
}

// ---- Hints -----------------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (Value) {
    UpdateHintWindow(HintWindowClass);
  } else {
    CancelHint();
    delete FHintWindow;
    FHintWindow = nullptr;
  }
}

void TApplication::UpdateHintWindow(TClass Class) {
  if (!Class) Class = THintWindow::StaticClass();
  if (FHintWindow && FHintWindow->ClassType() == Class) return;
  delete FHintWindow;
  FHintWindow = nullptr;
  TComponent* c = nullptr;
  try {
    c = CreateComponent(Class, this);
  } catch (const EComponentError&) {
    c = new THintWindow(this);
  }
  FHintWindow = dynamic_cast<THintWindow*>(c);
  if (!FHintWindow) {
    delete c;
    FHintWindow = new THintWindow(this);
  }
  FHintWindow->SetColor(FHintColor);
}

void TApplication::SetHint(const AnsiString& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!Control->Parent() && !dynamic_cast<TWinControl*>(Control)) return;
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && !w->HandleAllocated()) return;
  const TPoint pt = Control->ClientToScreen(SmallPointToPoint(Message.LParam));
  TControl* under = FindDragTarget(pt, true);
  SetHint(GetLongHint(GetHint(under)));
  TControl* hc = under;
  while (hc && !hc->ShowHint()) hc = hc->Parent();
  if (hc && hc->ComponentState().Contains(csDesigning)) hc = nullptr;
  if (!hc) {
    CancelHint();
    return;
  }
  const TRect& r = FHintCursorRect;
  const bool inRect = pt.X >= r.Left && pt.X < r.Right && pt.Y >= r.Top && pt.Y < r.Bottom;
  if (hc == FHintControl && inRect) return;
  const bool wasActive = FHintActive;
  int pause = wasActive ? FHintShortPause : FHintPause;
  hc->Perform(CM_HINTSHOWPAUSE, wasActive, reinterpret_cast<LPARAM>(&pause));
  CancelHint();
  FHintActive = wasActive;
  FHintControl = hc;
  StartHintTimer(pause, tiShowHint);
}

void TApplication::StartHintTimer(int Value, int Mode) {
  StopHintTimer();
  if (!SetTimer(Handle(), kHintTimer, static_cast<UINT>(std::max(Value, 0)), nullptr)) {
    CancelHint();
    return;
  }
  FTimerMode = Mode;
  FTimerRunning = true;
}

void TApplication::StopHintTimer() {
  if (!FTimerRunning) return;
  FTimerRunning = false;
  if (FHandle && IsWindow(FHandle)) KillTimer(FHandle, kHintTimer);
}

void TApplication::HintTimerExpired() {
  const int mode = FTimerMode;
  StopHintTimer();
  if (mode == tiHideHint) {
    HideHint();
  } else if (mode == tiShowHint) {
    POINT p {};
    GetCursorPos(&p);
    ActivateHint(TPoint(p.x, p.y));
  }
}

void TApplication::CancelHint() {
  if (!FHintControl) return;
  HideHint();
  FHintControl = nullptr;
  FHintActive = false;
  StopHintTimer();
}

void TApplication::HideHint() {
  if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->Handle()))
    ShowWindow(FHintWindow->Handle(), SW_HIDE);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  FHintCursorRect = TRect();
  if (!FHintControl || !FShowHint) return;
  TControl* control = FHintControl;
  THintInfo info;
  info.HintControl = control;
  info.HintPos = TPoint(CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) * 5 / 8);
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HintColor = FHintColor;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(GetHint(control));
  info.ReshowTimeout = 0;
  info.HideTimeout = FHintHidePause;
  info.HintWindowClass = HintWindowClass;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  FHintActive = canShow && FHintControl;
  if (FHintActive && !info.HintStr.empty()) {
    UpdateHintWindow(info.HintWindowClass);
    TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    r = TRect(r.Left + info.HintPos.X, r.Top + info.HintPos.Y, r.Right + info.HintPos.X, r.Bottom + info.HintPos.Y);
    FHintWindow->SetColor(info.HintColor);
    FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
    const TPoint origin = FHintControl ? FHintControl->ClientOrigin() : TPoint();
    FHintCursorRect = TRect(info.CursorRect.Left + origin.X, info.CursorRect.Top + origin.Y,
                            info.CursorRect.Right + origin.X, info.CursorRect.Bottom + origin.Y);
    if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, tiHideHint);
    return;
  }
  if (info.ReshowTimeout > 0)
    StartHintTimer(info.ReshowTimeout, tiShowHint);
  else
    CancelHint();
}
