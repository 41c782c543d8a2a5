// TWinControl: the window behind the control (created on demand, recreated keeping the children),
// showing, bounds and children. Alignment, focus and streaming are in Controls_winalign.cpp, painting in
// Controls_winpaint.cpp, messages and keys in Controls_winmessages.cpp.

#include <algorithm>
#include <utility>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/IntMath.h"

namespace {

const char* const kControlProp = "XjControl";

thread_local TWinControl* gCreationControl = nullptr;  // a new window's first message comes on its creator's thread
thread_local int gEstimating = 0;                      // create parameters asked for, not a window made, on this thread

bool Inside(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// From the end: children mostly go in the reverse order of their coming (a parent frees the last first).
template <class T>
void EraseOne(std::vector<T*>& list, T* item) {
  const auto it = std::find(list.rbegin(), list.rend(), item);
  if (it != list.rend()) list.erase(std::next(it).base());
}

}  // namespace

namespace xj::vcl {
bool EstimatingParams() { return gEstimating > 0; }
}  // namespace xj::vcl

TWinControl* FindControl(HWND Handle) {
  if (!Handle || !IsWindow(Handle)) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Handle, kControlProp));
}

bool IsVCLControl(HWND Handle) { return FindControl(Handle) != nullptr; }

// ---- Construction -------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(std::make_unique<TBrush>()) {
  FBrush->SetColor(FColor);
  std::weak_ptr<const void> life = LifeToken();
  FObjectInstance = MakeWndProcInstance([this, life](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (life.expired()) return DefWindowProcA(h, msg, w, l);
    return MainWndProc(msg, w, l);
  });
}

TWinControl::~TWinControl() {
  TearDownWindow();
  // Children go with their parent, whoever owns them; each takes itself out of the lists.
  while (!FWinControls.empty() || !FControls.empty()) {
    TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    Remove(c);
    delete c;
  }
  // Out of the parent while still a TWinControl (TControl's destructor would take the wrong list).
  if (FParent) FParent->RemoveControl(this);
  FreeWndProcInstance(FObjectInstance);
}

// ---- The window ---------------------------------------------------------------------------------------

// Null when a handler run by the creation (the first size's OnResize, say) freed the control.
HWND TWinControl::Handle() {
  if (!FHandle) {
    auto life = LifeToken();
    CreateHandle();
    if (life.expired()) return nullptr;
  }
  return FHandle;
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  auto life = LifeToken();
  CreateWnd();
  if (life.expired()) return;
  if (FParent && FHandle)
    SetWindowPos(FHandle, FParent->PrecedingWindow(this), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

// The window of the next windowed sibling above (so a new window keeps its place in the z-order).
HWND TWinControl::PrecedingWindow(TWinControl* Control) {
  auto it = std::find(FWinControls.begin(), FWinControls.end(), Control);
  if (it != FWinControls.end())
    for (++it; it != FWinControls.end(); ++it)
      if ((*it)->HandleAllocated()) return (*it)->FHandle;
  return HWND_TOP;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams {};
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!FComponentState.Contains(csDesigning) && !Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  if (FParent)
    Params.WndParent = xj::vcl::EstimatingParams() && !FParent->HandleAllocated() ? nullptr : FParent->Handle();
  else
    Params.WndParent = FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = WNDPROC(DefWindowProcA);
  Params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Params.WindowClass.hbrBackground = nullptr;
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName) {
  if (!ControlClassName) return;
  WNDCLASSA wc {};
  if (!GetClassInfoA(nullptr, ControlClassName, &wc)) return;
  Params.WindowClass = wc;
  Params.WindowClass.style =
      (wc.style & ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS)) | CS_VREDRAW | CS_HREDRAW;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  // Working out the parameters creates the parent's window first, and a parent that fills this control
  // while it is created has made this window already: that one stays, a second would lose what it holds.
  if (FHandle) return;
  if (!params.WndParent && (params.Style & WS_CHILD)) {
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (owner && owner->FComponentState.Contains(csReading))
      params.WndParent = owner->Handle();
    else
      throw EInvalidOperation(Format("Control '%s' has no parent window", Name()));
  }
  FDefWndProc = params.WindowClass.lpfnWndProc;
  // One window class per control class, whose first procedure binds the window to its control.
  WNDCLASSA existing {};
  const bool registered = GetClassInfoA(nullptr, params.WinClassName.c_str(), &existing);
  if (!registered || !(existing.lpfnWndProc == WNDPROC(&TWinControl::InitWndProc))) {
    if (registered) UnregisterClassA(params.WinClassName.c_str(), nullptr);
    WNDCLASSA wc = params.WindowClass;
    wc.lpfnWndProc = WNDPROC(&TWinControl::InitWndProc);
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&wc) && !GetClassInfoA(nullptr, params.WinClassName.c_str(), &existing))
      throw EOutOfResources(Format("Cannot register the window class %s", params.WinClassName));
  }
  // The window's first messages (its first size among them) run handlers, which may free the control.
  auto life = LifeToken();
  {
    xj::TemporaryChange<TWinControl*> creating(gCreationControl, this);
    CreateWindowHandle(params);
  }
  if (life.expired()) return;
  if (!FHandle) throw EOutOfResources(Format("Error creating window of %s", Name().empty() ? ClassName() : Name()));
  FText.clear();
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  if (!life.expired() && AutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X, Params.Y,
                  Params.Width, Params.Height, Params.WndParent, nullptr, nullptr, Params.Param);
}

