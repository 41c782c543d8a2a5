// TWinControl: the window behind the control (created on demand, recreated keeping the children),
// children and alignment, focus and tab order, painting of the windowless children, the key pipeline's
// control side and the reflection of child notifications.

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
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
bool EraseOne(std::vector<T*>& list, T* item) {
  const auto it = std::find(list.rbegin(), list.rend(), item);
  if (it == list.rend()) return false;
  list.erase(std::next(it).base());
  return true;
}

// Ends a paint cycle even when a Paint handler throws.
struct TPaintCycle {
  HWND Wnd { nullptr };
  PAINTSTRUCT PS {};
  HDC DC { nullptr };
  TPaintCycle(HWND w, HDC given) : Wnd(given ? nullptr : w), DC(given) {
    if (!given) DC = BeginPaint(w, &PS);
  }
  ~TPaintCycle() {
    if (Wnd) EndPaint(Wnd, &PS);
  }
};

// The union of rectangles given as corner pairs (device coordinates) in one region; the caller deletes it.
HRGN RectsRegion(const std::vector<POINT>& Corners) {
  std::vector<char> data(sizeof(RGNDATAHEADER) + Corners.size() / 2 * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = DWORD(Corners.size() / 2);
  for (size_t i = 0; i + 1 < Corners.size(); i += 2) {
    const POINT a = Corners[i], b = Corners[i + 1];
    const RECT r { std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y) };
    std::memcpy(data.data() + sizeof(RGNDATAHEADER) + i / 2 * sizeof(RECT), &r, sizeof r);
  }
  return ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
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

void TWinControl::CreateHandle() { MakeHandle(true); }

// PlaceNow: the new window goes to its place among its siblings at once; otherwise when it shows.
void TWinControl::MakeHandle(bool PlaceNow) {
  if (FHandle) return;
  auto life = LifeToken();
  CreateWnd();
  if (life.expired()) return;
  if (FParent && FHandle) {
    if (PlaceNow)
      SetWindowPos(FHandle, FParent->PrecedingWindow(this), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else
      FPlacePending = true;
  }
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

// A window made hidden to be shown next takes its place among its siblings when it shows, in the one
// move that shows it, rather than in a move of its own before.
void TWinControl::PlacePendingWindow(UINT Flags) {
  const bool place = std::exchange(FPlacePending, false) && FParent;
  SetWindowPos(FHandle, place ? FParent->PrecedingWindow(this) : nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (place ? 0 : SWP_NOZORDER) | Flags);
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
  FPlacePending = false;
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
    if (!FHandle) MakeHandle(false);
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
  // A control whose showing message places nothing still gets its place.
  if (!life.expired() && FPlacePending && FHandle) PlacePendingWindow(0);
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

void TWinControl::CMShowingChanged(TMessage&) { PlacePendingWindow(FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW); }

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
  if (AControl->AlignedOrAnchored()) ++FAlignedOrAnchored;
}

void TWinControl::Remove(TControl* AControl) {
  bool erased = false;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    EraseOne(FTabList, w);
    erased = EraseOne(FWinControls, w);
  }
  erased = EraseOne(FControls, AControl) || erased;
  if (erased && AControl->AlignedOrAnchored()) --FAlignedOrAnchored;
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

// ---- Alignment ------------------------------------------------------------------------------------------

void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || FComponentState.Contains(csDestroying)) return;
  if (FAlignLevel != 0) {
    FControlState << csAlignmentNeeded;
    return;
  }
  DisableAlign();
  // A child's handler run by its placement may free this control.
  xj::ScopeExit aligned([&, life = LifeToken()] {
    if (life.expired()) return;
    FControlState >> csAlignmentNeeded;
    EnableAlign();
  });
  TRect r = GetClientRect();
  AlignControls(AControl, r);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(TRect&) {}

namespace {

// R23: among siblings of one alignment, the control being aligned first, then each other one before the
// first entry it precedes.
bool InsertBefore(TControl* C1, TControl* C2, TAlign Align) {
  switch (Align) {
    case alTop:
      return C1->Top() < C2->Top();
    case alBottom:
      return C1->Top() + C1->Height() > C2->Top() + C2->Height();
    case alLeft:
      return C1->Left() < C2->Left();
    case alRight:
      return C1->Left() + C1->Width() > C2->Left() + C2->Width();
    default:
      return false;
  }
}

// Takes an aligned control's strip of w x h off Rect's side and returns the strip's top left; alClient and
// alCustom take Rect's top left and leave Rect as it is.
TPoint CutStrip(TAlign Align, int w, int h, TRect& Rect) {
  int l = Rect.Left, t = Rect.Top;
  switch (Align) {
    case alTop:
      Rect.Top += h;
      break;
    case alBottom:
      Rect.Bottom -= h;
      t = Rect.Bottom;
      break;
    case alLeft:
      Rect.Left += w;
      break;
    case alRight:
      Rect.Right -= w;
      l = Rect.Right;
      break;
    default:
      break;
  }
  return TPoint { l, t };
}

// The control was given w x h but kept another size (constraints, say): the space it left goes back.
void GiveBackSpace(TAlign Align, int w, int h, int keptW, int keptH, TRect& Rect) {
  if (keptW == w && keptH == h) return;
  switch (Align) {
    case alTop:
      Rect.Top -= h - keptH;
      break;
    case alBottom:
      Rect.Bottom += h - keptH;
      break;
    case alLeft:
      Rect.Left -= w - keptW;
      break;
    case alRight:
      Rect.Right += w - keptW;
      break;
    case alClient:
      Rect.Right += keptW - w;
      Rect.Bottom += keptH - h;
      break;
    default:
      break;
  }
}

}  // namespace

// Asked at every child's move, so counted as the children come, go and change rather than scanned: a form
// of a hundred controls laid out one by one would otherwise look at every child for each.
bool TWinControl::AnyAlignedOrAnchored() { return FAlignedOrAnchored > 0; }

// A move made by alignment, which must not take new anchor rules from it.
void TWinControl::MoveByAlignment(TControl* c, int l, int t, int w, int h) {
  TControlChange moving(c, c->FAnchorMove, true);
  c->SetBounds(l, t, w, h);
}

// Anchored edges keep their distance to the parent's edges, against the size the rules were taken at.
void TWinControl::ApplyAnchors(TControl* c) {
  if (c->FOriginalParentSize.X == 0 || c->FOriginalParentSize.Y == 0) return;
  int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
  const TPoint size = ParentSizeForAnchors();
  const TAnchors a = c->FAnchors;
  if (a.Contains(akRight)) {
    if (a.Contains(akLeft))
      w = size.X - (c->FOriginalParentSize.X - c->FAnchorRules.X);
    else
      l = size.X - (c->FOriginalParentSize.X - c->FAnchorRules.X);
  } else if (!a.Contains(akLeft)) {
    l = MulDiv(c->FAnchorRules.X, size.X, c->FOriginalParentSize.X) - w / 2;
  }
  if (a.Contains(akBottom)) {
    if (a.Contains(akTop))
      h = size.Y - (c->FOriginalParentSize.Y - c->FAnchorRules.Y);
    else
      t = size.Y - (c->FOriginalParentSize.Y - c->FAnchorRules.Y);
  } else if (!a.Contains(akTop)) {
    t = MulDiv(c->FAnchorRules.Y, size.Y, c->FOriginalParentSize.Y) - h / 2;
  }
  MoveByAlignment(c, l, t, w, h);
}

// An unaligned control follows its anchors; an aligned one takes its place in what Rect has left (and
// follows its anchors first when they are not the alignment's own). False when a handler its move ran
// took a child away or freed this control: the pass is no longer the children's.
bool TWinControl::PlaceAligned(TControl* c, TAlign Align, TRect& Rect) {
  const auto life = LifeToken();
  const unsigned removals = FRemovals;
  auto whole = [&] { return !life.expired() && FRemovals == removals; };
  if (Align == alNone || c->FAnchors != AnchorAlign(Align)) {
    ApplyAnchors(c);
    if (!whole()) return false;
    if (Align == alNone) return true;
  }
  int w = Rect.Right - Rect.Left;
  if (w < 0 || Align == alLeft || Align == alRight || Align == alCustom) w = c->FWidth;
  int h = Rect.Bottom - Rect.Top;
  if (h < 0 || Align == alTop || Align == alBottom || Align == alCustom) h = c->FHeight;
  const TPoint at = CutStrip(Align, w, h, Rect);
  MoveByAlignment(c, at.X, at.Y, w, h);
  if (!whole()) return false;
  GiveBackSpace(Align, w, h, c->FWidth, c->FHeight, Rect);
  return true;
}

// Unaligned controls always take part (for their anchors); aligned ones when visible, or when shown at
// design time.
bool TWinControl::TakesPartInAlignment(TControl* c, TAlign Align) {
  if (Align == alNone) return true;
  if (c->FVisible) return true;
  if (c->FControlStyle * TControlStyle { csAcceptsControls, csNoDesignVisible } ==
      TControlStyle { csAcceptsControls, csNoDesignVisible })
    return true;
  return c->FComponentState.Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible);
}

// The children of one alignment in the order they take their places.
std::vector<TControl*> TWinControl::AlignmentOrder(TControl* AControl, TAlign Align) {
  std::vector<TControl*> list;
  if (AControl && AControl->FParent == this && AControl->FAlign == Align && TakesPartInAlignment(AControl, Align))
    list.push_back(AControl);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == AControl || c->FAlign != Align || !TakesPartInAlignment(c, Align)) continue;
    size_t j = 0;
    while (j < list.size() && !InsertBefore(c, list[j], Align)) ++j;
    list.insert(list.begin() + static_cast<long>(j), c);
  }
  return list;
}

