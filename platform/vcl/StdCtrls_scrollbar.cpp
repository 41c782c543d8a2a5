// TScrollBar: a self-painting scroll bar control driven by mouse and keyboard.

#include <algorithm>

#include "platform/vcl/StdCtrls_private.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeat = 350;  // ms before a held arrow or track starts repeating
constexpr UINT kNextRepeat = 50;
constexpr int kMinThumb = 8;

}  // namespace

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle { csCaptureMouse, csOpaque };
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

TScrollBar::~TScrollBar() { TearDownWindow(); }

// ---- Properties ----------------------------------------------------------------------------------------------

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (!FComponentState.Contains(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

// While a form is being read the values are taken as they come (Max may arrive before Min); Loaded puts
// them in order.
void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (FComponentState.Contains(csLoading)) {
    FPosition = APosition;
    FMin = AMin;
    FMax = AMax;
    return;
  }
  // The page must fit the range (Max itself may be below the page size: ranges can be negative).
  if (AMax < AMin || FPageSize > AMax - AMin + 1) throw EInvalidOperation("Scroll bar property out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  const bool moved = APosition != FPosition;
  if (AMin != FMin || AMax != FMax) {
    FMin = AMin;
    FMax = AMax;
    Invalidate();
  }
  if (!moved) return;
  FPosition = APosition;
  Invalidate();
  Change();
}

void TScrollBar::SetPageSize(int Value) {
  if (!FComponentState.Contains(csLoading)) Value = std::clamp(Value, 0, FMax - FMin + 1);
  if (FPageSize == Value) return;
  FPageSize = Value;
  Invalidate();
}

void TScrollBar::Loaded() {
  TCustomControl::Loaded();
  FMax = std::max(FMax, FMin);
  FPageSize = std::clamp(FPageSize, 0, FMax - FMin + 1);
  FPosition = std::clamp(FPosition, FMin, FMax);
}

void TScrollBar::Change() {
  TCustomControl::Changed();
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

// The last position the user can scroll to: with a page, the page's last line reaches Max.
int TScrollBar::MaxScrollPos() const { return FPageSize > 0 ? std::max(FMin, FMax - FPageSize + 1) : FMax; }

// A user's move: the new position (clamped), OnScroll, then Position.
void TScrollBar::DoScroll(TScrollCode Code, int TrackPos) {
  int pos = FPosition;
  switch (Code) {
    case scLineUp:
      pos -= FSmallChange;
      break;
    case scLineDown:
      pos += FSmallChange;
      break;
    case scPageUp:
      pos -= FLargeChange;
      break;
    case scPageDown:
      pos += FLargeChange;
      break;
    case scPosition:
    case scTrack:
      pos = TrackPos;
      break;
    case scTop:
      pos = FMin;
      break;
    case scBottom:
      pos = MaxScrollPos();
      break;
    case scEndScroll:
      break;
  }
  pos = std::clamp(pos, FMin, std::max(FMin, MaxScrollPos()));
  auto life = LifeToken();
  Scroll(Code, pos);
  if (!life.expired()) SetPosition(pos);
}

// ---- Geometry -------------------------------------------------------------------------------------------------

TScrollBar::TGeometry TScrollBar::Geometry() {
  TGeometry g {};
  const bool horizontal = FKind == sbHorizontal;
  g.Length = horizontal ? Width() : Height();
  g.Thickness = horizontal ? Height() : Width();
  g.Arrow = std::max(0, std::min(g.Thickness, g.Length / 2));
  const int track = g.Length - 2 * g.Arrow;
  if (!Scrollable()) return g;
  int thumb = FPageSize > 0 ? MulDiv(track, FPageSize, FMax - FMin + 1) : g.Thickness;
  thumb = std::max(thumb, kMinThumb);
  if (thumb >= track) return g;  // no room to move a thumb
  const int range = MaxScrollPos() - FMin;
  const int offset = range > 0 ? MulDiv(track - thumb, std::clamp(FPosition, FMin, MaxScrollPos()) - FMin, range) : 0;
  g.ThumbSize = thumb;
  g.ThumbPos = g.Arrow + offset;
  return g;
}

TRect TScrollBar::PartRect(TPart Part) {
  const TGeometry g = Geometry();
  int from = 0, to = 0;
  switch (Part) {
    case spNone:
      return TRect();
    case spLineUp:
      to = g.Arrow;
      break;
    case spLineDown:
      from = g.Length - g.Arrow;
      to = g.Length;
      break;
    case spThumb:
      from = g.ThumbPos;
      to = g.ThumbPos + g.ThumbSize;
      break;
    case spPageUp:
      from = g.Arrow;
      to = g.ThumbSize ? g.ThumbPos : g.Arrow;
      break;
    case spPageDown:
      from = g.ThumbSize ? g.ThumbPos + g.ThumbSize : g.Length - g.Arrow;
      to = g.Length - g.Arrow;
      break;
  }
  return FKind == sbHorizontal ? TRect(from, 0, to, g.Thickness) : TRect(0, from, g.Thickness, to);
}

TScrollBar::TPart TScrollBar::PartAt(const TPoint& P) {
  const TGeometry g = Geometry();
  const int along = FKind == sbHorizontal ? P.X : P.Y;
  const int across = FKind == sbHorizontal ? P.Y : P.X;
  if (along < 0 || along >= g.Length || across < 0 || across >= g.Thickness) return spNone;
  if (along < g.Arrow) return spLineUp;
  if (along >= g.Length - g.Arrow) return spLineDown;
  if (!g.ThumbSize) return spNone;
  if (along < g.ThumbPos) return spPageUp;
  if (along < g.ThumbPos + g.ThumbSize) return spThumb;
  return spPageDown;
}

// The position whose thumb starts at Along (pixels along the bar).
int TScrollBar::PositionAt(int Along) {
  const TGeometry g = Geometry();
  const int room = g.Length - 2 * g.Arrow - g.ThumbSize;
  if (!g.ThumbSize || room <= 0) return FPosition;
  const int offset = std::clamp(Along - g.Arrow, 0, room);
  return FMin + MulDiv(offset, MaxScrollPos() - FMin, room);
}

// ---- Mouse and keys -------------------------------------------------------------------------------------------

TScrollCode TScrollBar::StepCode(TPart Part) {
  switch (Part) {
    case spLineUp:
      return scLineUp;
    case spPageUp:
      return scPageUp;
    case spPageDown:
      return scPageDown;
    default:
      return scLineDown;
  }
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && TabStop() && CanFocus() && !Focused()) SetFocus();
  auto life = LifeToken();
  if (life.expired()) return;
  if (Button == mbLeft && Scrollable()) {
    const TPoint p(X, Y);
    FPressedPart = PartAt(p);
    FPressedInside = true;
    FLastMouse = p;
    if (FPressedPart == spThumb) {
      FThumbGrab = (FKind == sbHorizontal ? X : Y) - Geometry().ThumbPos;
      Invalidate();
    } else if (FPressedPart != spNone) {
      StartRepeat(FPressedPart);
    }
  }
  if (!life.expired()) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TScrollBar::StartRepeat(TPart Part) {
  Invalidate();
  auto life = LifeToken();
  DoScroll(StepCode(Part), 0);
  if (life.expired() || FPressedPart == spNone || !HandleAllocated()) return;
  SetTimer(FHandle, kRepeatTimer, kFirstRepeat, nullptr);
  FTimerRunning = true;
}

// A held arrow repeats while the mouse stays on it; a held track repeats until the thumb reaches the
// mouse.
void TScrollBar::RepeatStep() {
  if (FTimerRunning && HandleAllocated()) SetTimer(FHandle, kRepeatTimer, kNextRepeat, nullptr);
  if (FPressedPart == spNone || FPressedPart == spThumb) return;
  FPressedInside = PartAt(FLastMouse) == FPressedPart;
  if (FPressedInside) DoScroll(StepCode(FPressedPart), 0);
  Invalidate();
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  FLastMouse = TPoint(X, Y);
  if (FPressedPart == spThumb) {
    const int pos = PositionAt((FKind == sbHorizontal ? X : Y) - FThumbGrab);
    auto life = LifeToken();
    if (pos != FPosition) DoScroll(scTrack, pos);
    if (life.expired()) return;
  } else if (FPressedPart != spNone) {
    const bool inside = PartAt(FLastMouse) == FPressedPart;
    if (inside != FPressedInside) {
      FPressedInside = inside;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FPressedPart != spNone) {
    const TPart part = FPressedPart;
    StopTracking();
    auto life = LifeToken();
    if (part == spThumb) DoScroll(scPosition, FPosition);
    if (life.expired()) return;
    DoScroll(scEndScroll, 0);
    if (life.expired()) return;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::StopTracking() {
  if (FTimerRunning && HandleAllocated()) KillTimer(FHandle, kRepeatTimer);
  FTimerRunning = false;
  FPressedPart = spNone;
  Invalidate();
}

void TScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (!Scrollable()) return;
  switch (Key) {
    case VK_LEFT:
    case VK_UP:
      DoScroll(scLineUp, 0);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      DoScroll(scLineDown, 0);
      break;
    case VK_PRIOR:
      DoScroll(scPageUp, 0);
      break;
    case VK_NEXT:
      DoScroll(scPageDown, 0);
      break;
    case VK_HOME:
      DoScroll(scTop, 0);
      break;
    case VK_END:
      DoScroll(scBottom, 0);
      break;
  }
}

void TScrollBar::KeyUp(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyUp(Key, Shift);
  if (!Scrollable()) return;
  switch (Key) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      DoScroll(scEndScroll, 0);
      break;
  }
}

void TScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer) {
        RepeatStep();
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- Painting ---------------------------------------------------------------------------------------------------

namespace {

// A filled triangle pointing along Direction (0 left, 1 up, 2 right, 3 down), centred in R.
void FillArrow(HDC DC, const TRect& R, int Direction, TColor Colour) {
  const int rows = std::max(1, (std::min(R.Width(), R.Height()) + 1) / 4);
  const int cx = R.Left + R.Width() / 2, cy = R.Top + R.Height() / 2;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Colour)) & 0xFFFFFF);
  for (int k = 0; k < rows; ++k) {
    const int half = Direction == 1 || Direction == 0 ? k : rows - 1 - k;  // the tip is the narrow row
    RECT slice;
    if (Direction == 1 || Direction == 3) {
      const int y = cy - rows / 2 + k;
      slice = RECT { cx - half, y, cx + half + 1, y + 1 };
    } else {
      const int x = cx - rows / 2 + k;
      slice = RECT { x, cy - half, x + 1, cy + half + 1 };
    }
    FillRect(DC, &slice, brush);
  }
  DeleteObject(brush);
}

// The track: the scroll-bar colour, or, when that is the button face, the classic half-tone of face and
// highlight.
void FillTrack(HDC DC, const TRect& R) {
  const COLORREF track = static_cast<COLORREF>(ColorToRGB(clScrollBar)) & 0xFFFFFF;
  const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace)) & 0xFFFFFF;
  RECT r = R;
  if (track != face) {
    HBRUSH brush = CreateSolidBrush(track);
    FillRect(DC, &r, brush);
    DeleteObject(brush);
    return;
  }
  static const WORD kHalftone[8] = { 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55 };
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kHalftone);
  HBRUSH brush = CreatePatternBrush(pattern);
  const COLORREF oldText = SetTextColor(DC, face);
  const COLORREF oldBack = SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)) & 0xFFFFFF);
  FillRect(DC, &r, brush);
  SetTextColor(DC, oldText);
  SetBkColor(DC, oldBack);
  DeleteObject(brush);
  DeleteObject(pattern);
}

}  // namespace