// The first message of a new window binds it to the control being created.
LRESULT TWinControl::InitWndProc(HWND hwnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* c = gCreationControl;
  if (!c) return DefWindowProcA(hwnd, Msg, wParam, lParam);
  gCreationControl = nullptr;
  c->FHandle = hwnd;
  SetWindowLongPtrA(hwnd, GWL_WNDPROC, c->FObjectInstance.Value());
  if ((GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrA(hwnd, GWL_ID) == 0)
    SetWindowLongPtrA(hwnd, GWL_ID, reinterpret_cast<LONG_PTR>(hwnd));
  SetPropA(hwnd, kControlProp, c);
  return CallWindowProcA(c->FObjectInstance, hwnd, Msg, wParam, lParam);
}

LRESULT TWinControl::MainWndProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  TMessage m { Msg, wParam, lParam, 0 };
  std::weak_ptr<const void> life = LifeToken();
  // While the derived parts are being destroyed, handlers bound to them must not run.
  const bool destroying = FComponentState.Contains(csDestroying) && WindowProc.Data() == this;
  try {
    if (destroying)
      WndProc(m);
    else
      WindowProc(m);
  } catch (...) {
    // A paint is asked for from anywhere (a destructor resetting a frame, a window being moved): a
    // failing one is shown and the window is left as it stands, never thrown into the caller.
    const bool paint = Msg == WM_PAINT || Msg == WM_NCPAINT || Msg == WM_ERASEBKGND;
    if (!paint && (!xj::vcl::ReportExceptionInWindowProc() || !Application)) throw;
    if (paint)
      PaintFailed(life.expired() ? nullptr : this);
    else
      Application->HandleException(life.expired() ? nullptr : this);
  }
  FreeDeviceContexts();
  return m.Result;
}

