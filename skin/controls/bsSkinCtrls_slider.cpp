#include "skin/controls/bsSkinCtrls_slider.h"

#include <algorithm>

#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatMs = 400;

int ToInt(int64_t V) { return static_cast<int>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

// Right and bottom edges outside, as the window system counts.
bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// The default pictures: magenta background (the bottom-left pixel, hence transparent), a grey thumb
// pointing at the ruler in two states side by side (plain and dithered), and a sunken groove.
void DrawThumbState(TCanvas* c, int X, int W, int H, bool Vertical, bool Dithered) {
  // Along the pointing direction: a body, then a point narrowing one pixel per row from each side.
  const int across = Vertical ? H : W;
  const int along = Vertical ? W : H;
  const int tip = (across + 1) / 2;
  const int body = std::max(1, along - tip);
  auto put = [&](int a, int b, TColor col) {  // a along, b across
    if (Vertical)
      c->SetPixels(X + a, b, col);
    else
      c->SetPixels(X + b, a, col);
  };
  for (int a = 0; a < along; ++a) {
    const int inset = a < body ? 0 : a - body + 1;
    const int lo = inset, hi = across - 1 - inset;
    for (int b = lo; b <= hi; ++b) {
      TColor col = Dithered && ((a + b) & 1) ? clWhite : clSilver;
      if (b == lo || a == 0) col = clWhite;
      if (b == hi) col = clBlack;
      if (b == hi - 1 && b > lo) col = clGray;
      put(a, b, col);
    }
  }
}

void DrawDefaultImage(TBitmap* B, TbsSliderImage I) {
  static constexpr int size[4][2] = { { 18, 17 }, { 10, 8 }, { 38, 9 }, { 8, 10 } };
  B->SetPixelFormat(pf24bit);
  B->SetSize(size[I][0], size[I][1]);
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(TRect(0, 0, B->Width(), B->Height()));
  // A thumb pointing right covers its bottom-left pixel: the magenta is named rather than sampled.
  B->SetTransparentColor(clFuchsia);
  const bool vertical = I == siVThumb || I == siVRuler;
  if (I == siHThumb || I == siVThumb) {
    const int w = B->Width() / 2, h = B->Height();
    DrawThumbState(c, 0, w, h, vertical, false);
    DrawThumbState(c, w, w, h, vertical, true);
    return;
  }
  // The groove: two shadow lines and two highlight lines across the middle, its ends closed.
  const TColor lines[4] = { clGray, clBlack, clSilver, clWhite };
  const int len = vertical ? B->Height() : B->Width();
  for (int k = 0; k < 4; ++k)
    for (int a = 0; a < len; ++a) {
      TColor col = lines[k];
      if (a == 0 && k < 3) col = clGray;
      if (a == len - 1 && k > 0) col = clWhite;
      if (vertical)
        c->SetPixels(2 + k, a, col);
      else
        c->SetPixels(a, 2 + k, col);
    }
}

}  // namespace

TbsSkinCustomSlider::TbsSkinCustomSlider(TComponent* AOwner) : TbsSkinControl(AOwner) {
  SetControlStyle(TControlStyle { csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks });
  SetBounds(Left(), Top(), 150, 40);
  SetTabStop(true);
  FRuler = std::make_unique<TBitmap>();
  for (int i = 0; i < 4; ++i) SetImage(TbsSliderImage(i), nullptr);
  FSkinDataName = "slider";
  FCreating = false;
  AdjustElements();
}

TbsSkinCustomSlider::~TbsSkinCustomSlider() {
  OnChange = OnChanged = OnDrawPoints = nullptr;
  for (auto& i : FImages) i->OnChange = nullptr;
}

void TbsSkinCustomSlider::SetImage(TbsSliderImage Index, TBitmap* Value) {
  auto& img = FImages[Index];
  if (!img) {
    img = std::make_unique<TBitmap>();
    img->OnChange = TNotifyEvent(this, &TbsSkinCustomSlider::SliderImageChanged);
  }
  if (!Value) {
    DrawDefaultImage(img.get(), Index);
    FUserImages >> Index;
    if (!ComponentState().Contains(csReading)) {
      FOptions >> (Index == siHThumb || Index == siVThumb ? soThumbOpaque : soRulerOpaque);
      FBackValid = false;
      Invalidate();
    }
    SliderImageChanged(this);
    return;
  }
  if (Value != img.get()) img->Assign(Value);
  FUserImages << Index;
  SliderImageChanged(this);
}

