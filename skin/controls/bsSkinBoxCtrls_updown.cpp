#include "skin/controls/bsSkinBoxCtrls_updown.h"

#include <cstdint>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr TColor kHotFill = static_cast<TColor>(0xD2BDB6);
constexpr TColor kDownFill = static_cast<TColor>(0xB59385);

}  // namespace

TbsSkinUpDown::TbsSkinUpDown(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "hupdown";
  SetBounds(Left(), Top(), 25, 50);
}

TbsSkinUpDown::~TbsSkinUpDown() = default;

// ---- Values -----------------------------------------------------------------------------------------------

void TbsSkinUpDown::SetOrientation(TUDOrientation Value) {
  FOrientation = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = Value == udVertical ? "vupdown" : "hupdown";
  Repaint();
}

void TbsSkinUpDown::SetPosition(int Value) {
  if (Value > FMax || Value < FMin) return;
  FPosition = Value;
  // The tab controls rely on hearing every stored value, unchanged ones included.
  if (!ComponentState().Contains(csDesigning) && OnChange) OnChange(this);
}

void TbsSkinUpDown::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
}

void TbsSkinUpDown::SetMax(int Value) {
  FMax = Value;
  if (FPosition > FMax) FPosition = FMax;
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
    FButtons[0].R = UpButtonRect;
    FButtons[1].R = DownButtonRect;
    return;
  }
  const int w = Width(), h = Height();
  if (FOrientation == udVertical) {
    FButtons[0].R = TRect(0, 0, w, h / 2);
    FButtons[1].R = TRect(0, h / 2, w, h);
  } else {
    FButtons[1].R = TRect(0, 0, w / 2, h);
    FButtons[0].R = TRect(w / 2, 0, w, h);
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

void TbsSkinUpDown::DrawButton(TCanvas* C, int Index) {
  const TButtonState& b = FButtons[Index];
  if (CanPaintSkin()) {
    TRect source;
    if (b.Down && b.MouseIn)
      source = Index == 0 ? DownUpButtonRect : DownDownButtonRect;
    else if (b.MouseIn)
      source = Index == 0 ? ActiveUpButtonRect : ActiveDownButtonRect;
    // Otherwise the face already shows the normal button.
    if (!IsNullRect(source)) C->CopyRect(b.R, Picture->Canvas(), source);
    return;
  }
  TRect r = b.R;
  TColor fill = clBtnFace;
  if (b.MouseIn) {
    Frame3D(C, r, clNavy, clNavy, 1);
    fill = b.Down ? kDownFill : kHotFill;
  } else {
    Frame3D(C, r, clBtnShadow, clBtnShadow, 1);
  }
  C->Brush()->SetColor(fill);
  C->FillRect(r);
  const int code = FOrientation == udHorizontal ? (Index == 0 ? 2 : 1) : (Index == 0 ? 3 : 4);
  DrawArrowImage(C, b.R, clBlack, code);
}

void TbsSkinUpDown::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  DrawButton(B->Canvas(), 0);
  DrawButton(B->Canvas(), 1);
}

void TbsSkinUpDown::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  DrawButton(B->Canvas(), 0);
  DrawButton(B->Canvas(), 1);
}

// ---- Mouse and repeat -------------------------------------------------------------------------------------

void TbsSkinUpDown::TestActive(int X, int Y) {
  FOldActiveButton = FActiveButton;
  FActiveButton = -1;
  // Edges belong to a button on all four sides: on the shared edge button 0 wins.
  for (int i = 0; i < 2; ++i)
    if (PointInRect(FButtons[i].R, TPoint(X, Y))) {
      FActiveButton = i;
      break;
    }
  // While a button is held no other one turns hot.
  if (FCaptureButton != -1 && FActiveButton != -1 && FActiveButton != FCaptureButton) FActiveButton = -1;
  if (FOldActiveButton != FActiveButton) {
    if (FOldActiveButton != -1) ButtonLeave(FOldActiveButton);
    if (FActiveButton != -1) ButtonEnter(FActiveButton);
  }
}

void TbsSkinUpDown::ButtonDown(int Index) {
  FButtons[Index].MouseIn = true;
  FButtons[Index].Down = true;
  Repaint();
  if (!CanStep()) return;
  FTimerMode = Index == 0 ? 2 : 1;
  FWaitMode = true;
  FRepeat.Start(kFirstWait);
}

void TbsSkinUpDown::ButtonUp(int Index) {
  TButtonState& b = FButtons[Index];
  b.Down = false;
  if (FActiveButton != Index) b.MouseIn = false;
  Repaint();
  // Nothing more repeats, whatever the handlers below do.
  StopTimer();
  if (!b.MouseIn) return;
  auto life = LifeToken();
  if (CanStep()) Step(Index);
  if (life.expired()) return;
  TNotifyEvent& click = Index == 0 ? OnUpButtonClick : OnDownButtonClick;
  if (click) click(this);
}

void TbsSkinUpDown::ButtonEnter(int Index) {
  FButtons[Index].MouseIn = true;
  Repaint();
  if (CanStep() && FButtons[Index].Down) FRepeat.Start(kResumeInterval);
}

void TbsSkinUpDown::ButtonLeave(int Index) {
  FButtons[Index].MouseIn = false;
  Repaint();
  if (CanStep() && FButtons[Index].Down) FRepeat.Stop();
}

void TbsSkinUpDown::TimerTick() {
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

void TbsSkinUpDown::StopTimer() {
  FRepeat.Stop();
  FTimerMode = 0;
}

void TbsSkinUpDown::CancelPress() {
  StopTimer();
  if (FCaptureButton == -1) return;
  FButtons[FCaptureButton].Down = false;
  FCaptureButton = -1;
  if (HandleAllocated()) Repaint();
}

void TbsSkinUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TestActive(X, Y);
  if (FActiveButton != -1 && FCaptureButton == -1) {
    FCaptureButton = FActiveButton;
    // Any mouse button presses; the release must come back here wherever it happens.
    if (Button != mbLeft) SetMouseCapture(true);
    ButtonDown(FCaptureButton);
  }
  if (life.expired()) return;
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinUpDown::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TestActive(X, Y);
  if (life.expired()) return;
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  if (FCaptureButton != -1) {
    const int index = FCaptureButton;
    FCaptureButton = -1;
    if (Button != mbLeft && MouseCapture()) SetMouseCapture(false);
    ButtonUp(index);
    if (life.expired()) return;
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TbsSkinCustomControl::Dispatch(Message);
      CalcRects();
      return;
    case CM_MOUSEENTER:
      FActiveButton = FOldActiveButton = -1;
      break;
    case CM_MOUSELEAVE: {
      auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);
      if (life.expired()) return;
      for (TButtonState& b : FButtons)
        if (b.MouseIn) {
          b.MouseIn = false;
          Repaint();
        }
      return;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // Another window took the mouse: nothing stays held or repeating.
      if (FCaptureButton != -1 && bsMouseTakenAway(this, Message)) CancelPress();
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      CancelPress();
      break;
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
