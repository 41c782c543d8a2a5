// TTrackBar: a self-painted slider with ticks, dragging, paging and keys.

#include <algorithm>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"

namespace {

const int kEnd = 8;  // space at each end of the channel, for the focus rectangle and the thumb
const int kTickLength = 3;
const int kTickGap = 2;  // between the thumb and its ticks
const UINT_PTR kRepeatTimer = 1;
const UINT kRepeatDelay = 400;  // ms before paging repeats, then every kRepeatInterval
const UINT kRepeatInterval = 100;

int64_t Clamp64(int64_t v, int lo, int hi) { return std::clamp<int64_t>(v, lo, hi); }

}  // namespace

// Everything is computed along the channel (a) and across it (c) and mapped to x and y at the end.
struct TTrackBar::TGeometry {
  bool Horizontal;
  int Along, Across;
  int ThumbAlong, ThumbAcross, Half;
  int Lo, Hi;    // thumb centres for Min and Max
  int ThumbTop;  // where the thumb starts across
  int Mid;       // the channel's centre line across

  TRect Map(int a0, int c0, int a1, int c1) const { return Horizontal ? TRect(a0, c0, a1, c1) : TRect(c0, a0, c1, a1); }
  int AlongOf(int X, int Y) const { return Horizontal ? X : Y; }
};

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 150, 45);
}

TTrackBar::~TTrackBar() { TearDownWindow(); }

