#include "skin/controls/bsSkinCtrls_scrollpanel.h"

#include <algorithm>

#include "platform/vcl/Messages.h"
#include "platform/win32/IntMath.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinBoxCtrls_updown.h"
#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsChildScroller -------------------------------------------------------------------------------------

TbsChildScroller::TbsChildScroller(TWinControl* Owner) : FOwner(Owner) {}

namespace {

// The record named Name, whatever its class; null when the skin has none.
TbsDataSkinControl* FindRecord(TbsSkinData* Data, const char* Name) {
  if (!Data || Data->Empty) return nullptr;
  const int index = Data->GetControlIndex(Name);
  if (index < 0 || index >= Data->CtrlList->Count()) return nullptr;
  return static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(index));
}

}  // namespace

void TbsChildScroller::GetSkinData(TbsSkinData* Data) {
  ArrowSkinData = nullptr;
  ArrowPicture = nullptr;
  auto* arrow = dynamic_cast<TbsDataSkinButtonControl*>(FindRecord(Data, "resizebutton"));
  if (!arrow) return;
  TBitmap* picture = bsActivePicture(Data, arrow->PictureIndex);
  if (!picture || IsNullRect(arrow->SkinRect)) return;
  ArrowSkinData = arrow;
  ArrowPicture = picture;
}

void TbsChildScroller::Reset() {
  xj::TemporaryChange<bool> measuring(FMeasuring, true);
  StopTimer();
  ScrollMax = ScrollPosition = OldScrollPosition = ScrollPage = GrowDelta = 0;
  SetButtonsVisible(false);
}

int TbsChildScroller::ClientExtent() {
  const TRect r = FOwner->ClientRect();
  return Vertical ? r.Height() : r.Width();
}

void TbsChildScroller::Scroll(int Delta) {
  if (Delta == 0) return;
  if (Vertical)
    FOwner->ScrollBy(0, -Delta);
  else
    FOwner->ScrollBy(-Delta, 0);
}

void TbsChildScroller::GetRange() {
  if (FMeasuring) return;
  xj::TemporaryChange<bool> measuring(FMeasuring, true);
  int maxEnd = 0;
  for (int i = 0; i < FOwner->ControlCount(); ++i) {
    TControl* c = FOwner->Controls(i);
    if (c->Visible()) maxEnd = std::max(maxEnd, Vertical ? c->Top() + c->Height() : c->Left() + c->Width());
  }
  if (maxEnd == 0) {
    SetButtonsVisible(false);
    return;
  }
  const int ext = maxEnd + ScrollPosition;
  // Whether they fit is judged on the extent without arrows, so that arrows never keep themselves.
  const int whole = ClientExtent() + (Arrows[0].Visible ? kArrowSize : 0) + (Arrows[1].Visible ? kArrowSize : 0);
  if (ext <= whole) {
    Scroll(-ScrollPosition);
    GrowDelta = ScrollMax = ScrollPosition = OldScrollPosition = ScrollPage = 0;
    SetButtonsVisible(false);
    return;
  }
  SetButtonsVisible(true);
  const int cw = ClientExtent();
  if (ScrollPosition > 0 && maxEnd < cw && GrowDelta > 0) {
    // Grown while scrolled: what the growth uncovers at the end is filled from the start.
    const int back = std::min(GrowDelta, ScrollPosition);
    ScrollMax = ext - 1;
    ScrollPosition -= back;
    ScrollPage = cw;
    Scroll(-back);
  } else if (GrowDelta == 0 && ext - 1 < ScrollMax && ScrollPosition > 0 && maxEnd < cw) {
    // The children got shorter while scrolled.
    const int d = ScrollMax - (ext - 1);
    const int back = std::min(ScrollPosition, ScrollMax - ScrollPage + 1 + d + ScrollPosition);
    Scroll(-back);
    ScrollMax = ext - 1;
    ScrollPosition -= back;
    ScrollPage = cw;
  } else {
    ScrollMax = ext - 1;
    ScrollPage = cw;
  }
  // Used once: a later computation without a resize must not take the growth back again.
  GrowDelta = 0;
  OldScrollPosition = ScrollPosition;
}