void TbsSkinCustomSlider::SliderImageChanged(TObject*) {
  if (!FCreating) Sized();
}

void TbsSkinCustomSlider::SetEdgeSize(int Value) {
  const int l = Vertical() ? ImageVRuler()->Height() : ImageHRuler()->Width();
  if (int64_t { Value } * 2 >= l || Value < 0 || Value == FEdgeSize) return;
  FEdgeSize = Value;
  Sized();
}

void TbsSkinCustomSlider::SetNumThumbStates(int Value) {
  Value = std::clamp(Value, 1, 2);
  if (Value == FNumThumbStates) return;
  FNumThumbStates = Value;
  AdjustElements();
}

void TbsSkinCustomSlider::SetOrientation(TbsSliderOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  Sized();
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csUpdating))
    SetBounds(Left(), Top(), Height(), Width());
}

void TbsSkinCustomSlider::SetOptions(TbsSliderOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  FBackValid = false;
  Invalidate();
}

void TbsSkinCustomSlider::SetTransparent(bool Value) {
  FTransparent = Value;
  FBackValid = false;
  Invalidate();
}

void TbsSkinCustomSlider::SetUseSkinThumb(bool Value) {
  if (Value == FUseSkinThumb) return;
  FUseSkinThumb = Value;
  AdjustElements();
}

void TbsSkinCustomSlider::SetRange(int AMin, int AMax) {
  const bool reading = ComponentState().Contains(csReading);
  if (AMin >= AMax && !reading) return;
  FMinValue = AMin;
  FMaxValue = AMax;
  if (!reading && int64_t { AMin } + FIncrement > AMax) FIncrement = AMax - AMin;
  FBackValid = false;
  if (FOptions.Contains(soShowPoints)) Invalidate();
  SetValue(FValue);
  RangeChanged();
}

void TbsSkinCustomSlider::SetMinValue(int Value) {
  if (Value != FMinValue) SetRange(Value, FMaxValue);
}

void TbsSkinCustomSlider::SetMaxValue(int Value) {
  if (Value != FMaxValue) SetRange(FMinValue, Value);
}

void TbsSkinCustomSlider::SetIncrement(int Value) {
  if (Value <= 0 || Value == FIncrement) return;
  FIncrement = Value;
  FBackValid = false;
  SetValue(FValue);
  Invalidate();
}

void TbsSkinCustomSlider::SetValue(int V) {
  if (bsLoading(this)) {
    FValue = V;
    return;
  }
  if (V > FMaxValue) V = FMaxValue;
  if (V < FMinValue) V = FMinValue;
  const bool changed = V != FValue;
  FValue = V;
  SetThumbOffset(GetOffsetByValue(V));
  if (changed) Change();
}

void TbsSkinCustomSlider::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  if (Value) {
    StopTracking();
    if (FSliding) ThumbMouseUp(mbLeft, TShiftState(), 0, 0);
  }
  FReadOnly = Value;
}

void TbsSkinCustomSlider::Change() {
  if (OnChange) OnChange(this);
}

void TbsSkinCustomSlider::Changed() {
  if (OnChanged) OnChanged(this);
}

// ---- Skin and layout ------------------------------------------------------------------------------------