void TScrollBar::DrawArrow(const TRect& R, bool Up, bool Pushed) {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(R);
  if (Pushed) {
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(R);
  } else {
    RECT edge = R;
    DrawEdge(canvas->Handle(), &edge, EDGE_RAISED, BF_RECT);
  }
  const int direction = FKind == sbHorizontal ? (Up ? 0 : 2) : (Up ? 1 : 3);
  TRect inner = R;
  if (Pushed) {
    inner.Left += 1;
    inner.Top += 1;
    inner.Right += 1;
    inner.Bottom += 1;
  }
  HDC dc = canvas->Handle();
  if (Scrollable()) {
    FillArrow(dc, inner, direction, clBtnText);
  } else {
    TRect shifted(inner.Left + 1, inner.Top + 1, inner.Right + 1, inner.Bottom + 1);
    FillArrow(dc, shifted, direction, clBtnHighlight);
    FillArrow(dc, inner, direction, clBtnShadow);
  }
}

void TScrollBar::Paint() {
  TCanvas* canvas = Canvas();
  FillTrack(canvas->Handle(), ClientRect());
  const bool held = FPressedInside && FPressedPart != spNone;
  for (TPart page : { spPageUp, spPageDown })
    if (held && FPressedPart == page) {
      canvas->Brush()->SetColor(cl3DDkShadow);
      canvas->FillRect(PartRect(page));
    }
  DrawArrow(PartRect(spLineUp), true, held && FPressedPart == spLineUp);
  DrawArrow(PartRect(spLineDown), false, held && FPressedPart == spLineDown);
  const TGeometry g = Geometry();
  if (!g.ThumbSize) return;
  const TRect thumb = PartRect(spThumb);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(thumb);
  RECT edge = thumb;
  DrawEdge(canvas->Handle(), &edge, EDGE_RAISED, BF_RECT);
  if (Focused()) {
    TRect focus(thumb.Left + 3, thumb.Top + 3, thumb.Right - 3, thumb.Bottom - 3);
    if (focus.Width() > 0 && focus.Height() > 0) canvas->DrawFocusRect(focus);
  }
}