// A child's handler run by its placement may free or take away a child: the pass starts again without
// it, so that its place goes to the others. One that frees this control ends the alignment there.
void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  if (!AnyAlignedOrAnchored()) return;
  AdjustClientRect(Rect);
  const TRect space = Rect;
  const auto life = LifeToken(), controlLife = AControl ? AControl->LifeToken() : std::weak_ptr<const void>();
  while (!PlaceChildren(controlLife.expired() ? nullptr : AControl, Rect)) {
    if (life.expired()) return;
    Rect = space;
  }
  ControlsAligned();
}

// One pass of the children over Rect; false when it stopped because a child went or this control did.
bool TWinControl::PlaceChildren(TControl* AControl, TRect& Rect) {
  for (TAlign align : { alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone })
    for (TControl* c : AlignmentOrder(AControl, align))
      if (!PlaceAligned(c, align, Rect)) return false;
  return true;
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
  const bool visible = FHandle && IsWindowVisible(FHandle);
  if (visible)
    ScrollWindowEx(FHandle, DeltaX, DeltaY, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->FHandle) {
      c->FLeft += DeltaX;
      c->FTop += DeltaY;
    } else if (!visible) {
      SetWindowPos(w->FHandle, nullptr, w->FLeft + DeltaX, w->FTop + DeltaY, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  Realign();
}

// ---- Focus and tab order ---------------------------------------------------------------------------------

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TWinControl* c = this; c != form; c = c->FParent) {
    if (!c) return false;
    if (!(c->FVisible && c->Enabled())) return false;
  }
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this))
    form->FocusControl(this);
  else if (FParentWindow)
    ::SetFocus(Handle());
  else
    ValidParentForm(this);
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrA(FHandle, GWL_STYLE);
    SetWindowLongPtrA(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  const auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (FControlState.Contains(csReadingState))
    FTabOrder = Value;
  else
    UpdateTabOrder(Value);
}