void TbsSkinCustomSlider::GetSkinData() {
  TbsSkinControl::GetSkinData();
  FPicture = nullptr;
  auto* r = FSkinObjectIndex == -1 ? nullptr : dynamic_cast<TbsDataSkinSlider*>(SkinRecord());
  // A record of another class, or one whose picture is missing, leaves the slider in its own look:
  // nothing of a skin that may be freed is kept.
  if (r && r->PictureIndex >= 0 && r->PictureIndex < FSkinData->ActivePictures->Count())
    FPicture = static_cast<TBitmap*>(FSkinData->ActivePictures->Items(r->PictureIndex));
  if (!r || !FPicture) {
    FSkinObjectIndex = -1;
    FPicture = nullptr;
    return;
  }
  // Images are cut from the picture: a rectangle reaching past it keeps only what lies inside.
  FHRulerRect = ClipToPicture(r->HRulerRect, FPicture);
  FHThumbRect = ClipToPicture(r->HThumbRect, FPicture);
  FVRulerRect = ClipToPicture(r->VRulerRect, FPicture);
  FVThumbRect = ClipToPicture(r->VThumbRect, FPicture);
  FSkinEdgeSize = r->EdgeSize;
  FBGColor = r->BGColor;
  FPointsColor = r->PointsColor;
}

void TbsSkinCustomSlider::ThumbSizes(int& HW, int& HH, int& VW, int& VH, int& States) const {
  if (SkinThumb()) {
    HW = RectWidth(FHThumbRect);
    HH = RectHeight(FHThumbRect);
    VW = RectWidth(FVThumbRect);
    VH = RectHeight(FVThumbRect);
    States = 2;
  } else {
    HW = ImageHThumb()->Width();
    HH = ImageHThumb()->Height();
    VW = ImageVThumb()->Width();
    VH = ImageVThumb()->Height();
    States = FNumThumbStates;
  }
}

int TbsSkinCustomSlider::GetRulerLength() const {
  int hw, hh, vw, vh, states;
  ThumbSizes(hw, hh, vw, vh, states);
  const int l = Vertical() ? FRuler->Height() - vh : FRuler->Width() - hw / states;
  return std::max(l, 0);
}

void TbsSkinCustomSlider::BuildRuler(const TRect& R) {
  TBitmap* I = Vertical() ? ImageVRuler() : ImageHRuler();
  const int E = FEdgeSize;
  TBitmap B;
  B.SetPixelFormat(pf24bit);
  int T, S, N;
  if (Vertical()) {
    B.SetSize(I->Width(), std::max(0, RectHeight(R) - 12));
    T = B.Height() - 2 * E;
    S = I->Height() - 2 * E;
    N = I->Height();
  } else {
    B.SetSize(std::max(0, RectWidth(R) - 12), I->Height());
    T = B.Width() - 2 * E;
    S = I->Width() - 2 * E;
    N = I->Width();
  }
  // An image no longer than its two ends has no middle to repeat: the ruler is the image stretched.
  if (S <= 0) {
    if (!B.Empty() && !I->Empty()) B.Canvas()->StretchDraw(TRect(0, 0, B.Width(), B.Height()), I);
    FRuler->Assign(&B);
    return;
  }
  const int count = T < 0 ? 0 : T / S + 1, rest = T < 0 ? 0 : T % S;
  auto piece = [&](int at, int len, int from) {
    if (len <= 0) return;
    const TRect d = Vertical() ? TRect(0, at, B.Width(), at + len) : TRect(at, 0, at + len, B.Height());
    const TRect s = Vertical() ? TRect(0, from, I->Width(), from + len) : TRect(from, 0, from + len, I->Height());
    B.Canvas()->CopyRect(d, I->Canvas(), s);
  };
  if (!B.Empty())
    for (int i = 0; i < count; ++i) {
      if (i == 0)
        piece(0, N - E, 0);
      else if (i < count - 1)
        piece(E + i * S, S, E);
      else
        piece(E + i * S, E + rest, E + S - rest);
    }
  FRuler->Assign(&B);
}

void TbsSkinCustomSlider::BuildSkinRuler(const TRect& R) {
  TBitmap B;
  if (Vertical())
    CreateVSkinImage(FSkinEdgeSize, FSkinEdgeSize, &B, FPicture, FVRulerRect, RectWidth(FVRulerRect),
                     std::max(0, RectHeight(R) - 12));
  else
    CreateHSkinImage(FSkinEdgeSize, FSkinEdgeSize, &B, FPicture, FHRulerRect, std::max(0, RectWidth(R) - 12),
                     RectHeight(FHRulerRect));
  FRuler->Assign(&B);
}

