// TControl: placement with constraints and anchors, the notifications its setters send, and the message
// handling every control shares (mouse buttons and clicks, the wheel, enter and leave, parent colour,
// font and hint, the text).

#include <algorithm>
#include <cstring>

#include "platform/win32/IntMath.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls_private.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

TAnchors AnchorAlign(TAlign Align) {
  switch (Align) {
    case alNone:
      return { akLeft, akTop };
    case alTop:
      return { akLeft, akTop, akRight };
    case alBottom:
      return { akLeft, akRight, akBottom };
    case alLeft:
      return { akLeft, akTop, akBottom };
    case alRight:
      return { akRight, akTop, akBottom };
    case alClient:
      return { akLeft, akTop, akRight, akBottom };
    case alCustom:
      return { akLeft, akTop };
  }
  return { akLeft, akTop };
}

// ---- TSizeConstraints ----------------------------------------------------------------------------------

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    FMaxHeight = s->FMaxHeight;
    FMaxWidth = s->FMaxWidth;
    FMinHeight = s->FMinHeight;
    FMinWidth = s->FMinWidth;
    Change();
    return;
  }
  TPersistent::Assign(Source);
}

// A maximum below the minimum pulls the minimum down with it, and the other way round.
void TSizeConstraints::SetMaxHeight(TConstraintSize Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
  Change();
}

void TSizeConstraints::SetMaxWidth(TConstraintSize Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
  Change();
}

void TSizeConstraints::SetMinHeight(TConstraintSize Value) {
  Value = std::max(Value, 0);
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(TConstraintSize Value) {
  Value = std::max(Value, 0);
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  Change();
}

void TSizeConstraints::Change() {
  if (FControl) FControl->ConstraintsChanged();
  if (OnChange) OnChange(this);
}

TPersistent* TSizeConstraints::GetOwner() { return FControl; }

// ---- Construction ----------------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>(this)) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
}

TControl::~TControl() {
  Destroying();
  xj::vcl::ControlGone(this);
  if (FParent) FParent->RemoveControl(this);
  FActionLink.reset();
  FLife.reset();
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  for (TControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation("A control cannot have itself or one of its children as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) {
    auto life = LifeToken();  // taking its place (its window made, its new size) runs its handlers
    AParent->InsertControl(this);
    if (!life.expired()) UpdateAnchorRules();
  }
}

void TControl::ReadState(TReader* Reader) {
  FControlState << csReadingState;
  {
    xj::ScopeExit read([&] { FControlState >> csReadingState; });
    if (auto* p = dynamic_cast<TWinControl*>(Reader->Parent())) SetParent(p);
    TComponent::ReadState(Reader);
  }
  if (FParent) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  FAnchorsRead = false;
  if (Action()) ActionChange(Action(), true);
  UpdateAnchorRules();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (FActionLink && AComponent == FActionLink->Action()) SetAction(nullptr);
}

// ---- Placement -------------------------------------------------------------------------------------------

// Each step after a handler may have run (the size checks, the message, the siblings' realignment)
// goes on only while the control is there: any of them may free it.
void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // Any int is taken; the window system's limits keep every edge and layout sum inside the int range.
  ALeft = xj::ClampPosition(ALeft);
  ATop = xj::ClampPosition(ATop);
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  auto life = LifeToken();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  if (life.expired()) return;
  RequestAlign();
  if (!life.expired() && !FComponentState.Contains(csLoading)) Resize();
}

// False also when a handler asked on the way freed the control.
bool TControl::CheckNewSize(int& NewWidth, int& NewHeight) {
  auto life = LifeToken();
  int w = NewWidth, h = NewHeight;
  if (!DoCanResize(w, h)) return false;
  int w2 = w, h2 = h;
  bool ok = true;
  if (FAutoSize) {
    const bool fits = DoCanAutoSize(w2, h2) && w2 == w && h2 == h;
    if (life.expired()) return false;
    ok = fits || DoCanResize(w2, h2);
  }
  // Whatever the constraints and handlers made of it, the size is one a window can have.
  if (ok) {
    NewWidth = xj::ClampExtent(w2);
    NewHeight = xj::ClampExtent(h2);
  }
  return ok;
}