void TWinControl::UpdateTabOrder(int Value) {
  if (!FParent) return;
  const int cur = TabOrder();
  if (cur < 0) return;
  auto& list = FParent->FTabList;
  Value = std::clamp(Value, 0, static_cast<int>(list.size()) - 1);
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  const int count = static_cast<int>(FWinControls.size());
  std::vector<TWinControl*> order(static_cast<size_t>(count), nullptr);
  for (TWinControl* c : FWinControls)
    if (c->FTabOrder >= 0 && c->FTabOrder < count) order[c->FTabOrder] = c;
  for (int i = 0; i < count; ++i)
    if (order[i]) order[i]->UpdateTabOrder(i);
}

void TWinControl::GetTabOrderList(TList* List) {
  for (TWinControl* c : FTabList) {
    List->Add(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  TList list;
  GetTabOrderList(&list);
  const int count = list.Count();
  if (count == 0) return nullptr;
  int start = list.IndexOf(CurControl);
  if (start < 0) start = GoForward ? count - 1 : 0;
  int i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    auto* c = static_cast<TWinControl*>(list[i]);
    if (c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) form->SetActiveControl(c);
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

void TWinControl::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && !FComponentState.Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- Painting -------------------------------------------------------------------------------------------

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::Update() {
  if (!FHandle) return;
  if (TPaintLater::Active())
    TPaintLater::Hold(this);
  else
    UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintHandler(TWMPaint& Message) {
  TPaintCycle cycle(FHandle, Message.DC);
  HDC dc = cycle.DC;
  // A draw handler inside PaintWindow may free this control.
  auto life = LifeToken();
  if (FControls.empty()) {
    PaintWindow(dc);
  } else {
    // The window paints around its opaque children: one region of all of them taken out of the clip at
    // once (excluding them one by one costs a copy of the growing clip per child).
    std::vector<POINT> corners;
    for (TControl* c : FControls)
      if (c->FVisible && c->FControlStyle.Contains(csOpaque)) {
        corners.push_back(POINT { c->FLeft, c->FTop });
        corners.push_back(POINT { c->FLeft + c->FWidth, c->FTop + c->FHeight });
      }
    const int saved = SaveDC(dc);
    bool covered = false;
    if (!corners.empty()) {
      LPtoDP(dc, corners.data(), int(corners.size()));
      HRGN opaque = RectsRegion(corners);
      covered = ExtSelectClipRgn(dc, opaque, RGN_DIFF) == NULLREGION;
      DeleteObject(opaque);
    }
    if (!covered) PaintWindow(dc);
    RestoreDC(dc, saved);
  }
  if (!life.expired()) PaintControls(dc, nullptr);
}

// A window of its own class draws nothing here; a native class paints into the DC it is given.
void TWinControl::PaintWindow(HDC DC) {
  if (FDefWndProc == WNDPROC(DefWindowProcA)) return;
  TMessage m { WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0 };
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  if (FControls.empty()) return;  // most windows have no windowless child: no clip to ask for
  RECT box {};
  const int clip = GetClipBox(DC, &box);
  if (clip == NULLREGION) return;
  // Only the controls the clip reaches, from First up the z-order, with tokens that tell whether a handler
  // freed one meanwhile. The clip's box rules most out without a region operation.
  auto reaches = [&](TControl* c) {
    if (!(c->FVisible || (c->FComponentState.Contains(csDesigning) && !c->FControlStyle.Contains(csNoDesignVisible))))
      return false;
    const RECT r = c->BoundsRect();
    if (clip != ERROR && !(r.left < box.right && box.left < r.right && r.top < box.bottom && box.top < r.bottom))
      return false;
    return clip == SIMPLEREGION || RectVisible(DC, &r) != FALSE;
  };
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.end();
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> list;
  for (auto i = it == FControls.end() ? FControls.begin() : it; i != FControls.end(); ++i)
    if (reaches(*i)) list.emplace_back(*i, (*i)->LifeToken());
  for (auto& entry : list) {
    // Named, not a structured binding: the clean-up below captures both, which not every compiler takes.
    TControl* const c = entry.first;
    const std::weak_ptr<const void>& life = entry.second;
    // An earlier control's paint may have freed, hidden or moved this one.
    if (life.expired() || c->FParent != this || !reaches(c)) continue;
    if (FControlState.Contains(csPaintCopy)) c->FControlState << csPaintCopy;
    const int saved = SaveDC(DC);
    OffsetWindowOrgEx(DC, -c->FLeft, -c->FTop, nullptr);
    IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
    xj::ScopeExit restore([&] {
      RestoreDC(DC, saved);
      if (!life.expired()) c->FControlState >> csPaintCopy;
    });
    // A windowless control that fails is its own error, not its parent's: the controls above it still
    // paint.
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    } catch (...) {
      PaintFailed(life.expired() ? nullptr : c);
    }
  }
}

void TWinControl::WMPaint(TWMPaint& Message) {
  if (!FControlState.Contains(csCustomPaint) && FControls.empty())
    DefaultHandler(reinterpret_cast<TMessage&>(Message));
  else
    PaintHandler(Message);
}

void TWinControl::WMCustomPaint(TMessage& Message) {
  FControlState << csCustomPaint;
  xj::ScopeExit painted([&, life = LifeToken()] {
    if (!life.expired()) FControlState >> csCustomPaint;
  });
  WMPaint(reinterpret_cast<TWMPaint&>(Message));
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
  RECT r = ClientRect();
  FillRect(Message.DC, &r, FBrush->Handle());
  Message.Result = 1;
}

// ---- Streaming --------------------------------------------------------------------------------------------

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  {
    // A read that fails gives the level back without aligning half-read controls (whose handlers could
    // throw again while the first exception is on its way).
    xj::ScopeExit failed([&] { --FAlignLevel; });
    TControl::ReadState(Reader);
    failed.Dismiss();
  }
  EnableAlign();
  FixupTabList();
  if (FParent) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  UpdateControlState();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

void TWinControl::DefineProperties(TFiler* Filer) {
  TControl::DefineProperties(Filer);
  bool anchored = false;
  for (int i = 0; i < ControlCount(); ++i) {
    TAnchors a = Controls(i)->Anchors();
    if (a.Contains(akRight) || a.Contains(akBottom)) anchored = true;
  }
  Filer->DefineProperty("DesignSize", TReaderProc(this, &TWinControl::ReadDesignSize),
                        TWriterProc(this, &TWinControl::WriteDesignSize), anchored);
}

void TWinControl::ReadDesignSize(TReader* Reader) {
  Reader->ReadListBegin();
  FDesignSize.X = Reader->ReadInteger();
  FDesignSize.Y = Reader->ReadInteger();
  Reader->ReadListEnd();
}

void TWinControl::WriteDesignSize(TWriter* Writer) {
  const TPoint size = ParentSizeForAnchors();
  Writer->WriteListBegin();
  Writer->WriteInteger(size.X);
  Writer->WriteInteger(size.Y);
  Writer->WriteListEnd();
}

// ---- Messages --------------------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST:
      TControl::WndProc(Message);
      if (Message.Result == HTTRANSPARENT && ControlAtPos(ScreenToClient(SmallPointToPoint(Message.LParam)), false))
        Message.Result = HTCLIENT;
      return;
    case WM_MOUSELEAVE:
      if (TControl* mc = xj::vcl::MouseControlSlot(); mc && (mc == this || mc->FParent == this))
        xj::vcl::SetMouseControl(nullptr);
      break;
    case WM_CANCELMODE: {
      TControl* cap = xj::vcl::CaptureControlSlot();
      if (FHandle && GetCapture() == FHandle && cap && cap->FParent == this) cap->Perform(WM_CANCELMODE, 0, 0);
      break;
    }
    default:
      if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL) {
        auto life = LifeToken();
        TrackMouse(Message);
        if (life.expired()) return;
        if (IsControlMouseMsg(reinterpret_cast<TWMMouse&>(Message))) {
          if (Message.Result == 0 && !life.expired() && FHandle) {
            TMessage native = Message;
            DefaultHandler(native);
          }
          return;
        }
      }
      break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      return WMPaint(reinterpret_cast<TWMPaint&>(Message));
    case WM_ERASEBKGND:
      return WMEraseBkgnd(reinterpret_cast<TWMEraseBkgnd&>(Message));
    case WM_WINDOWPOSCHANGING:
      return WMWindowPosChanging(Message);
    case WM_WINDOWPOSCHANGED:
      return WMWindowPosChanged(Message);
    case WM_SIZE:
      return WMSize(Message);
    case WM_NCCALCSIZE:
      return WMNCCalcSize(Message);
    case WM_NCDESTROY:
      return WMNCDestroy(Message);
    case WM_SETCURSOR:
      return WMSetCursor(Message);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return WMKey(Message);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return WMCommandFamily(Message);
    case WM_CONTEXTMENU:
      return WMContextMenu(Message);
    default:
      return DispatchControlMessage(Message);
  }
}