void TbsSkinCustomSlider::AdjustElements() {
  GetSkinData();
  const int v = FValue;
  const TRect R = GetSliderRect();
  if (Skinned())
    BuildSkinRuler(R);
  else
    BuildRuler(R);
  int hw, hh, vw, vh, states;
  ThumbSizes(hw, hh, vw, vh, states);
  const int rw = FRuler->Width(), rh = FRuler->Height();
  const int x0 = R.Left + 6, y0 = R.Top + 6;
  if (!Vertical()) {
    const int tw = hw / states;
    if (rh < hh) {
      FThumbRect = Bounds(x0, y0, tw, hh);
      FRulerOrigin = TPoint(x0, y0 + (hh - rh) / 2);
      FPointsRect = TRect(x0, y0 + hh + 1, x0 + rw, RectHeight(R) - 1);
    } else {
      FThumbRect = Bounds(x0, y0 + (rh - hh) / 2, tw, hh);
      FRulerOrigin = TPoint(x0, y0);
      FPointsRect = TRect(x0, y0 + rh + 1, x0 + rw, RectHeight(R) - 1);
    }
  } else {
    const int tw = vw / states;
    if (tw > rw) {
      FThumbRect = Bounds(x0, y0, tw, vh);
      FRulerOrigin = TPoint(x0 + (tw - rw) / 2, y0);
      FPointsRect = TRect(x0 + tw + 1, y0, RectWidth(R) - 1, y0 + rh);
    } else {
      FThumbRect = Bounds(x0 + (rw - tw) / 2, y0, tw, vh);
      FRulerOrigin = TPoint(x0, y0);
      FPointsRect = TRect(x0 + rw + 1, y0, RectWidth(R) - 1, y0 + rh);
    }
  }
  FBackValid = false;
  SetValue(v);
  Invalidate();
}

// ---- Values and positions -------------------------------------------------------------------------------

int TbsSkinCustomSlider::GetOffsetByValue(int V) const {
  const TRect R = GetSliderRect();
  const int start = (Vertical() ? R.Top : R.Left) + 6;
  const int64_t range = int64_t { FMaxValue } - FMinValue;
  // A range of one value (only a stream can give it) keeps the thumb at the start.
  const int64_t along = range <= 0 ? 0 : Round(Extended(GetRulerLength()) * (int64_t { V } - FMinValue) / range);
  int64_t p = along + start;
  if (Vertical()) {
    int hw, hh, vw, vh, states;
    ThumbSizes(hw, hh, vw, vh, states);
    p = int64_t { R.Top } + R.Bottom - p - vh;
  }
  return ToInt(std::max<int64_t>(p, start));
}

int TbsSkinCustomSlider::GetValueByOffset(int P) const {
  const TRect R = GetSliderRect();
  int64_t p = P;
  if (Vertical()) {
    int hw, hh, vw, vh, states;
    ThumbSizes(hw, hh, vw, vh, states);
    p = int64_t { const_cast<TbsSkinCustomSlider*>(this)->ClientHeight() } - p - vh;
  }
  const int l = GetRulerLength();
  // A ruler with no room to travel holds the minimum.
  if (l <= 0) return FMinValue;
  int64_t w = Round(Extended(p - R.Left - 6) * (int64_t { FMaxValue } - FMinValue) / l);
  if (!FOptions.Contains(soSmooth) && FIncrement > 0) w = Round(Extended(w) / FIncrement) * FIncrement;
  return ToInt(std::min<int64_t>(std::max<int64_t>(w, 0) + FMinValue, FMaxValue));
}

void TbsSkinCustomSlider::GetThumbPosition(int& Offset, TPoint& Pos) const {
  const TRect R = GetSliderRect();
  const int start = (Vertical() ? R.Top : R.Left) + 6;
  const int end = start + GetRulerLength();
  Offset = std::min(GetOffsetByValue(GetValueByOffset(std::clamp(Offset, start, end))), end);
  Pos = Vertical() ? TPoint(FThumbRect.Left, Offset) : TPoint(Offset, FThumbRect.Top);
}