// False also when OnCanResize or OnConstrainedResize freed the control.
bool TControl::DoCanResize(int& NewWidth, int& NewHeight) {
  auto life = LifeToken();
  if (!CanResize(NewWidth, NewHeight) || life.expired()) return false;
  DoConstrainedResize(NewWidth, NewHeight);
  return !life.expired();
}

bool TControl::DoCanAutoSize(int& NewWidth, int& NewHeight) {
  const TAlign align = FAlign;  // read before CanAutoSize, which may free the control
  if (align == alClient) return false;
  int w = NewWidth, h = NewHeight;
  if (!CanAutoSize(w, h)) return false;
  if (align != alTop && align != alBottom) NewWidth = w;
  if (align != alLeft && align != alRight) NewHeight = h;
  return true;
}

void TControl::DoConstrainedResize(int& NewWidth, int& NewHeight) {
  int minW = FConstraints->MinWidth(), minH = FConstraints->MinHeight();
  int maxW = FConstraints->MaxWidth(), maxH = FConstraints->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && NewWidth > maxW)
    NewWidth = maxW;
  else if (minW > 0 && NewWidth < minW)
    NewWidth = minW;
  if (maxH > 0 && NewHeight > maxH)
    NewHeight = maxH;
  else if (minH > 0 && NewHeight < minH)
    NewHeight = minH;
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

bool TControl::CanAutoSize(int&, int&) { return true; }

void TControl::ConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight) {
  if (OnConstrainedResize) OnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::ConstraintsChanged() { AdjustSize(); }

void TControl::AdjustSize() {
  if (!FComponentState.Contains(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign != Value) {
    const TAlign old = FAlign;
    const bool was = AlignedOrAnchored();
    FAlign = Value;
    if (!FAnchorsRead) FAnchors = AnchorAlign(Value);
    PlacementChanged(was);
    if (!FComponentState.Contains(csLoading) && (!FComponentState.Contains(csDesigning) || FParent)) {
      const bool oldVertical = old == alTop || old == alBottom;
      const bool newHorizontal = Value == alLeft || Value == alRight;
      auto life = LifeToken();  // the new size runs its handlers
      if (oldVertical == newHorizontal && old != alNone && old != alClient && Value != alNone && Value != alClient)
        SetBounds(FLeft, FTop, FHeight, FWidth);
      else
        AdjustSize();
      if (life.expired()) return;
    }
  }
  RequestAlign();
}

void TControl::PlacementChanged(bool Was) {
  if (FParent && Was != AlignedOrAnchored()) FParent->FAlignedOrAnchored += Was ? -1 : 1;
}

void TControl::SetAnchors(TAnchors Value) {
  FAnchorsRead = FComponentState.Contains(csLoading);
  if (FAnchors == Value) return;
  const bool was = AlignedOrAnchored();
  FAnchors = Value;
  PlacementChanged(was);
  if (!FComponentState.Contains(csLoading)) UpdateAnchorRules();
}

// Remembers what the anchors keep constant: the distance to the right / bottom edge (or the size when
// both opposite edges are anchored, or the centre when neither is), against the parent's client size.
void TControl::UpdateAnchorRules() {
  if (FAnchorMove || FComponentState.Contains(csLoading)) return;
  if (FAnchors == TAnchors { akLeft, akTop }) {
    FOriginalParentSize.X = 0;
    return;
  }
  if (FAnchors.Contains(akRight))
    FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else
    FAnchorRules.X = FLeft + FWidth / 2;
  if (FAnchors.Contains(akBottom))
    FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else
    FAnchorRules.Y = FTop + FHeight / 2;
  if (!FParent) return;
  if (FParent->FComponentState.Contains(csReading)) {
    if (!FComponentState.Contains(csDesigning)) FOriginalParentSize = FParent->FDesignSize;
  } else {
    FOriginalParentSize = FParent->ParentSizeForAnchors();
  }
}

TRect TControl::GetClientRect() { return TRect(0, 0, FWidth, FHeight); }

TPoint TControl::GetClientOrigin() {
  if (!FParent) throw EInvalidOperation(Format("Control '%s' has no parent window", Name()));
  TPoint p = FParent->ClientOrigin();
  return TPoint(p.X + FLeft, p.Y + FTop);
}

void TControl::SetClientSize(const TPoint& Value) {
  TRect client = ClientRect();
  // The frame added to a client size anywhere in the int range must not overflow; SetBounds clamps.
  SetBounds(FLeft, FTop, xj::SatAdd(FWidth - client.Right, Value.X), xj::SatAdd(FHeight - client.Bottom, Value.Y));
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint(Point.X + o.X, Point.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint(Point.X - o.X, Point.Y - o.Y);
}

// ---- State setters ---------------------------------------------------------------------------------------

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  auto life = LifeToken();
  Perform(CM_VISIBLECHANGED, Value, 0);  // a form's OnShow / OnHide runs in here and may free it
  if (!life.expired()) RequestAlign();
}

void TControl::Show() {
  if (FParent) FParent->ShowControl(this);
  if (!FComponentState.Contains(csDesigning) || FParent) SetVisible(true);
}

void TControl::DoSetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

AnsiString TControl::GetText() {
  const int len = GetTextLen();
  if (len <= 0) return AnsiString();
  AnsiString s(static_cast<size_t>(len) + 1, '\0');
  const int got = GetTextBuf(s.data(), len + 1);
  s.resize(static_cast<size_t>(std::clamp(got, 0, len)));
  return s;
}

void TControl::SetText(const AnsiString& Value) {
  if (GetText() != Value) SetTextBuf(Value.c_str());
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0)); }

