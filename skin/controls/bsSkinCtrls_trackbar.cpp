#include "skin/controls/bsSkinCtrls_trackbar.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_gauge.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr COLORREF kFocusFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

int ToInt(int64_t V) { return static_cast<int>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

}  // namespace

TbsSkinTrackBar::TbsSkinTrackBar(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "htrackbar";
  SetBounds(0, 0, 100, 20);
}

TbsSkinTrackBar::~TbsSkinTrackBar() = default;

void TbsSkinTrackBar::SetValue(int Value) {
  if (bsLoading(this)) {
    FValue = Value;
    return;
  }
  const int v = Value > FMaxValue ? FMaxValue : Value < FMinValue ? FMinValue : Value;
  if (v == FValue) return;
  FValue = v;
  Repaint();
  if (OnChange) OnChange(this);
}

void TbsSkinTrackBar::SetMinValue(int Value) {
  FMinValue = Value;
  if (FValue < Value && !bsLoading(this)) FValue = Value;
  Repaint();
}

void TbsSkinTrackBar::SetMaxValue(int Value) {
  FMaxValue = Value;
  if (FValue > Value && !bsLoading(this)) FValue = Value;
  Repaint();
}

// The limits hold the value as they do when set, quietly.
void TbsSkinTrackBar::Loaded() {
  TbsSkinCustomControl::Loaded();
  FValue = FValue > FMaxValue ? FMaxValue : FValue < FMinValue ? FMinValue : FValue;
}

void TbsSkinTrackBar::SetVertical(bool Value) {
  FVertical = Value;
  Repaint();
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = Value ? "trackbar" : "htrackbar";
}

void TbsSkinTrackBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TbsSkinTrackBar::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinTrackBarControl>();
  if (!r) {
    FSkinObjectIndex = -1;
    Picture = MaskPicture = nullptr;
    return;
  }
  // The skin decides the orientation of a skinned bar.
  FVertical = r->Vertical;
  ButtonRect = r->ButtonRect;
  ActiveButtonRect = IsNullRect(r->ActiveButtonRect) ? ButtonRect : r->ActiveButtonRect;
  TrackArea = r->TrackArea;
  NewTrackArea = bsAreaForSize(TrackArea, SkinRect, FResizeMode, FVertical, Width(), Height());
}

void TbsSkinTrackBar::CalcSize(int& W, int& H) {
  TbsSkinCustomControl::CalcSize(W, H);
  NewTrackArea = bsAreaForSize(TrackArea, SkinRect, FResizeMode, FVertical, W, H);
}

TRect TbsSkinTrackBar::TrackRect() const {
  return FSkinObjectIndex != -1 && Picture ? NewTrackArea : TRect(2, 2, Width() - 2, Height() - 2);
}

TRect TbsSkinTrackBar::CalcButtonRect(const TRect& R, bool AVertical) {
  const double f =
      FMaxValue == FMinValue ? 0 : double(int64_t { FValue } - FMinValue) / double(int64_t { FMaxValue } - FMinValue);
  int bw, bh;
  if (FSkinObjectIndex != -1 && Picture) {
    bw = RectWidth(ButtonRect);
    bh = RectHeight(ButtonRect);
  } else if (AVertical) {
    bw = Width() - 4;
    bh = bw / 2;
  } else {
    bh = Height() - 4;
    bw = bh / 2;
  }
  TRect t;
  if (AVertical) {
    FThumbCenterMin = R.Top + bh / 2;
    FThumbCenterMax = R.Bottom - bh / 2;
    FThumbCenterOffset = ToInt(Round(double(FThumbCenterMax - FThumbCenterMin) * f));
    const int c = FThumbCenterMax - FThumbCenterOffset;  // the minimum is at the bottom
    t.Top = c - bh / 2;
    t.Bottom = t.Top + bh;
    t.Left = R.Left + RectWidth(R) / 2 - bw / 2;
    t.Right = t.Left + bw;
  } else {
    FThumbCenterMin = R.Left + bw / 2;
    FThumbCenterMax = R.Right - bw / 2;
    FThumbCenterOffset = ToInt(Round(double(FThumbCenterMax - FThumbCenterMin) * f));
    const int c = FThumbCenterMin + FThumbCenterOffset;
    t.Left = c - bw / 2;
    t.Right = t.Left + bw;
    t.Top = R.Top + RectHeight(R) / 2 - bh / 2;
    t.Bottom = t.Top + bh;
  }
  return t;
}

int TbsSkinTrackBar::CalcValue(int Offset) const {
  const int span = FThumbCenterMax - FThumbCenterMin;
  const double k = std::clamp(span > 0 ? double(Offset) / span : 0.0, 0.0, 1.0);
  return ToInt(Round(double(int64_t { FMaxValue } - FMinValue) * k) + FMinValue);
}