void TbsChildScroller::ButtonClick(int Index) {
  const int step = ScrollOffset > 0 ? ScrollOffset : std::max(ClientExtent(), 1);
  if (Index == 0)
    ScrollPosition = std::max(0, ScrollPosition - step);
  else
    ScrollPosition = std::max(0, std::min(ScrollPosition + step, ScrollMax - ScrollPage + 1));
  if (ScrollPosition == OldScrollPosition) {
    StopTimer();
    return;
  }
  // The children move by this step only: they always stand where ScrollPosition says.
  const int delta = ScrollPosition - OldScrollPosition;
  OldScrollPosition = ScrollPosition;
  Scroll(delta);
}

TRect TbsChildScroller::ScrolledClientRect(int ClientWidth, int ClientHeight) const {
  if (Vertical) return TRect(0, -ScrollPosition, ClientWidth, -ScrollPosition + std::max(ScrollMax, ClientHeight));
  return TRect(-ScrollPosition, 0, -ScrollPosition + std::max(ScrollMax, ClientWidth), ClientHeight);
}

void TbsChildScroller::SetButtonsVisible(bool Value) {
  if (Arrows[0].Visible == Value) return;
  Arrows[0].Visible = Arrows[1].Visible = Value;
  if (!Value) {
    StopTimer();
    Release(false);
    for (TbsScrollArrow& a : Arrows) a.MouseIn = a.Down = false;
  }
  if (!FOwner->HandleAllocated()) return;
  // The non-client strips change: the window measures its client area again (its children stay).
  SetWindowPos(FOwner->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  PlaceArrows();
  FOwner->Realign();
}

void TbsChildScroller::StartTimer() { FTimer.Start(ScrollTimerInterval); }

void TbsChildScroller::StopTimer() {
  FTimer.Stop();
  TimerMode = 0;
}

void TbsChildScroller::OnTimer() {
  if (TimerMode == 1)
    ButtonClick(0);
  else if (TimerMode == 2)
    ButtonClick(1);
}

void TbsChildScroller::ButtonDown(int Index) {
  TimerMode = Index + 1;
  StartTimer();
}

void TbsChildScroller::ButtonUp(int Index) {
  StopTimer();
  ButtonClick(Index);
}

int TbsChildScroller::HitTest(const TPoint& Screen) {
  const TPoint p = FOwner->ScreenToClient(Screen);
  const TRect c = FOwner->ClientRect();
  const int at = Vertical ? p.Y : p.X, end = Vertical ? c.Bottom : c.Right;
  if (at < 0 && Arrows[0].Visible) return kBackHit;
  // The arrow's first pixel (at the client's end) is the arrow's.
  if (at >= end && Arrows[1].Visible) return kForwardHit;
  return HTNOWHERE;
}

void TbsChildScroller::LoseHot() {
  for (TbsScrollArrow& a : Arrows)
    if (a.Visible && a.MouseIn) {
      StopTimer();
      a.MouseIn = false;
      PaintArrows();
      return;
    }
}

void TbsChildScroller::Release(bool Step) {
  if (FCaptureArrow == -1) return;
  const int index = FCaptureArrow;
  FCaptureArrow = -1;
  Arrows[index].Down = false;
  if (FOwner->HandleAllocated() && GetCapture() == FOwner->Handle()) ReleaseCapture();
  if (Step && Arrows[index].MouseIn)
    ButtonUp(index);
  else
    StopTimer();
  PaintArrows();
}

bool TbsChildScroller::Handle(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      return HitTestArrows(Message);
    case WM_NCMOUSEMOVE:
      return HoverArrow(static_cast<int>(Message.WParam) - kBackHit);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      return PressArrow(static_cast<int>(Message.WParam) - kBackHit);
    case WM_MOUSEMOVE:
      return FollowHeldPress(Message);
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      if (FCaptureArrow == -1) return false;
      Release(true);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return FCaptureArrow != -1;
    case WM_CAPTURECHANGED:
      if (FCaptureArrow != -1 && reinterpret_cast<HWND>(Message.LParam) != FOwner->Handle()) Release(false);
      return false;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      Release(false);
      StopTimer();
      return false;
    case CM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
      return PointerLeft();
    case WM_NCCALCSIZE:
      NCCalcSize(Message);
      return true;
    case WM_NCPAINT:
      PaintArrows();
      return true;
    case WM_SIZE:
      PlaceArrows();
      return false;
    default:
      return false;
  }
}