int TControl::GetTextBuf(char* Buffer, int BufSize) {
  return static_cast<int>(Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

void TControl::SetTextBuf(const char* Buffer) {
  auto life = LifeToken();  // a change handler run by the new text may free the control
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
  if (!life.expired()) Perform(CM_TEXTCHANGED, 0, 0);
}

bool TControl::IsCaptionStored() const {
  auto* link = FActionLink.get();
  return !link || !link->IsCaptionLinked();
}

bool TControl::IsEnabledStored() const {
  auto* link = FActionLink.get();
  return !link || !link->IsEnabledLinked();
}

bool TControl::IsHintStored() const {
  auto* link = FActionLink.get();
  return !link || !link->IsHintLinked();
}

bool TControl::IsVisibleStored() const {
  auto* link = FActionLink.get();
  return !link || !link->IsVisibleLinked();
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && !FComponentState.Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && !FComponentState.Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && !FComponentState.Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

// ---- Actions ---------------------------------------------------------------------------------------------

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    FActionLink.reset();
    FControlStyle >> csActionClient;
    return;
  }
  FControlStyle << csActionClient;
  if (!FActionLink) FActionLink = std::make_unique<TControlActionLink>(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TControl::DoActionChange(TObject* Sender) {
  if (FActionLink && Sender == FActionLink->Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->HelpContext());
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

// ---- Drawing ---------------------------------------------------------------------------------------------

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
  RECT r = BoundsRect();
  InvalidateRect(FParent->Handle(), &r, !(IsOpaque || FParent->FControlStyle.Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

namespace {

struct TPaintLaterState {
  int Depth { 0 };
  std::vector<std::pair<TWinControl*, std::weak_ptr<const void>>> Held;
};

TPaintLaterState& PaintLaterState() {
  thread_local TPaintLaterState state;  // paints are put off on the thread whose windows they are
  return state;
}

}  // namespace

TPaintLater::TPaintLater() { ++PaintLaterState().Depth; }

TPaintLater::~TPaintLater() {
  if (!FOpen) return;
  TPaintLaterState& state = PaintLaterState();
  if (--state.Depth == 0) state.Held.clear();
}

void TPaintLater::Flush() {
  if (!FOpen) return;
  FOpen = false;
  TPaintLaterState& state = PaintLaterState();
  if (--state.Depth > 0) return;
  const auto held = std::move(state.Held);
  state.Held.clear();
  for (const auto& [control, life] : held)
    if (!life.expired()) control->Update();
}

bool TPaintLater::Active() { return PaintLaterState().Depth > 0; }

void TPaintLater::Hold(TWinControl* Control) {
  auto& held = PaintLaterState().Held;
  for (const auto& entry : held)
    if (entry.first == Control && !entry.second.expired()) return;
  held.emplace_back(Control, Control->LifeToken());
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque) && !TPaintLater::Active()) {
    HWND h = FParent->Handle();
    HDC dc = GetDC(h);
    SaveDC(dc);
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    RestoreDC(dc, -1);
    ReleaseDC(h, dc);
  } else {
    Invalidate();
    Update();
  }
}

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
  if (!FParent) throw EInvalidOperation(Format("Control '%s' has no parent window", Name()));
  HDC dc = FParent->GetDeviceContext(WindowHandle);
  SetViewportOrgEx(dc, FLeft, FTop, nullptr);
  IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  return dc;
}

void TControl::SetZOrder(bool TopMost) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  InvalidateControl(FVisible, true);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }

void ChangeBiDiModeAlignment(TAlignment& Alignment) {
  if (Alignment == taLeftJustify)
    Alignment = taRightJustify;
  else if (Alignment == taRightJustify)
    Alignment = taLeftJustify;
}

// ---- Messages ---------------------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m { Msg, WParam, LParam, 0 };
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      switch (Message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
          Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
          break;
      }
    }
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        FControlState << csLButtonDown;
        break;
      case WM_LBUTTONUP:
        FControlState >> csLButtonDown;
        break;
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      WMMouseButton(Message);
      break;
    case WM_MOUSEMOVE:
      WMMouseMove(reinterpret_cast<TWMMouse&>(Message));
      break;
    case WM_MOUSEWHEEL:
      WMMouseWheel(Message);
      break;
    case WM_CANCELMODE:
      WMCancelMode(Message);
      break;
    case WM_CONTEXTMENU:
      WMContextMenu(Message);
      break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
      Invalidate();
      break;
    case CM_VISIBLECHANGED:
      if (!FComponentState.Contains(csDesigning) || FControlStyle.Contains(csNoDesignVisible))
        InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
      break;
    case CM_PARENTCOLORCHANGED:
      CMParentColorChanged(Message);
      break;
    case CM_PARENTFONTCHANGED:
      CMParentFontChanged(Message);
      break;
    case CM_PARENTSHOWHINTCHANGED:
      CMParentShowHintChanged(Message);
      break;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      CMMouseEnterLeave(Message);
      break;
    case CM_HINTSHOW:
      Message.Result = 0;
      break;
    default:
      DefaultHandler(Message);
  }
}