void TWinControl::TearDownWindow() {
  Destroying();
  xj::vcl::ControlGone(this);
  if (FParent) RemoveFocus(true);
  DestroyHandle();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  FreeDeviceContexts();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  {
    FControlState << csDestroyingHandle;
    xj::ScopeExit destroyed([&] { FControlState >> csDestroyingHandle; });
    if (FHandle && IsWindow(FHandle)) DestroyWindow(FHandle);
  }
  FHandle = nullptr;
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::RecreateWndWith(const std::function<void()>& Change) {
  // A control that answers the message itself may never run the change: it runs afterwards then.
  bool made = false;
  const std::function<void()> once = [&] {
    made = true;
    Change();
  };
  const auto life = LifeToken();
  if (FHandle) Perform(CM_RECREATEWND, 0, reinterpret_cast<LPARAM>(&once));
  if (!made && !life.expired()) Change();
}

// LParam: null, or the change RecreateWndWith makes while there is no window.
void TWinControl::CMRecreateWnd(TMessage& Message) {
  const bool wasFocused = Focused();
  auto life = LifeToken();  // the new window's first messages (and the change) may free the control
  DestroyHandle();
  if (const auto* change = reinterpret_cast<const std::function<void()>*>(Message.LParam)) {
    (*change)();
    if (life.expired()) return;
  }
  UpdateControlState();
  if (wasFocused && !life.expired() && FHandle) ::SetFocus(FHandle);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  if (FHandle && FParentWindow && Value) {
    FParentWindow = Value;
    ::SetParent(FHandle, Value);
  } else {
    DestroyHandle();
    FParentWindow = Value;
  }
  UpdateControlState();
}

// ---- Showing ------------------------------------------------------------------------------------------------

// The tree below a showing root gets its windows and shows or hides them as Visible says.
void TWinControl::UpdateShowing() {
  const bool show =
      (FVisible || (FComponentState.Contains(csDesigning) && !FControlStyle.Contains(csNoDesignVisible))) &&
      !FControlState.Contains(csReadingState);
  // A window's first messages run handlers: the control itself may be freed by them, or by a child's.
  auto life = LifeToken();
  if (show) {
    if (!FHandle) CreateHandle();
    if (life.expired()) return;
    // A child creating its window may free or move a later sibling (a skinned list box retires its
    // scroll bars then): those are skipped.
    std::vector<std::pair<TWinControl*, std::weak_ptr<const void>>> children;
    for (TWinControl* c : FWinControls) children.emplace_back(c, c->LifeToken());
    for (const auto& [c, childLife] : children) {
      if (!childLife.expired() && c->FParent == this) c->UpdateShowing();
      if (life.expired()) return;
    }
  }
  if (FHandle && FShowing != show) {
    FShowing = show;
    xj::ScopeExit undo([&] {
      if (!life.expired()) FShowing = !show;
    });
    Perform(CM_SHOWINGCHANGED, 0, 0);
    undo.Dismiss();
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->FParent) {
    c = c->FParent;
    if (!c->Showing()) return;
  }
  if (dynamic_cast<TCustomForm*>(c) || c->FParentWindow || c->IsPopupRoot()) UpdateShowing();
}

// A parent-less control whose window is a pop-up (a menu level, a drop-down) is a root of its own: its
// Visible shows and hides it, without activation (the showing path never activates).
bool TWinControl::IsPopupRoot() {
  if (FParent || FParentWindow || dynamic_cast<TCustomForm*>(this)) return false;
  if (FHandle) return (GetWindowLongA(FHandle, GWL_STYLE) & WS_POPUP) != 0;
  TCreateParams params;
  xj::TemporaryChange estimating(gEstimating, gEstimating + 1);
  CreateParams(params);
  return (params.Style & WS_POPUP) != 0;
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& Message) {
  if (!FVisible && FParent) RemoveFocus(false);
  if (!FComponentState.Contains(csDesigning) || FControlStyle.Contains(csNoDesignVisible)) UpdateControlState();
  (void)Message;
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && FParent) RemoveFocus(false);
  if (FHandle && !FComponentState.Contains(csDesigning)) EnableWindow(FHandle, Enabled());
  Invalidate();
}

// ---- Bounds ----------------------------------------------------------------------------------------------

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // Held to the window system's limits before there is a window too, so that Width() is what the window
  // will be (a form resource is read before its windows exist).
  ALeft = xj::ClampPosition(ALeft);
  ATop = xj::ClampPosition(ATop);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  // The size checks and the window's WM_SIZE / WM_MOVE run handlers, which may free the control.
  auto life = LifeToken();
  if (FHandle && !IsIconic(FHandle)) {
    if (CheckNewSize(AWidth, AHeight)) {
      TControlChange checked(this, FSizeChecked, true);
      SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  } else if (CheckNewSize(AWidth, AHeight)) {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
  }
  if (life.expired()) return;
  UpdateAnchorRules();
  RequestAlign();
}

// Constraints, OnCanResize and AutoSize apply to every size change of the window, whoever makes it.
void TWinControl::AdjustSize() {
  if (FComponentState.Contains(csLoading)) return;
  if (FHandle) {
    auto life = LifeToken();  // the size checks and OnResize may free the control
    SetWindowPos(FHandle, nullptr, 0, 0, FWidth, FHeight, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOZORDER);
    if (!life.expired()) RequestAlign();
    return;
  }
  int w = FWidth, h = FHeight;
  if (CheckNewSize(w, h) && (w != FWidth || h != FHeight)) {
    FWidth = w;
    FHeight = h;
    RequestAlign();
  }
}

void TWinControl::UpdateBounds() {
  RECT r {};
  GetWindowRect(FHandle, &r);
  if (GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD)
    if (HWND p = GetParent(FHandle)) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
  UpdateAnchorRules();
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  if (!FControlState.Contains(csDestroyingHandle) && FHandle) UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  if (FHandle) UpdateBounds();
  auto life = LifeToken();  // a child's OnResize in the realignment may free this control too
  DefaultHandler(Message);
  if (life.expired()) return;
  Realign();
  if (!life.expired() && !FComponentState.Contains(csLoading)) Resize();
}