bool TbsChildScroller::Designing() const { return FOwner->ComponentState().Contains(csDesigning); }

bool TbsChildScroller::HitTestArrows(TMessage& Message) {
  if (Designing()) return false;
  const int hit = HitTest(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
  if (hit == HTNOWHERE) return false;
  Message.Result = hit;
  return true;
}

// Index: the arrow under the pointer (0 back, 1 forward), anything else for neither.
bool TbsChildScroller::HoverArrow(int Index) {
  if ((Index == 0 || Index == 1) && !Arrows[Index].MouseIn) {
    Arrows[Index].MouseIn = true;
    Arrows[1 - Index].MouseIn = false;
    PaintArrows();
    if (HotScroll) ButtonDown(Index);
  }
  return false;
}

bool TbsChildScroller::PressArrow(int Index) {
  if ((Index == 0 || Index == 1) && FCaptureArrow == -1) {
    FCaptureArrow = Index;
    Arrows[Index].Down = Arrows[Index].MouseIn = true;
    PaintArrows();
    SetCapture(FOwner->Handle());
    ButtonDown(Index);
  }
  return false;
}

bool TbsChildScroller::FollowHeldPress(TMessage& Message) {
  if (FCaptureArrow == -1) {
    LoseHot();
    return false;
  }
  // Held: the press pauses off its arrow and goes on when it comes back.
  const bool over =
      HitTest(FOwner->ClientToScreen(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)))) ==
      kBackHit + FCaptureArrow;
  TbsScrollArrow& a = Arrows[FCaptureArrow];
  if (over != a.MouseIn) {
    a.MouseIn = over;
    if (over)
      ButtonDown(FCaptureArrow);
    else
      StopTimer();
    PaintArrows();
  }
  return true;
}

bool TbsChildScroller::PointerLeft() {
  if (Designing() || FCaptureArrow != -1) return false;
  POINT p {};
  GetCursorPos(&p);
  if (FOwner->HandleAllocated() && WindowFromPoint(p) == FOwner->Handle()) return false;
  LoseHot();
  return false;
}

void TbsChildScroller::NCCalcSize(TMessage& Message) {
  if (!Message.LParam) return;
  RECT& r = *reinterpret_cast<RECT*>(Message.LParam);
  if (Arrows[0].Visible) (Vertical ? r.top : r.left) += kArrowSize;
  if (Arrows[1].Visible) (Vertical ? r.bottom : r.right) -= kArrowSize;
}

void TbsChildScroller::PlaceArrows() {
  const int w = FOwner->Width(), h = FOwner->Height();
  if (Vertical) {
    Arrows[0].R = TRect(0, 0, w, kArrowSize);
    Arrows[1].R = TRect(0, h - kArrowSize, w, h);
  } else {
    Arrows[0].R = TRect(0, 0, kArrowSize, h);
    Arrows[1].R = TRect(w - kArrowSize, 0, w, h);
  }
  PaintArrows();
}

void TbsChildScroller::PaintArrows() {
  if (!Arrows[0].Visible || !FOwner->HandleAllocated() || !IsWindowVisible(FOwner->Handle())) return;
  HDC dc = GetWindowDC(FOwner->Handle());
  for (int i = 0; i < 2; ++i) {
    const TRect& r = Arrows[i].R;
    if (r.Width() < 1 || r.Height() < 1) continue;
    TBitmap b;
    b.SetSize(r.Width(), r.Height());
    DrawButton(b.Canvas(), i, TRect(0, 0, r.Width(), r.Height()));
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), b.Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  ReleaseDC(FOwner->Handle(), dc);
}