// A windowless control keeps its text; windowed controls keep it in the window once they have one.
void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(Message.LParam);
      const size_t size = Message.WParam;
      if (!buf || size == 0) {
        Message.Result = 0;
        break;
      }
      const size_t n = std::min(FText.size(), size - 1);
      memcpy(buf, FText.data(), n);
      buf[n] = 0;
      Message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      break;
    case WM_SETTEXT:
      FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      Message.Result = TRUE;
      break;
  }
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!FParentColor) return;
  SetColor(Message.WParam ? TColor(static_cast<int32_t>(Message.LParam)) : FParent ? FParent->FColor : FColor);
  FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!FParentFont) return;
  if (Message.WParam)
    SetFont(reinterpret_cast<TFont*>(Message.LParam));
  else if (FParent)
    SetFont(FParent->Font());
  FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  SetShowHint(FParent->ShowHint());
  FParentShowHint = true;
}

// The parent hears of it too, with the control that was entered or left.
void TControl::CMMouseEnterLeave(TMessage& Message) {
  if (FParent) FParent->Perform(Message.Msg, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

// ---- Mouse ------------------------------------------------------------------------------------------------

TShiftState KeysToShiftState(WORD Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s << ssShift;
  if (Keys & MK_CONTROL) s << ssCtrl;
  if (Keys & MK_LBUTTON) s << ssLeft;
  if (Keys & MK_RBUTTON) s << ssRight;
  if (Keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(LONG KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (KeyData & 0x20000000) s << ssAlt;
  return s;
}

// Each button message goes to the default handling first (a native control takes the focus there), then
// capture, clicks and the mouse events follow.
void TControl::WMMouseButton(TMessage& Message) {
  auto& m = reinterpret_cast<TWMMouse&>(Message);
  auto life = LifeToken();
  const bool down = Message.Msg != WM_LBUTTONUP && Message.Msg != WM_RBUTTONUP && Message.Msg != WM_MBUTTONUP;
  if (down) {
    SendCancelMode(this);
    if (life.expired()) return;
  }
  DefaultHandler(Message);
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const bool dbl = Message.Msg == WM_LBUTTONDBLCLK;
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) {
        if (dbl)
          DblClick();
        else
          FControlState << csClicked;
      }
      if (life.expired()) return;
      DoMouseDown(m, mbLeft, dbl ? TShiftState { ssDouble } : TShiftState {});
      break;
    }
    case WM_LBUTTONUP: {
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      if (FControlState.Contains(csClicked)) {
        FControlState >> csClicked;
        const TRect r = ClientRect();
        if (m.XPos >= r.Left && m.XPos < r.Right && m.YPos >= r.Top && m.YPos < r.Bottom) Click();
        if (life.expired()) return;
      }
      DoMouseUp(m, mbLeft);
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
      const bool right = Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_RBUTTONDBLCLK;
      const bool dbl = Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK;
      DoMouseDown(m, right ? mbRight : mbMiddle, dbl ? TShiftState { ssDouble } : TShiftState {});
      break;
    }
    case WM_RBUTTONUP:
      DoMouseUp(m, mbRight);
      break;
    case WM_MBUTTONUP:
      DoMouseUp(m, mbMiddle);
      break;
  }
}

void TControl::DoMouseDown(TWMMouse& Message, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  MouseDown(Button, KeysToShiftState(static_cast<WORD>(Message.Keys)) + Shift, Message.XPos, Message.YPos);
}

void TControl::DoMouseUp(TWMMouse& Message, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  MouseUp(Button, KeysToShiftState(static_cast<WORD>(Message.Keys)), Message.XPos, Message.YPos);
}

void TControl::WMMouseMove(TWMMouse& Message) {
  auto life = LifeToken();
  DefaultHandler(reinterpret_cast<TMessage&>(Message));
  if (life.expired() || FControlStyle.Contains(csNoStdEvents)) return;
  MouseMove(KeysToShiftState(static_cast<WORD>(Message.Keys)), Message.XPos, Message.YPos);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// A handler of its own runs before a linked action (unless it is the action's own handler).
void TControl::Click() {
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute())) {
    OnClick(this);
  } else if (!FComponentState.Contains(csDesigning) && FActionLink) {
    FActionLink->Execute(this);
  } else if (OnClick) {
    OnClick(this);
  }
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::WMMouseWheel(TMessage& Message) {
  auto& m = reinterpret_cast<TWMMouseWheel&>(Message);
  const TShiftState shift = KeysToShiftState(static_cast<WORD>(m.Keys));
  if (DoMouseWheel(shift, m.WheelDelta, TPoint(m.XPos, m.YPos)))
    Message.Result = 1;
  else
    DefaultHandler(Message);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
  return false;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::WMCancelMode(TMessage&) {
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, static_cast<LPARAM>(0xFFFFFFFF));
  } else {
    FControlState >> csLButtonDown;
  }
}