// ---- Properties ------------------------------------------------------------------------------------------

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  if (!FComponentState.Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

void TTrackBar::SetMin(int Value) {
  if (FMin == Value) return;
  if (!FComponentState.Contains(csLoading) && Value > FMax)
    throw EInvalidOperation(Format("%s: Min (%d) may not exceed Max (%d)", ClassName(), Value, FMax));
  FMin = Value;
  Invalidate();
  if (!FComponentState.Contains(csLoading) && FPosition < FMin) SetPosition(FMin);
}

void TTrackBar::SetMax(int Value) {
  if (FMax == Value) return;
  if (!FComponentState.Contains(csLoading) && Value < FMin)
    throw EInvalidOperation(Format("%s: Max (%d) may not be below Min (%d)", ClassName(), Value, FMin));
  FMax = Value;
  Invalidate();
  if (!FComponentState.Contains(csLoading) && FPosition > FMax) SetPosition(FMax);
}

void TTrackBar::SetPosition(int Value) {
  if (!FComponentState.Contains(csLoading)) Value = std::clamp(Value, FMin, FMax);
  if (FPosition == Value) return;
  FPosition = Value;
  Invalidate();
  if (!FComponentState.Contains(csLoading)) Changed();
}

void TTrackBar::Loaded() {
  TCustomControl::Loaded();
  if (FMax < FMin) throw EInvalidOperation(Format("%s: Max (%d) may not be below Min (%d)", ClassName(), FMax, FMin));
  FPosition = std::clamp(FPosition, FMin, FMax);
}

void TTrackBar::SetFrequency(int Value) {
  Value = std::max(Value, 1);
  if (FFrequency == Value) return;
  FFrequency = Value;
  Invalidate();
}

void TTrackBar::SetThumbLength(int Value) {
  Value = std::max(Value, 5);
  if (FThumbLength == Value) return;
  FThumbLength = Value;
  Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
  if (FTickMarks == Value) return;
  FTickMarks = Value;
  Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
  if (FTickStyle == Value) return;
  FTickStyle = Value;
  Invalidate();
}

void TTrackBar::SetSliderVisible(bool Value) {
  if (FSliderVisible == Value) return;
  FSliderVisible = Value;
  Invalidate();
}

void TTrackBar::SetTick(int Value) {
  if (Value < FMin || Value > FMax || std::find(FTicks.begin(), FTicks.end(), Value) != FTicks.end()) return;
  FTicks.push_back(Value);
  Invalidate();
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

// ---- Geometry ----------------------------------------------------------------------------------------------

TTrackBar::TGeometry TTrackBar::Geometry() {
  TGeometry g;
  g.Horizontal = FOrientation == trHorizontal;
  const TRect r = ClientRect();
  g.Along = g.Horizontal ? r.Right : r.Bottom;
  g.Across = g.Horizontal ? r.Bottom : r.Right;
  g.ThumbAcross = FThumbLength;
  g.ThumbAlong = std::max(5, (FThumbLength / 2) | 1);
  g.Half = g.ThumbAlong / 2;
  g.Lo = kEnd + g.Half;
  g.Hi = std::max(g.Lo, g.Along - 1 - kEnd - g.Half);
  g.ThumbTop = (g.Across - g.ThumbAcross) / 2;
  g.Mid = g.ThumbTop + g.ThumbAcross / 2;
  return g;
}

// Rounded to the nearest pixel and back to the nearest position; positions are never negative offsets
// from Min, so the halves round up.
int TTrackBar::PositionToPixel(const TGeometry& G, int Value) const {
  const int64_t range = static_cast<int64_t>(FMax) - FMin;
  if (range <= 0) return G.Lo;
  const int64_t offset = std::clamp<int64_t>(static_cast<int64_t>(Value) - FMin, 0, range);
  return G.Lo + static_cast<int>((offset * (G.Hi - G.Lo) * 2 + range) / (2 * range));
}

int TTrackBar::PixelToPosition(const TGeometry& G, int Pixel) const {
  const int64_t range = static_cast<int64_t>(FMax) - FMin;
  const int span = G.Hi - G.Lo;
  if (span <= 0 || range <= 0) return FMin;
  const int64_t offset = std::clamp(Pixel, G.Lo, G.Hi) - G.Lo;
  return static_cast<int>(FMin + (offset * range * 2 + span) / (2 * span));
}

// ---- Painting ----------------------------------------------------------------------------------------------

// Where the ticks go along the channel: at Min, Max and every Frequency (or the ticks set), or at every
// pixel when they would be denser than the pixels.
std::vector<int> TTrackBar::TickPixels(const TGeometry& g) const {
  std::vector<int> pixels;
  const int64_t range = static_cast<int64_t>(FMax) - FMin;
  if (FTickStyle == tsAuto && range / FFrequency + 1 > g.Hi - g.Lo + 1) {
    for (int a = g.Lo; a <= g.Hi; ++a) pixels.push_back(a);
    return pixels;
  }
  std::vector<int> values { FMin, FMax };
  if (FTickStyle == tsAuto)
    for (int64_t v = FMin; v < FMax; v += FFrequency) values.push_back(static_cast<int>(v));
  else
    values.insert(values.end(), FTicks.begin(), FTicks.end());
  for (int v : values) pixels.push_back(PositionToPixel(g, v));
  return pixels;
}

void TTrackBar::PaintTicks(TCanvas* c, const TGeometry& g) {
  const std::vector<int> pixels = TickPixels(g);
  c->Brush()->SetColor(clBtnText);
  for (int a : pixels) {
    if (FTickMarks != tmTopLeft) {
      const int c0 = g.ThumbTop + g.ThumbAcross + kTickGap;
      c->FillRect(g.Map(a, c0, a + 1, c0 + kTickLength));
    }
    if (FTickMarks != tmBottomRight) {
      const int c1 = g.ThumbTop - kTickGap;
      c->FillRect(g.Map(a, c1 - kTickLength, a + 1, c1));
    }
  }
}

// With ticks on both sides a raised box; else a body and a point toward the ticks, the point narrowing by
// a pixel on each side per row.
void TTrackBar::PaintThumb(TCanvas* c, HDC dc, const TGeometry& g) {
  const int centre = PositionToPixel(g, FPosition);
  const int a0 = centre - g.Half, a1 = centre + g.Half + 1;
  const int c0 = g.ThumbTop, c1 = g.ThumbTop + g.ThumbAcross;
  if (FTickMarks == tmBoth) {
    RECT thumb = g.Map(a0, c0, a1, c1);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
    return;
  }
  const bool pointFar = FTickMarks == tmBottomRight;
  const UINT open = g.Horizontal ? (pointFar ? BF_BOTTOM : BF_TOP) : (pointFar ? BF_RIGHT : BF_LEFT);
  RECT body = pointFar ? g.Map(a0, c0, a1, c1 - g.Half) : g.Map(a0, c0 + g.Half, a1, c1);
  DrawEdge(dc, &body, EDGE_RAISED, (BF_RECT & ~open) | BF_SOFT | BF_MIDDLE);
  for (int k = 1; k <= g.Half; ++k) {
    const int row = pointFar ? c1 - g.Half - 1 + k : c0 + g.Half - k;
    const int l = a0 + k, r = a1 - k;
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(g.Map(l, row, r, row + 1));
    c->Brush()->SetColor(clBtnHighlight);
    c->FillRect(g.Map(l - 1, row, l, row + 1));
    c->Brush()->SetColor(cl3DDkShadow);
    c->FillRect(g.Map(r, row, r + 1, row + 1));
    if (r - 1 > l) {
      c->Brush()->SetColor(clBtnShadow);
      c->FillRect(g.Map(r - 1, row, r, row + 1));
    }
  }
}

void TTrackBar::Paint() {
  TCanvas* c = Canvas();
  const TGeometry g = Geometry();
  HDC dc = c->Handle();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  RECT channel = g.Map(kEnd, g.Mid - 2, g.Along - kEnd, g.Mid + 2);
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT);
  if (FTickStyle != tsNone) PaintTicks(c, g);
  if (FSliderVisible) PaintThumb(c, dc, g);
  if (Focused()) c->DrawFocusRect(ClientRect());
}

// ---- Mouse and keys ----------------------------------------------------------------------------------------

void TTrackBar::MoveBy(int64_t Delta) { SetPosition(static_cast<int>(Clamp64(FPosition + Delta, FMin, FMax))); }

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  if (Button == mbLeft && CanFocus() && !Focused()) SetFocus();
  if (life.expired()) return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || !FSliderVisible) return;
  const TGeometry g = Geometry();
  const int along = g.AlongOf(X, Y);
  const int centre = PositionToPixel(g, FPosition);
  if (along >= centre - g.Half && along <= centre + g.Half) {
    FDragging = true;
    FGrabOffset = along - centre;
    return;
  }
  FPaging = true;
  FPagePoint = TPoint(X, Y);
  PageStep();
  if (HandleAllocated() && FPaging) SetTimer(Handle(), kRepeatTimer, kRepeatDelay, nullptr);
}