// The CN_ and CM_ messages the class library sends its controls.
void TWinControl::DispatchControlMessage(TMessage& Message) {
  switch (Message.Msg) {
    case CN_KEYDOWN:
      return CNKeyDown(reinterpret_cast<TWMKey&>(Message));
    case CN_CHAR:
      return CNChar(reinterpret_cast<TWMKey&>(Message));
    case CN_SYSKEYDOWN:
      return CNSysKeyDown(reinterpret_cast<TWMKey&>(Message));
    case CN_SYSCHAR:
      return CNSysChar(reinterpret_cast<TWMKey&>(Message));
    case CN_KEYUP:
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      return Broadcast(Message);
    case CM_CHILDKEY:
      return CMChildKey(Message);
    case CM_ENTER:
      return DoEnter();
    case CM_EXIT:
      return DoExit();
    case CM_SHOWINGCHANGED:
      return CMShowingChanged(Message);
    case CM_VISIBLECHANGED:
      return CMVisibleChanged(Message);
    case CM_ENABLEDCHANGED:
      return CMEnabledChanged(Message);
    case CM_COLORCHANGED:
      return CMColorChanged(Message);
    case CM_FONTCHANGED:
      return CMFontChanged(Message);
    case CM_SHOWHINTCHANGED:
      return NotifyControls(CM_PARENTSHOWHINTCHANGED);
    case CM_CTL3DCHANGED:
      return NotifyControls(CM_PARENTCTL3DCHANGED);
    case CM_PARENTCTL3DCHANGED:
      return CMParentCtl3DChanged(Message);
    case CM_RECREATEWND:
      return CMRecreateWnd(Message);
    case CM_INVALIDATE:
      return CMInvalidate(Message);
    case CM_CURSORCHANGED:
      return CMCursorChanged(Message);
    default:
      return TControl::Dispatch(Message);
  }
}