// The control's popup menu opens at the point (screen; -1, -1 means "from the keyboard": under the
// control's top-left corner), unless OnContextPopup handled it.
void TControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  auto& m = reinterpret_cast<TWMContextMenu&>(Message);
  if (FComponentState.Contains(csDesigning)) return;
  TPoint pt(m.XPos, m.YPos);
  const bool fromKeyboard = pt.X == -1 && pt.Y == -1;
  TPoint local = fromKeyboard ? pt : ScreenToClient(pt);
  if (!fromKeyboard) {
    const TRect r = ClientRect();
    if (local.X < r.Left || local.X >= r.Right || local.Y < r.Top || local.Y >= r.Bottom) {
      DefaultHandler(Message);
      return;
    }
  }
  bool handled = false;
  DoContextPopup(local, handled);
  Message.Result = handled;
  if (handled) return;
  TPopupMenu* menu = FPopupMenu;
  if (menu && menu->AutoPopup()) {
    SendCancelMode(nullptr);
    if (fromKeyboard) pt = ClientToScreen(TPoint(0, 0));
    menu->SetPopupComponent(this);
    menu->Popup(pt.X, pt.Y);
    Message.Result = 1;
  }
  if (!Message.Result) DefaultHandler(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::SendCancelMode(TControl* Sender) {
  for (TControl* c = this; c; c = c->FParent)
    if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SendCancelMode(Sender);
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

// ---- Published properties ---------------------------------------------------------------------------------

XJ_PUBLISHED(TControl,
  XJ_PROP(Left)
  XJ_PROP(Top)
  XJ_PROP(Width)
  XJ_PROP(Height)
  XJ_PROP(Cursor, crDefault)
  XJ_PROP(Hint) XJ_STORED(IsHintStored)
  XJ_PROP(HelpContext, 0));