// One page toward the point where the button went down, unless the thumb has reached it.
void TTrackBar::PageStep() {
  const TGeometry g = Geometry();
  const int along = g.AlongOf(FPagePoint.X, FPagePoint.Y);
  const int centre = PositionToPixel(g, FPosition);
  if (along < centre - g.Half)
    MoveBy(-static_cast<int64_t>(FPageSize));
  else if (along > centre + g.Half)
    MoveBy(FPageSize);
}

void TTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TCustomControl::MouseMove(Shift, X, Y);
  if (life.expired()) return;
  if (FDragging) {
    const TGeometry g = Geometry();
    SetPosition(PixelToPosition(g, g.AlongOf(X, Y) - FGrabOffset));
  } else if (FPaging) {
    FPagePoint = TPoint(X, Y);
  }
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) StopTracking();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::StopTracking() {
  if (FPaging && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  FPaging = false;
  FDragging = false;
}

void TTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TCustomControl::KeyDown(Key, Shift);
  if (life.expired()) return;
  switch (Key) {
    case VK_LEFT:
    case VK_UP:
      MoveBy(-static_cast<int64_t>(FLineSize));
      break;
    case VK_RIGHT:
    case VK_DOWN:
      MoveBy(FLineSize);
      break;
    case VK_PRIOR:
      MoveBy(-static_cast<int64_t>(FPageSize));
      break;
    case VK_NEXT:
      MoveBy(FPageSize);
      break;
    case VK_HOME:
      SetPosition(FMin);
      break;
    case VK_END:
      SetPosition(FMax);
      break;
  }
}

void TTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      break;
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer && FPaging) {
        SetTimer(Handle(), kRepeatTimer, kRepeatInterval, nullptr);
        PageStep();
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      TCustomControl::Dispatch(Message);
      break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      StopTracking();
      TCustomControl::Dispatch(Message);
      break;
    default:
      TCustomControl::Dispatch(Message);
  }
}

XJ_PUBLISHED(TTrackBar,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(Constraints)
  XJ_PROP(Ctl3D, true)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Max, 10)
  XJ_PROP(Min, 0)
  XJ_PROP(Orientation, trHorizontal)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PageSize, 2)
  XJ_PROP(PopupMenu)
  XJ_PROP(Frequency, 1)
  XJ_PROP(Position, 0)
  XJ_PROP(SliderVisible, true)
  XJ_PROP(SelEnd, 0)
  XJ_PROP(SelStart, 0)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder, -1)
  XJ_PROP(TabStop, true)
  XJ_PROP(ThumbLength, 20)
  XJ_PROP(TickMarks, tmBottomRight)
  XJ_PROP(TickStyle, tsAuto)
  XJ_PROP(LineSize, 1)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