// A size our own SetBounds has not checked yet must pass the constraints and OnCanResize first.
void TWinControl::WMWindowPosChanging(TMessage& Message) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(Message.LParam);
  auto life = LifeToken();  // OnCanResize may free the control
  if (wp && !FSizeChecked && !(wp->flags & SWP_NOSIZE) && !FComponentState.Contains(csReading) &&
      !FComponentState.Contains(csDestroying) && !CheckNewSize(wp->cx, wp->cy))
    wp->flags |= SWP_NOSIZE;
  if (!life.expired()) DefaultHandler(Message);
}

// BorderWidth is a frame inside the native one.
void TWinControl::WMNCCalcSize(TMessage& Message) {
  DefaultHandler(Message);
  if (FBorderWidth && Message.LParam) {
    RECT* r = reinterpret_cast<RECT*>(Message.LParam);
    r->left += FBorderWidth;
    r->top += FBorderWidth;
    r->right -= FBorderWidth;
    r->bottom -= FBorderWidth;
  }
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  FHandle = nullptr;
  FShowing = false;
  FPlacePending = false;
}

// Over the client area the cursor is the screen's, else the windowless child's under the mouse, else ours.
void TWinControl::WMSetCursor(TMessage& Message) {
  const int hit = static_cast<short>(LOWORD(Message.LParam));
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && hit == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      if (TControl* c = ControlAtPos(ScreenToClient(TPoint(p.x, p.y)), false)) cursor = c->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  TControl::Dispatch(Message);
}