void TbsChildScroller::DrawButton(TCanvas* C, int Index, const TRect& R) {
  const TbsScrollArrow& a = Arrows[Index];
  const int code = Vertical ? 3 + Index : 1 + Index;
  const bool pressed = (a.Down && a.MouseIn) || (a.MouseIn && HotScroll);
  if (!ArrowSkinData || !ArrowPicture) {
    const TbsArrowPair::TButtonState state { R, a.MouseIn, pressed };
    bsDrawDefaultArrowButton(C, state, code, true);
    return;
  }
  const TbsDataSkinButtonControl& s = *ArrowSkinData;
  TRect source = s.SkinRect;
  TColor colour = s.FontColor;
  if (pressed && !IsNullRect(s.DownSkinRect)) {
    source = s.DownSkinRect;
    colour = s.DownFontColor;
  } else if (a.MouseIn && !IsNullRect(s.ActiveSkinRect)) {
    source = s.ActiveSkinRect;
    colour = s.ActiveFontColor;
  }
  // The face fitted to the arrow: corners kept, edges and middle tiled.
  TbsSkinGeometry g;
  g.ReadGeometry(s);
  g.FResizeMode = 1;
  int w = R.Width(), h = R.Height();
  g.CalcGeometry(w, h);
  TBitmap face;
  g.CreateFaceImage(&face, ArrowPicture, source, w, h);
  C->Draw(R.Left, R.Top, &face);
  DrawArrowImage(C, R, colour, code);
}

// ---- TbsSkinScrollPanel -----------------------------------------------------------------------------------

TbsSkinScrollPanel::TbsSkinScrollPanel(TComponent* AOwner) : TbsSkinControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls });
  SetBounds(Left(), Top(), 150, 30);
}

TbsSkinScrollPanel::~TbsSkinScrollPanel() {
  FScroller.StopTimer();
  TearDownWindow();
}

void TbsSkinScrollPanel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  if (Value && !ComponentState().Contains(csLoading)) UpDateSize();
}

void TbsSkinScrollPanel::SetScrollType(TbsScrollType Value) {
  if (Value == FScrollType) return;
  FScrollType = Value;
  FScroller.Vertical = Value == stVertical;
  FScroller.Reset();
  if (HandleAllocated()) Realign();
}

void TbsSkinScrollPanel::SetScrollOffset(int Value) {
  if (Value >= 0) FScroller.ScrollOffset = Value;
}

void TbsSkinScrollPanel::SetScrollTimerInterval(int Value) {
  if (Value > 0) FScroller.ScrollTimerInterval = Value;
}

void TbsSkinScrollPanel::GetScrollInfo() { FScroller.GetRange(); }

void TbsSkinScrollPanel::UpDateSize() { SetBounds(Left(), Top(), Width(), Height()); }

void TbsSkinScrollPanel::Loaded() {
  TbsSkinControl::Loaded();
  if (FAutoSize) UpDateSize();
  if (HandleAllocated()) GetScrollInfo();
}

void TbsSkinScrollPanel::CreateWnd() {
  TbsSkinControl::CreateWnd();
  // A window made after the children came (a form read from a stream) measures them at once.
  if (!ComponentState().Contains(csLoading)) GetScrollInfo();
}

void TbsSkinScrollPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int oldW = Width(), oldH = Height();
  if (FAutoSize) {
    int extent = 0;
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c->Visible())
        extent = std::max(extent, FScrollType == stHorizontal ? c->Top() + c->Height() : c->Left() + c->Width());
    }
    if (extent != 0) (FScrollType == stHorizontal ? AHeight : AWidth) = extent;
  }
  const int old = FScrollType == stHorizontal ? oldW : oldH;
  // Known before the window moves: the range computed on the way reads it. Against the size the window
  // will have, as the asked one may be any int.
  const int grow = xj::ClampExtent(FScrollType == stHorizontal ? AWidth : AHeight) - old;
  FScroller.GrowDelta = old > 0 && grow > 0 ? grow : 0;
  const auto life = LifeToken();
  TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!life.expired() && Align() != alNone) GetScrollInfo();
}

void TbsSkinScrollPanel::AdjustClientRect(TRect& Rect) {
  TbsSkinControl::AdjustClientRect(Rect);
  Rect = FScroller.ScrolledClientRect(Rect.Width(), Rect.Height());
}