TRect TWinControl::GetClientRect() {
  if (FHandle) {
    RECT r {};
    ::GetClientRect(FHandle, &r);
    return r;
  }
  // Before the window exists: the client area its styles will leave.
  TCreateParams params;
  {
    xj::TemporaryChange estimating(gEstimating, gEstimating + 1);
    CreateParams(params);
  }
  RECT frame { 0, 0, 0, 0 };
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  const int w = FWidth - (frame.right - frame.left) - 2 * FBorderWidth;
  const int h = FHeight - (frame.bottom - frame.top) - 2 * FBorderWidth;
  return TRect(0, 0, std::max(w, 0), std::max(h, 0));
}

TPoint TWinControl::GetClientOrigin() {
  POINT p { 0, 0 };
  ::ClientToScreen(Handle(), &p);
  return TPoint(p.x, p.y);
}

TPoint TWinControl::ParentSizeForAnchors() {
  const TRect r = ClientRect();
  return TPoint(r.Right, r.Bottom);
}

void TWinControl::SetZOrder(bool TopMost) {
  if (!FParent) {
    if (FHandle) SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  auto& list = FParent->FWinControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
  HDC dc = GetDC(Handle());
  if (!dc) throw EOutOfResources("Out of system resources");
  WindowHandle = FHandle;
  return dc;
}

// No wider than a window can be, so that twice it and the frame's edges fit in an int.
void TWinControl::SetBorderWidth(int Value) {
  Value = xj::ClampExtent(Value);
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Realign();
}

// ---- Children ----------------------------------------------------------------------------------------------

TControl* TWinControl::Controls(int Index) const {
  const int n = static_cast<int>(FControls.size());
  if (Index >= 0 && Index < n) return FControls[Index];
  if (Index >= n && Index < ControlCount()) return FWinControls[Index - n];
  throw EListError(Format("List index out of bounds (%d)", Index));
}

void TWinControl::Insert(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    EraseOne(FTabList, w);
    EraseOne(FWinControls, w);
  }
  EraseOne(FControls, AControl);
  AControl->FParent = nullptr;
  ++FRemovals;
}

void TWinControl::InsertControl(TControl* AControl) {
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), TRUE);
  Insert(AControl);
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    // Its window made and its place taken run its handlers (and its children's), which may free it or
    // this control: a control freed here is not reported as inserted, its removal was.
    const auto life = LifeToken(), controlLife = AControl->LifeToken();
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
      w->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
      UpdateControlState();
      if (life.expired() || controlLife.expired()) return;
    } else if (FHandle) {
      AControl->Invalidate();
    }
    AlignControl(AControl);
    if (life.expired() || controlLife.expired()) return;
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), TRUE);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), FALSE);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    w->RemoveFocus(true);
    w->DestroyHandle();
  } else if (FHandle) {
    AControl->InvalidateControl(AControl->Visible(), false);
  }
  Remove(AControl);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), FALSE);
  Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
  auto hit = [&](TControl* c) {
    const TPoint p(Pos.X - c->FLeft, Pos.Y - c->FTop);
    if (!Inside(c->ClientRect(), p)) return false;
    if (c->FComponentState.Contains(csDesigning)) return c->FVisible || !c->FControlStyle.Contains(csNoDesignVisible);
    return c->FVisible && (c->Enabled() || AllowDisabled) && c->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0;
  };
  if (AllowWinControls)
    for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
      if (hit(*it)) return *it;
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

namespace {

// The children as they are now, with tokens that tell whether a handler freed one meanwhile.
std::vector<std::pair<TControl*, std::weak_ptr<const void>>> Snapshot(const std::vector<TControl*>& a,
                                                                      const std::vector<TWinControl*>& b) {
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> all;
  for (TControl* c : a) all.emplace_back(c, c->LifeToken());
  for (TWinControl* c : b) all.emplace_back(c, c->LifeToken());
  return all;
}

}  // namespace

void TWinControl::Broadcast(TMessage& Message) {
  for (auto& [c, life] : Snapshot(FControls, FWinControls)) {
    if (life.expired() || c->FParent != this) continue;
    c->WindowProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m { Msg, 0, 0, 0 };
  Broadcast(m);
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::ShowControl(TControl* AControl) {
  (void)AControl;
  if (FParent) FParent->ShowControl(this);
}
