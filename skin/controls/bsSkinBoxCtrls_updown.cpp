#include "skin/controls/bsSkinBoxCtrls_updown.h"

#include <cstdint>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- The arrow pair ---------------------------------------------------------------------------------------

bool TbsArrowPair::Contains(const TRect& R, int X, int Y) const {
  if (FInclusiveEdges) return PointInRect(R, TPoint(X, Y));
  return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

void TbsArrowPair::TestActive(int X, int Y) {
  const int old = ActiveButton;
  ActiveButton = -1;
  // On an edge both buttons share, button 0 wins.
  for (int i = 0; i < 2; ++i)
    if (Contains(Buttons[i].R, X, Y)) {
      ActiveButton = i;
      break;
    }
  // While a button is held no other one turns hot.
  if (CaptureButton != -1 && ActiveButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
  if (old != ActiveButton) {
    if (old != -1) ButtonLeave(old);
    if (ActiveButton != -1) ButtonEnter(ActiveButton);
  }
}

void TbsArrowPair::MouseDown(TMouseButton Button, int X, int Y) {
  TestActive(X, Y);
  if (ActiveButton == -1 || CaptureButton != -1) return;
  CaptureButton = ActiveButton;
  // Any mouse button presses; its release must come back here wherever it happens.
  if (Button != mbLeft) FOwner->SetMouseCapture(true);
  ButtonDown(CaptureButton);
}

void TbsArrowPair::MouseUp(TMouseButton Button) {
  if (CaptureButton == -1) return;
  const int index = CaptureButton;
  CaptureButton = -1;
  if (Button != mbLeft && FOwner->MouseCapture()) FOwner->SetMouseCapture(false);
  ButtonUp(index);
}

void TbsArrowPair::MouseLeave() {
  for (TButtonState& b : Buttons)
    if (b.MouseIn) {
      b.MouseIn = false;
      FOwner->Repaint();
    }
}

void TbsArrowPair::Cancel() {
  StopTimer();
  if (CaptureButton == -1) return;
  Buttons[CaptureButton].Down = false;
  CaptureButton = -1;
  FOwner->Repaint();
}

void TbsArrowPair::Watch(const TMessage& Message) {
  switch (Message.Msg) {
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // Another window took the mouse: nothing stays held or repeating.
      if (CaptureButton != -1 && bsMouseTakenAway(static_cast<TWinControl*>(FOwner), Message)) Cancel();
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      Cancel();
      break;
    default:
      break;
  }
}

void TbsArrowPair::ButtonDown(int Index) {
  Buttons[Index].MouseIn = true;
  Buttons[Index].Down = true;
  FOwner->Repaint();
  if (!CanStep()) return;
  FTimerMode = Index == 0 ? 2 : 1;
  FWaitMode = true;
  FRepeat.Start(kFirstWait);
}

void TbsArrowPair::ButtonUp(int Index) {
  TButtonState& b = Buttons[Index];
  b.Down = false;
  if (ActiveButton != Index) b.MouseIn = false;
  FOwner->Repaint();
  // Nothing more repeats, whatever the handlers below do.
  StopTimer();
  if (!b.MouseIn) return;
  auto life = FOwner->LifeToken();
  if (CanStep()) Step(Index);
  if (!life.expired() && Click) Click(Index);
}

void TbsArrowPair::ButtonEnter(int Index) {
  Buttons[Index].MouseIn = true;
  FOwner->Repaint();
  if (CanStep() && Buttons[Index].Down) FRepeat.Start(kResumeInterval);
}

void TbsArrowPair::ButtonLeave(int Index) {
  Buttons[Index].MouseIn = false;
  FOwner->Repaint();
  if (CanStep() && Buttons[Index].Down) FRepeat.Stop();
}

void TbsArrowPair::Tick() {
  if (FWaitMode) {
    FWaitMode = false;
    FRepeat.Start(kRepeatInterval);
    return;
  }
  if (FTimerMode == 1)
    Step(1);
  else if (FTimerMode == 2)
    Step(0);
}

void TbsArrowPair::StopTimer() {
  FRepeat.Stop();
  FTimerMode = 0;
}

void bsDrawDefaultArrowButton(TCanvas* C, const TbsArrowPair::TButtonState& B, int Code, bool NormalFrame) {
  TRect r = B.R;
  bsDrawLookFace(C, r, bsLookState(B.MouseIn && B.Down, B.MouseIn), NormalFrame);
  DrawArrowImage(C, B.R, clBlack, Code);
}

void bsDrawSkinArrowButton(TCanvas* C, TBitmap* Picture, const TbsArrowPair::TButtonState& B, const TRect& Active,
                           const TRect& Pressed) {
  TRect source;
  if (B.Down && B.MouseIn)
    source = Pressed;
  else if (B.MouseIn)
    source = Active;
  if (!IsNullRect(source)) C->CopyRect(B.R, Picture->Canvas(), source);
}

// ---- Values -----------------------------------------------------------------------------------------------

TbsSkinUpDown::TbsSkinUpDown(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "hupdown";
  SetBounds(Left(), Top(), 25, 50);
  FArrows.CanStep = [this] { return FIncrement != 0; };
  FArrows.Step = [this](int Index) { Step(Index); };
  FArrows.Click = [this](int Index) {
    TNotifyEvent& click = Index == 0 ? OnUpButtonClick : OnDownButtonClick;
    if (click) click(this);
  };
}

TbsSkinUpDown::~TbsSkinUpDown() = default;

void TbsSkinUpDown::SetOrientation(TUDOrientation Value) {
  FOrientation = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = Value == udVertical ? "vupdown" : "hupdown";
  Repaint();
}

void TbsSkinUpDown::SetPosition(int Value) {
  if (bsLoading(this)) {
    FPosition = Value;
    return;
  }
  if (Value > FMax || Value < FMin) return;
  FPosition = Value;
  // The tab controls rely on hearing every stored value, unchanged ones included.
  if (!ComponentState().Contains(csDesigning) && OnChange) OnChange(this);
}

void TbsSkinUpDown::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin && !bsLoading(this)) FPosition = FMin;
}