void TbsSkinCustomSlider::SetThumbOffset(int Offset) {
  const int old = FValue;
  TPoint pos;
  GetThumbPosition(Offset, pos);
  InvalidateThumb();
  FThumbRect = Bounds(pos.X, pos.Y, RectWidth(FThumbRect), RectHeight(FThumbRect));
  InvalidateThumb();
  if (FSliding) {
    FValue = GetValueByOffset(Offset);
    if (FValue != old) Change();
  }
}

void TbsSkinCustomSlider::InvalidateThumb() {
  if (!HandleAllocated()) return;
  const RECT r = FThumbRect;
  InvalidateRect(Handle(), &r, !ControlStyle().Contains(csOpaque));
}

void TbsSkinCustomSlider::ThumbJump(TbsJumpMode Mode) {
  int64_t n;
  switch (Mode) {
    case jmHome:
      n = FMinValue;
      break;
    case jmEnd:
      n = FMaxValue;
      break;
    case jmNext:
    case jmPrior: {
      // Jumps snap to the grid of Increment counted from 0.
      const int64_t g = Round(Extended(FValue) / FIncrement) * FIncrement;
      n = Mode == jmNext ? g + FIncrement : g - FIncrement;
      break;
    }
    default:
      return;
  }
  if (n >= FMaxValue)
    n = FMaxValue;
  else if (n <= FMinValue)
    n = FMinValue;
  if (n != FValue) SetValue(static_cast<int>(n));
}

TbsJumpMode TbsSkinCustomSlider::JumpTo(int X, int Y) const {
  if (!Vertical()) return X < FThumbRect.Left ? jmPrior : X <= FThumbRect.Right ? jmNone : jmNext;
  return Y < FThumbRect.Top ? jmNext : Y <= FThumbRect.Bottom ? jmNone : jmPrior;
}

// ---- Mouse and keys ---------------------------------------------------------------------------------------

void TbsSkinCustomSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || Shift.Contains(ssDouble)) return;
  if (CanFocus()) SetFocus();
  if (life.expired()) return;
  if (Inside(FThumbRect, X, Y)) {
    ThumbMouseDown(Button, Shift, X, Y);
    return;
  }
  TRect hit = Bounds(FRulerOrigin.X, FRulerOrigin.Y, FRuler->Width(), FRuler->Height());
  if (Vertical()) {
    hit.Left -= 3;
    hit.Right += 3;
  } else {
    hit.Top -= 3;
    hit.Bottom += 3;
  }
  if (!Inside(hit, X, Y) || !CanModify() || FReadOnly) return;
  SetMouseCapture(true);
  FTracking = true;
  FMousePos = TPoint(X, Y);
  FStartJump = JumpTo(X, Y);
  TimerTrack();
}

void TbsSkinCustomSlider::TimerTrack() {
  if (JumpTo(FMousePos.X, FMousePos.Y) != FStartJump) return;
  ThumbJump(FStartJump);
  if (!FTimerActive && HandleAllocated()) {
    SetTimer(Handle(), kRepeatTimer, kRepeatMs, nullptr);
    FTimerActive = true;
  }
}

void TbsSkinCustomSlider::StopTracking() {
  if (!FTracking) return;
  if (FTimerActive && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  FTimerActive = false;
  FTracking = false;
  SetMouseCapture(false);
  Changed();
}

void TbsSkinCustomSlider::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) && FSliding)
    ThumbMouseMove(Shift, X, Y);
  else if (FTracking)
    FMousePos = TPoint(X, Y);
  TbsSkinControl::MouseMove(Shift, X, Y);
}

void TbsSkinCustomSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  StopTracking();
  if (life.expired()) return;
  if (FSliding) ThumbMouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomSlider::ThumbMouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  if (CanFocus()) SetFocus();
  if (Button != mbLeft || !CanModify() || FReadOnly) return;
  FSliding = true;
  FThumbDown = true;
  FHit = Vertical() ? Y - FThumbRect.Top : X - FThumbRect.Left;
  InvalidateThumb();
  Update();
}