// The windowless child under the point is asked first (a key-made request, at -1,-1, goes to us).
void TWinControl::WMContextMenu(TMessage& Message) {
  if (Message.Result) return;
  TPoint p = SmallPointToPoint(Message.LParam);
  if (!(p.X == -1 && p.Y == -1) && FHandle) p = ScreenToClient(p);
  if (TControl* c = ControlAtPos(p, false)) Message.Result = c->Perform(WM_CONTEXTMENU, 0, Message.LParam);
  if (!Message.Result) TControl::Dispatch(Message);
}

void TWinControl::CNSysKeyDown(TWMKey& Message) {
  if (IsMenuKey(Message)) Message.Result = 1;
}

void TWinControl::CMChildKey(TMessage& Message) {
  if (FParent) FParent->WindowProc(Message);
}

void TWinControl::CMColorChanged(TMessage&) {
  FBrush->SetColor(FColor);
  NotifyControls(CM_PARENTCOLORCHANGED);
  Invalidate();
}

void TWinControl::CMFontChanged(TMessage&) {
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
  Invalidate();
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (FParentCtl3D && FParent) {
    SetCtl3D(FParent->FCtl3D);
    FParentCtl3D = true;
  }
}

void TWinControl::CMInvalidate(TMessage& Message) {
  if (FHandle && Message.WParam == 0) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

// A new cursor shows at once when the mouse rests over the window.
void TWinControl::CMCursorChanged(TMessage&) {
  POINT p;
  GetCursorPos(&p);
  if (FHandle && !GetCapture() && WindowFromPoint(p) == FHandle)
    Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(FHandle), HTCLIENT);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    TControl::DefaultHandler(Message);
    return;
  }
  // A context-menu request nobody here took goes to the parent control (and only that way).
  if (Message.Msg == WM_CONTEXTMENU && FParent) {
    Message.Result = FParent->Perform(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg >= WM_CTLCOLORMSGBOX && Message.Msg <= WM_CTLCOLORSTATIC) {
    Message.Result =
        SendMessageA(reinterpret_cast<HWND>(Message.LParam), CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())) & 0xFFFFFF);
    SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(FBrush->Color())) & 0xFFFFFF);
    Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
    return;
  }
  Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message) {
  TWinControl* c = FindControl(ControlHandle);
  if (!c) return false;
  Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

// Notifications from child windows go back to the child as CN_* messages.
void TWinControl::WMCommandFamily(TMessage& Message) {
  HWND from = nullptr;
  switch (Message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      from = reinterpret_cast<HWND>(Message.LParam);
      break;
    case WM_NOTIFY:
      if (auto* n = reinterpret_cast<NMHDR*>(Message.LParam)) from = n->hwndFrom;
      break;
    case WM_DRAWITEM:
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)) from = d->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
        from = reinterpret_cast<HWND>(static_cast<uintptr_t>(m->CtlID));
      break;
  }
  if (from && DoControlMsg(from, Message)) return;
  TControl::Dispatch(Message);
}