void TbsSkinUpDown::SetMax(int Value) {
  FMax = Value;
  if (FPosition > FMax && !bsLoading(this)) FPosition = FMax;
}

// The bounds pull the position in as they do when set.
void TbsSkinUpDown::Loaded() {
  TbsSkinCustomControl::Loaded();
  FPosition = std::max(FMin, std::min(FPosition, FMax));
}

void TbsSkinUpDown::Step(int Index) {
  const int64_t v = int64_t { FPosition } + (Index == 0 ? int64_t { FIncrement } : -int64_t { FIncrement });
  // Past the bounds (32 bits included) the step is simply not taken.
  if (v > FMax || v < FMin) return;
  SetPosition(static_cast<int>(v));
}

// ---- Skin and looks ---------------------------------------------------------------------------------------

void TbsSkinUpDown::CalcRects() {
  if (CanPaintSkin()) {
    FArrows.Buttons[0].R = UpButtonRect;
    FArrows.Buttons[1].R = DownButtonRect;
    return;
  }
  const int w = Width(), h = Height();
  if (FOrientation == udVertical) {
    FArrows.Buttons[0].R = TRect(0, 0, w, h / 2);
    FArrows.Buttons[1].R = TRect(0, h / 2, w, h);
  } else {
    FArrows.Buttons[1].R = TRect(0, 0, w / 2, h);
    FArrows.Buttons[0].R = TRect(w / 2, 0, w, h);
  }
}

void TbsSkinUpDown::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinUpDownControl>();
  if (!r || !Picture) {
    // A record of another class, or one without a picture, leaves the default look.
    Unskin();
  } else {
    auto orElse = [](const TRect& a, const TRect& b) { return IsNullRect(a) ? b : a; };
    UpButtonRect = r->UpButtonRect;
    ActiveUpButtonRect = r->ActiveUpButtonRect;
    DownUpButtonRect = orElse(r->DownUpButtonRect, ActiveUpButtonRect);
    DownButtonRect = r->DownButtonRect;
    ActiveDownButtonRect = r->ActiveDownButtonRect;
    DownDownButtonRect = orElse(r->DownDownButtonRect, ActiveDownButtonRect);
    // The face is never stretched: the control takes the size of SkinRect.
    LTPoint = RTPoint = LBPoint = RBPoint = TPoint(0, 0);
    ClRect = TRect(0, 0, 0, 0);
    FResizeMode = GetResizeMode();
  }
  CalcRects();
}

void TbsSkinUpDown::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  const bool horizontal = FOrientation == udHorizontal;
  bsDrawDefaultArrowButton(B->Canvas(), FArrows.Buttons[0], horizontal ? 2 : 3, true);
  bsDrawDefaultArrowButton(B->Canvas(), FArrows.Buttons[1], horizontal ? 1 : 4, true);
}

void TbsSkinUpDown::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  bsDrawSkinArrowButton(B->Canvas(), Picture, FArrows.Buttons[0], ActiveUpButtonRect, DownUpButtonRect);
  bsDrawSkinArrowButton(B->Canvas(), Picture, FArrows.Buttons[1], ActiveDownButtonRect, DownDownButtonRect);
}

// ---- Mouse ------------------------------------------------------------------------------------------------

void TbsSkinUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  FArrows.MouseDown(Button, X, Y);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinUpDown::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  FArrows.TestActive(X, Y);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  FArrows.MouseUp(Button);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinUpDown::Dispatch(TMessage& Message) {
  FArrows.Watch(Message);
  switch (Message.Msg) {
    case WM_SIZE: {
      const auto life = LifeToken();  // OnResize may free the control
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired()) CalcRects();
      return;
    }
    case CM_MOUSEENTER:
      FArrows.ActiveButton = -1;
      break;
    case CM_MOUSELEAVE: {
      auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired()) FArrows.MouseLeave();
      return;
    }
    default:
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinUpDown,
  XJ_PROP(Orientation)
  XJ_PROP(Increment)
  XJ_PROP(Position)
  XJ_PROP(Min)
  XJ_PROP(Max)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnUpButtonClick)
  XJ_EVENT(OnDownButtonClick));