void TbsSkinCustomSlider::ThumbMouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) && CanModify() && !FReadOnly) SetThumbOffset(Vertical() ? Y - FHit : X - FHit);
}

void TbsSkinCustomSlider::ThumbMouseUp(TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft) return;
  FSliding = false;
  FThumbDown = false;
  InvalidateThumb();
  Update();
  if (CanModify() && !FReadOnly) Changed();
}

void TbsSkinCustomSlider::KeyDown(WORD& Key, TShiftState Shift) {
  TbsJumpMode mode = jmNone;
  if (!(Shift * TShiftState { ssShift, ssAlt, ssCtrl }).Empty()) {
  } else if (Key == VK_HOME) {
    mode = jmHome;
  } else if (Key == VK_END) {
    mode = jmEnd;
  } else if (!Vertical()) {
    mode = Key == VK_LEFT ? jmPrior : Key == VK_RIGHT ? jmNext : jmNone;
  } else {
    mode = Key == VK_UP ? jmNext : Key == VK_DOWN ? jmPrior : jmNone;
  }
  if (mode != jmNone && CanModify() && !FReadOnly) {
    Key = 0;
    auto life = LifeToken();
    ThumbJump(mode);
    if (life.expired()) return;
    Changed();
    if (life.expired()) return;
  }
  TbsSkinControl::KeyDown(Key, Shift);
}

// ---- Painting ---------------------------------------------------------------------------------------------

void TbsSkinCustomSlider::DrawThumb(TCanvas* C, TPoint P, bool Down) {
  // The two pieces are cut once per background: a drag only draws them.
  TBitmap& t = FThumbPieces[Down ? 1 : 0];
  if (!FThumbCut[Down ? 1 : 0]) {
    FThumbCut[Down ? 1 : 0] = true;
    TBitmap* src;
    TRect s;
    bool transparent = true;
    if (SkinThumb()) {
      src = FPicture;
      s = Vertical() ? FVThumbRect : FHThumbRect;
      const int half = RectWidth(s) / 2;
      s = Down ? TRect(s.Left + half, s.Top, s.Left + 2 * half, s.Bottom)
               : TRect(s.Left, s.Top, s.Left + half, s.Bottom);
    } else {
      src = Vertical() ? ImageVThumb() : ImageHThumb();
      s = TRect(0, 0, src->Width(), src->Height());
      if (FNumThumbStates == 2) {
        const int half = src->Width() / 2;
        s = Down ? TRect(half, 0, 2 * half, s.Bottom) : TRect(0, 0, half, s.Bottom);
      }
      transparent = !FOptions.Contains(soThumbOpaque);
    }
    t.SetTransparent(false);
    t.SetSize(0, 0);
    if (RectWidth(s) <= 0 || RectHeight(s) <= 0) return;
    t.SetPixelFormat(pf24bit);
    t.SetSize(RectWidth(s), RectHeight(s));
    t.Canvas()->CopyRect(TRect(0, 0, t.Width(), t.Height()), src->Canvas(), s);
    if (src != FPicture) t.SetTransparentColor(src->TransparentColor());
    t.SetTransparent(transparent);
  }
  if (!t.Empty()) C->Draw(P.X, P.Y, &t);
}

void TbsSkinCustomSlider::DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight) {
  TCanvas* c = PaintCanvas();
  c->Pen()->SetColor(Skinned() ? FPointsColor : clWindowText);
  const int l = GetRulerLength();
  const int64_t range = int64_t { FMaxValue } - FMinValue;
  if (PointsStep <= 0 || range <= 0) return;
  int64_t k = 0, n, d;
  do {
    ++k;
    n = Round(Extended(range) / (k * PointsStep)) + 1;
    d = n > 1 ? l / (n - 1) : l;
  } while (!(d >= 4 || d >= l));
  int hw, hh, vw, vh, states;
  ThumbSizes(hw, hh, vw, vh, states);
  int64_t v = FMinValue;
  for (int64_t i = 1; i <= n; ++i) {
    if (i == n) v = FMaxValue;
    const int len = v == FMinValue || v == FMaxValue ? ExtremePointsHeight : PointsHeight;
    const int o = GetOffsetByValue(ToInt(v));
    if (Vertical()) {
      const int y = vh / 2 + o;
      c->MoveTo(FPointsRect.Left, y);
      c->LineTo(FPointsRect.Left + len, y);
    } else {
      const int x = hw / states / 2 + o;
      c->MoveTo(x, FPointsRect.Top);
      c->LineTo(x, FPointsRect.Top + len);
    }
    v += k * PointsStep;
  }
}