void TbsSkinScrollPanel::GetSkinData() {
  FPanelSkinData = nullptr;
  FPanelPicture = FBGPicture = nullptr;
  FScroller.GetSkinData(FSkinData);
  // Only a panel record with a picture the skin has, or a background picture, paints the face.
  auto* panel = dynamic_cast<TbsDataSkinPanelControl*>(FindRecord(FSkinData, "panel"));
  if (!panel) return;
  FPanelPicture = bsActivePicture(FSkinData, panel->PictureIndex);
  TBitmap* bg = bsActivePicture(FSkinData, panel->BGPictureIndex);
  FBGPicture = bg && !bg->Empty() ? bg : nullptr;
  const bool tiles = FPanelPicture && panel->ClRect.Width() > 0 && panel->ClRect.Height() > 0;
  if (FBGPicture || tiles) FPanelSkinData = panel;
}

void TbsSkinScrollPanel::BeforeChangeSkinData() {
  TbsSkinControl::BeforeChangeSkinData();
  FPanelSkinData = nullptr;
  FPanelPicture = FBGPicture = nullptr;
  FScroller.GetSkinData(nullptr);
}

void TbsSkinScrollPanel::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(clBtnFace);
  B->Canvas()->FillRect(TRect(0, 0, B->Width(), B->Height()));
}

void TbsSkinScrollPanel::CreateControlSkinImage(TBitmap* B) { CreateControlDefaultImage(B); }

void TbsSkinScrollPanel::Paint() {
  GetSkinData();
  const int w = ClientWidth(), h = ClientHeight();
  if (w < 1 || h < 1) return;
  TBitmap b;
  b.SetSize(w, h);
  if (!FPanelSkinData) {
    CreateControlDefaultImage(&b);
  } else if (FBGPicture) {
    bsTilePicture(b.Canvas(), w, h, FBGPicture);
  } else {
    bsTileClientPart(b.Canvas(), w, h, FPanelPicture, FPanelSkinData->SkinRect, FPanelSkinData->ClRect);
  }
  Canvas()->Draw(0, 0, &b);
  // The arrows wear the same skin as the face.
  FScroller.PaintArrows();
}

bool TbsSkinScrollPanel::ClickFocuses() {
  if (!FCanFocused || ComponentState().Contains(csDesigning) || Focused()) return true;
  auto life = LifeToken();  // OnEnter may free the panel
  {
    TControlChange setting(this, FSettingFocus, true);
    if (CanFocus()) SetFocus();
  }
  return !life.expired() && Focused();
}

void TbsSkinScrollPanel::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_WINDOWPOSCHANGED: {
      const auto life = LifeToken();
      TbsSkinControl::WndProc(Message);
      // Measured once the window has its new size.
      if (!life.expired() && HandleAllocated() && Align() == alNone) GetScrollInfo();
      return;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const auto life = LifeToken();
      if (FScroller.Handle(Message) || life.expired()) return;
      if (!ClickFocuses() || life.expired()) return;
      TbsSkinControl::WndProc(Message);
      return;
    }
    case CN_COMMAND:
      if (FSettingFocus) return;
      break;
    default:
      if (FScroller.Handle(Message)) return;
      break;
  }
  TbsSkinControl::WndProc(Message);
}

void TbsSkinScrollPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_WANTSPECIALKEY:
      TbsSkinControl::Dispatch(Message);
      if (FCanFocused && Message.WParam >= VK_LEFT && Message.WParam <= VK_DOWN) Message.Result = 1;
      return;
    case WM_MOUSEWHEEL:
      if (FCanFocused && Focused()) FScroller.ButtonClick(static_cast<short>(HIWORD(Message.WParam)) > 0 ? 0 : 1);
      return;
    default:
      TbsSkinControl::Dispatch(Message);
  }
}

void TbsSkinScrollPanel::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TbsSkinControl::KeyDown(Key, Shift);
  if (life.expired() || !FCanFocused) return;
  if (Key == VK_LEFT || Key == VK_UP)
    FScroller.ButtonClick(0);
  else if (Key == VK_RIGHT || Key == VK_DOWN)
    FScroller.ButtonClick(1);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinScrollPanel,
  XJ_PROP(CanFocused, false)
  XJ_PROP(HotScroll, false)
  XJ_PROP(AutoSize, false)
  XJ_PROP(ScrollType, stHorizontal)
  XJ_PROP(ScrollOffset, 0)
  XJ_PROP(ScrollTimerInterval, 50)
  XJ_PROP(Align, alNone));