void TbsSkinTrackBar::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  NewTrackArea = bsAreaForSize(TrackArea, SkinRect, FResizeMode, FVertical, Width(), Height());
  FButtonR = CalcButtonRect(NewTrackArea, FVertical);
  const TRect& S = FThumbDown || IsFocused() ? ActiveButtonRect : ButtonRect;
  if (!IsNullRect(S)) TbsSkinPieces(B, Picture, S).Copy(FButtonR, S);
}

void TbsSkinTrackBar::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* c = B->Canvas();
  TRect r = ClientRect();
  Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
  TRect groove = FVertical ? TRect(Width() / 2 - 1, 4, Width() / 2 + 1, Height() - 4)
                           : TRect(4, Height() / 2 - 1, Width() - 4, Height() / 2 + 1);
  Frame3D(c, groove, clBtnShadow, clBtnHighlight, 1);
  FButtonR = CalcButtonRect(TrackRect(), FVertical);
  TColor frame = clBtnShadow, fill = clBtnFace;
  if (FThumbDown) {
    frame = clNavy;
    fill = static_cast<TColor>(kDownFill);
  } else if (IsFocused()) {
    frame = clNavy;
    fill = static_cast<TColor>(kFocusFill);
  }
  c->Brush()->SetStyle(bsSolid);
  TRect thumb = FButtonR;
  Frame3D(c, thumb, frame, frame, 1);
  c->Brush()->SetColor(fill);
  if (!IsNullRect(thumb)) c->FillRect(thumb);
}

void TbsSkinTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || !FMouseSupport) return;
  FButtonR = ThumbRect();
  // The thumb's right and bottom edges count as on it.
  if (!PointInRect(FButtonR, TPoint(X, Y))) return;
  FDragStart = FVertical ? Y : X;
  FDragOffset = FThumbCenterOffset;
  FThumbDown = true;
  Repaint();
}

void TbsSkinTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (FMouseSupport && FThumbDown) {
    auto life = LifeToken();
    const int d = FVertical ? FDragStart - Y + FDragOffset : X - FDragStart + FDragOffset;
    ThumbRect();  // the centre range for the current size
    SetValue(CalcValue(d));
    if (life.expired()) return;
  }
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired() || !FMouseSupport) return;
  if (FThumbDown) {
    FThumbDown = false;
    Repaint();
  } else if (FJumpWhenClick) {
    // The offset is measured from the end the value grows from, so a track with unequal margins still
    // puts the thumb's centre under the pointer.
    ThumbRect();
    SetValue(CalcValue(FVertical ? FThumbCenterMax - Y : X - FThumbCenterMin));
  }
}

void TbsSkinTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TbsSkinCustomControl::KeyDown(Key, Shift);
  if (life.expired() || !FCanFocused) return;
  if (Key == VK_LEFT || Key == VK_DOWN)
    SetValue(ToInt(int64_t { FValue } - 1));
  else if (Key == VK_UP || Key == VK_RIGHT)
    SetValue(ToInt(int64_t { FValue } + 1));
}

void TbsSkinTrackBar::WndProc(TMessage& Message) {
  if (bsTakeFocusOnPress(this, FCanFocused, Message)) return;
  TbsSkinCustomControl::WndProc(Message);
}

void TbsSkinTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEWHEEL:
      if (FCanFocused && IsFocused()) {
        // The delta rides in the high word: a negative parameter is a turn towards the user.
        const bool towards = static_cast<int32_t>(Message.WParam) < 1;
        SetValue(ToInt(int64_t { FValue } + (towards == FVertical ? -1 : 1)));
        Message.Result = 1;
        return;
      }
      break;
    case CM_WANTSPECIALKEY:
      TbsSkinCustomControl::Dispatch(Message);
      if (bsWantsArrowKey(FCanFocused, Message)) Message.Result = 1;
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case CM_ENABLEDCHANGED:
      // Whoever took the mouse ends the drag where it stands.
      if (FThumbDown && (Message.Msg == CM_ENABLEDCHANGED || bsMouseTakenAway(this, Message))) {
        FThumbDown = false;
        Repaint();
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TbsSkinCustomControl::Dispatch(Message);
      Repaint();
      return;
    default:
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

XJ_PUBLISHED(TbsSkinTrackBar,
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true)
  XJ_PROP(TabStop, false)
  XJ_PROP(MinValue)
  XJ_PROP(MaxValue)
  XJ_PROP(Value)
  XJ_PROP(Vertical)
  XJ_PROP(MouseSupport)
  XJ_PROP(JumpWhenClick)
  XJ_PROP(CanFocused)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize));