void TbsSkinCustomSlider::PaintBackground(TCanvas* c) {
  TControlChange restore(this, FPaintCanvas, c);
  if (FTransparent) {
    GetParentImage(this, c);
  } else {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Skinned() ? FBGColor : Color());
    c->FillRect(ClientRect());
  }
  if (FRuler->Width() > 0 && FRuler->Height() > 0) {
    FRuler->SetTransparent(!(FOptions.Contains(soRulerOpaque) && !Skinned()));
    c->Draw(FRulerOrigin.X, FRulerOrigin.Y, FRuler.get());
  }
  if (FOptions.Contains(soShowFocus) && FFocused && !ComponentState().Contains(csDesigning)) {
    TRect f = GetSliderRect();
    f = TRect(f.Left + 2, f.Top + 2, f.Right - 2, f.Bottom - 2);
    c->Brush()->SetColor(Skinned() ? FBGColor : Color());
    c->DrawFocusRect(f);
  }
  if (FOptions.Contains(soShowPoints)) {
    if (OnDrawPoints)
      OnDrawPoints(this);
    else
      DefaultDrawPoints(FIncrement, 3, 5);
  }
}

void TbsSkinCustomSlider::Paint() {
  GetSkinData();
  // Everything under the thumb is kept drawn while nothing it shows changes, so a drag step only copies
  // the area asked for and draws the thumb on it, off screen, shown in one copy without flicker.
  const TColor bg = Skinned() ? FBGColor : Color();
  const bool keep = !FTransparent && !OnDrawPoints;
  if (!keep || !FBackValid || FBackColor != bg || FBackPicture != FPicture || FBack.Width() != ClientWidth() ||
      FBack.Height() != ClientHeight()) {
    FBack.SetPixelFormat(pf24bit);
    FBack.SetSize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    // OnDrawPoints may free the slider.
    const auto life = LifeToken();
    PaintBackground(FBack.Canvas());
    if (life.expired()) return;
    FThumbCut[0] = FThumbCut[1] = false;
    FBackValid = keep;
    FBackColor = bg;
    FBackPicture = FPicture;
  }
  TRect clip = Canvas()->ClipRect();
  clip = TRect(std::max(clip.Left, 0), std::max(clip.Top, 0), std::min(clip.Right, FBack.Width()),
               std::min(clip.Bottom, FBack.Height()));
  if (clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
  TBitmap buffer;
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(RectWidth(clip), RectHeight(clip));
  TCanvas* c = buffer.Canvas();
  c->CopyRect(TRect(0, 0, buffer.Width(), buffer.Height()), FBack.Canvas(), clip);
  TPoint p = FThumbRect.TopLeft();
  if (ControlState().Contains(csPaintCopy)) {
    int offset = GetOffsetByValue(GetSliderValue());
    GetThumbPosition(offset, p);
  }
  const bool down = ControlState().Contains(csPaintCopy) ? !Enabled() : FThumbDown || !Enabled();
  DrawThumb(c, TPoint(p.X - clip.Left, p.Y - clip.Top), down);
  Canvas()->Draw(clip.Left, clip.Top, &buffer);
}

// ---- Messages and streaming --------------------------------------------------------------------------------

void TbsSkinCustomSlider::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer) {
        TimerTrack();
        return;
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_MOUSEWHEEL:
      // A notch away from the user is one jump up, towards the user one jump down.
      if (FFocused && CanModify() && !FReadOnly) {
        ThumbJump(static_cast<int16_t>(HIWORD(Message.WParam)) > 0 ? jmNext : jmPrior);
        Changed();
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOVE:
      TbsSkinControl::Dispatch(Message);
      if (FTransparent) Invalidate();
      return;
    case WM_CAPTURECHANGED:
      // Whoever took the mouse ends a ruler press; its timer must not run on.
      if (FTracking && reinterpret_cast<HWND>(Message.LParam) != Handle()) StopTracking();
      break;
    case CM_ENABLEDCHANGED:
      TbsSkinControl::Dispatch(Message);
      InvalidateThumb();
      return;
    case CM_FOCUSCHANGED: {
      const bool active = reinterpret_cast<TCMFocusChanged&>(Message).Sender == this;
      if (active != FFocused) {
        FFocused = active;
        FBackValid = false;
        if (FOptions.Contains(soShowFocus)) Invalidate();
      }
      break;
    }
    default:
      break;
  }
  TbsSkinControl::Dispatch(Message);
}