// ---- Keys ---------------------------------------------------------------------------------------------

void TWinControl::WMKey(TMessage& Message) {
  auto& key = reinterpret_cast<TWMKey&>(Message);
  bool handled = false;
  auto life = LifeToken();  // a key handler may free the control
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      handled = DoKeyDown(key);
      break;
    case WM_CHAR:
      handled = DoKeyPress(key);
      break;
    default:
      handled = DoKeyUp(key);
      break;
  }
  if (!handled && !life.expired()) DefaultHandler(Message);
}

bool TWinControl::DoKeyDown(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  WORD key = Message.CharCode;
  KeyDown(key, KeyDataToShiftState(Message.KeyData));
  Message.CharCode = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  char ch = static_cast<char>(Message.CharCode);
  KeyPress(ch);
  Message.CharCode = static_cast<unsigned char>(ch);
  return ch == 0;
}

bool TWinControl::DoKeyUp(TWMKey& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  WORD key = Message.CharCode;
  KeyUp(key, KeyDataToShiftState(Message.KeyData));
  Message.CharCode = key;
  return key == 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

// The short-cut path: popup menus of the control and its parents, the form (OnShortCut, its main menu),
// then the application; each form is asked once.
bool TWinControl::IsMenuKey(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning)) return false;
  for (TWinControl* c = this; c; c = c->FParent) {
    TPopupMenu* menu = c->PopupMenu();
    if (menu && menu->WindowHandle() && menu->IsShortCut(Message)) return true;
  }
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return true;
  return Application && Application->IsShortCut(Message, form);
}

// A key the control does not want (Tab, arrows, Return, Escape) becomes a dialog key of its form.
void TWinControl::CNKeyDown(TWMKey& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (!FComponentState.Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.CharCode, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.CharCode) {
      case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
      case VK_RETURN:
      case VK_ESCAPE:
      case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.CharCode, 0) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
      TCustomForm* form = GetParentForm(this);
      if (form && form->Perform(CM_DIALOGKEY, Message.CharCode, Message.KeyData) != 0) return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning)) return;
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TWMKey& Message) {
  if (FComponentState.Contains(csDesigning) || Message.CharCode == VK_SPACE) return;
  if (TCustomForm* form = GetParentForm(this))
    Message.Result = form->Perform(CM_DIALOGCHAR, Message.CharCode, Message.KeyData);
}

XJ_PUBLISHED(TWinControl);