// The layout follows every size change, with or without a window yet.
void TbsSkinCustomSlider::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int w = Width(), h = Height();
  const auto life = LifeToken();
  TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  if ((w != Width() || h != Height()) && !FCreating && !ComponentState().Contains(csReading)) Sized();
}

void TbsSkinCustomSlider::Loaded() {
  TbsSkinControl::Loaded();
  for (int i = 0; i < 4; ++i)
    if (FUserImages.Contains(TbsSliderImage(i))) SetImage(TbsSliderImage(i), FImages[i].get());
  FValue = std::max(FMinValue, std::min(FValue, FMaxValue));
  Sized();
}

// One byte: bit i set when image i is the user's.
void TbsSkinCustomSlider::ReadUserImages(TStream* S) {
  uint8_t b = 0;
  S->ReadBuffer(&b, 1);
  FUserImages = TbsSliderImages();
  for (int i = 0; i < 4; ++i)
    if (b & (1u << i)) FUserImages << TbsSliderImage(i);
}

void TbsSkinCustomSlider::WriteUserImages(TStream* S) {
  uint8_t b = 0;
  for (int i = 0; i < 4; ++i)
    if (FUserImages.Contains(TbsSliderImage(i))) b |= uint8_t(1u << i);
  S->WriteBuffer(&b, 1);
}

void TbsSkinCustomSlider::DefineProperties(TFiler* Filer) {
  if (dynamic_cast<TReader*>(Filer)) TbsSkinControl::DefineProperties(Filer);
  Filer->DefineBinaryProperty("UserImages", TStreamProc(this, &TbsSkinCustomSlider::ReadUserImages),
                              TStreamProc(this, &TbsSkinCustomSlider::WriteUserImages), !FUserImages.Empty());
}

XJ_PUBLISHED(TbsSkinCustomSlider);

XJ_PUBLISHED(TbsSkinSlider,
  XJ_PROP(ImageHThumb) XJ_STORED(IsImageHThumbStored)
  XJ_PROP(ImageHRuler) XJ_STORED(IsImageHRulerStored)
  XJ_PROP(ImageVThumb) XJ_STORED(IsImageVThumbStored)
  XJ_PROP(ImageVRuler) XJ_STORED(IsImageVRulerStored)
  XJ_PROP(Increment, 10)
  XJ_PROP(MinValue, 0)
  XJ_PROP(MaxValue, 100)
  XJ_PROP(NumThumbStates, 2)
  XJ_PROP(Orientation, soHorizontal)
  XJ_PROP(EdgeSize, 2)
  XJ_PROP(Options, { soShowFocus, soShowPoints, soSmooth })
  XJ_PROP(Value, 0)
  XJ_PROP(Transparent)
  XJ_PROP(UseSkinThumb)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanged)
  XJ_EVENT(OnDrawPoints)
  XJ_PROP(Align, alNone)
  XJ_PROP(Color, clBtnFace)
  XJ_PROP(Cursor, crDefault)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(Enabled, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabStop, true)
  XJ_PROP(Constraints)
  XJ_PROP(DragKind, dkDrag)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnStartDrag)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnMouseWheelDown)
  XJ_EVENT(OnMouseWheelUp)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnStartDock));
