#include "skin/controls/bsSkinCtrls_scrollbar.h"

#include <algorithm>

#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 500;  // a held arrow or track waits this long before repeating ...
constexpr UINT kRepeatDelay = 50;  // ... then steps at this rate
constexpr int kDefaultArrow = 17;
constexpr int kDefaultMinThumb = 16;
constexpr COLORREF kHotFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

// Positions are 32-bit: their sums and differences are taken in 64 bits, then brought back.
int Saturate(int64_t V) { return static_cast<int>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

// Rounds half to even.
int RoundEven(double V) { return Saturate(Round(V)); }

// Left and top edges inside, right and bottom outside.
bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// Whether every pixel of R lies in picture P.
bool InPicture(const TRect& R, const TBitmap* P) {
  return R.Left >= 0 && R.Top >= 0 && R.Right <= P->Width() && R.Bottom <= P->Height();
}

}  // namespace

TbsSkinScrollBar::TbsSkinScrollBar(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "hscrollbar";
  SetBounds(0, 0, 200, 20);
}

TbsSkinScrollBar::~TbsSkinScrollBar() = default;

// ---- Range and position ------------------------------------------------------------------------------

int TbsSkinScrollBar::Clamp(int Value) const {
  const int top = FPageSize == 0 ? FMax : Saturate(int64_t { FMax } - FPageSize + 1);
  return std::max(FMin, std::min(Value, top));
}

void TbsSkinScrollBar::ApplyPosition(int Value, bool Notify) {
  const int v = bsLoading(this) ? Value : Clamp(Value);
  if (v == FPosition) return;
  FPosition = v;
  Repaint();
  if (Notify && OnChange) OnChange(this);
}

void TbsSkinScrollBar::SetPosition(int Value) { ApplyPosition(Value, true); }
void TbsSkinScrollBar::SimplySetPosition(int Value) { ApplyPosition(Value, false); }

void TbsSkinScrollBar::SetMin(int Value) {
  FMin = Value;
  if (!bsLoading(this)) FPosition = Clamp(FPosition);
  Repaint();
}

void TbsSkinScrollBar::SetMax(int Value) {
  FMax = Value;
  if (!bsLoading(this)) FPosition = Clamp(FPosition);
  Repaint();
}

void TbsSkinScrollBar::SetPageSize(int Value) {
  // A page larger than the range is what a view shows when all of its content fits: keep it, and let
  // the position rule hold the position at Min.
  FPageSize = std::max(0, Value);
  if (!bsLoading(this)) FPosition = Clamp(FPosition);
  Repaint();
}

void TbsSkinScrollBar::SetSmallChange(int Value) {
  FSmallChange = Value;
  Repaint();
}

void TbsSkinScrollBar::SetLargeChange(int Value) {
  FLargeChange = Value;
  Repaint();
}

bool TbsSkinScrollBar::StoreRange(int AMin, int AMax, int APosition, int APageSize) {
  const int oldMin = FMin, oldMax = FMax, oldPage = FPageSize, oldPosition = FPosition;
  FMin = AMin;
  FMax = AMax;
  FPageSize = std::max(0, APageSize);
  FPosition = Clamp(APosition);
  return FMin != oldMin || FMax != oldMax || FPageSize != oldPage || FPosition != oldPosition;
}

// A list box sets its bar on every paint: the same range again shows nothing new.
void TbsSkinScrollBar::SetRange(int AMin, int AMax, int APosition, int APageSize) {
  if (StoreRange(AMin, AMax, APosition, APageSize)) Repaint();
}

void TbsSkinScrollBar::SetRangeLater(int AMin, int AMax, int APosition, int APageSize) {
  if (StoreRange(AMin, AMax, APosition, APageSize)) Invalidate();
}

void TbsSkinScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind != Value) {
    FKind = Value;
    // Drawn from the other kind's record, a bar shows that picture squashed into its own shape. A form
    // being read names the record it wants after or before the kind: its name stays as read.
    AnsiString& own = FBothSwapped ? FSavedSkinDataName : FSkinDataName;
    if (!bsLoading(this) && own == (FKind == sbVertical ? "hscrollbar" : "vscrollbar"))
      own = FKind == sbVertical ? "vscrollbar" : "hscrollbar";
    // Turned, the bar keeps its thickness: a new 200 x 20 bar made vertical is 20 x 200, in the built-in
    // look as in a skin (which sizes the thickness again from its record).
    if (!bsLoading(this)) SetBounds(Left(), Top(), Height(), Width());
    Repaint();
  }
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = FKind == sbVertical ? "vscrollbar" : "hscrollbar";
}

void TbsSkinScrollBar::SetBoth(bool Value) {
  if (FBoth == Value) return;
  FBoth = Value;
  // While a form loads, the name to switch to may still follow in the stream: Loaded switches.
  if (!ComponentState().Contains(csLoading)) ApplyBoth();
}

void TbsSkinScrollBar::SetBothSkinDataName(const AnsiString& Value) {
  FBothSkinDataName = Value;
  if (!FBothSwapped) return;
  FSkinDataName = Value;
  Repaint();
}

void TbsSkinScrollBar::ApplyBoth() {
  if (!ComponentState().Contains(csDesigning)) {
    if (FBoth && !FBothSwapped) {
      FSavedSkinDataName = FSkinDataName;
      FSkinDataName = FBothSkinDataName;
      FBothSwapped = true;
    } else if (!FBoth && !FSavedSkinDataName.empty()) {
      FSkinDataName = FSavedSkinDataName;
      FBothSwapped = false;
    }
  }
  if (FSkinObjectIndex != -1)
    ChangeSkinData();
  else
    Repaint();
}

void TbsSkinScrollBar::Loaded() {
  TbsSkinCustomControl::Loaded();
  FPosition = Clamp(FPosition);
  if (FBoth) ApplyBoth();
}

void TbsSkinScrollBar::SetBothMarkerWidth(int Value) {
  if (Value < 0) return;
  FBothMarkerWidth = Value;
  if (FSkinObjectIndex == -1) Repaint();
}

void TbsSkinScrollBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

// ---- Skin and geometry ---------------------------------------------------------------------------------

void TbsSkinScrollBar::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinScrollBarControl>();
  if (!r) {
    FSkinObjectIndex = -1;
    Picture = MaskPicture = nullptr;
    return;
  }
  auto orElse = [](const TRect& a, const TRect& b) { return IsNullRect(a) ? b : a; };
  TrackArea = r->TrackArea;
  UpButtonRect = r->UpButtonRect;
  ActiveUpButtonRect = r->ActiveUpButtonRect;
  DownUpButtonRect = orElse(r->DownUpButtonRect, ActiveUpButtonRect);
  DownButtonRect = r->DownButtonRect;
  ActiveDownButtonRect = r->ActiveDownButtonRect;
  DownDownButtonRect = orElse(r->DownDownButtonRect, ActiveDownButtonRect);
  ThumbRect = r->ThumbRect;
  ActiveThumbRect = orElse(r->ActiveThumbRect, ThumbRect);
  DownThumbRect = orElse(r->DownThumbRect, ActiveThumbRect);
  ThumbOffset1 = r->ThumbOffset1;
  ThumbOffset2 = r->ThumbOffset2;
  GlyphRect = r->GlyphRect;
  ActiveGlyphRect = orElse(r->ActiveGlyphRect, GlyphRect);
  DownGlyphRect = orElse(r->DownGlyphRect, ActiveGlyphRect);
}

void TbsSkinScrollBar::SetSkinDataUnsized(TbsSkinData* Value) {
  xj::TemporaryChange unsized(FUnsized, true);
  SetSkinData(Value);
}

void TbsSkinScrollBar::ChangeSkinData() {
  if (!FUnsized) return TbsSkinCustomControl::ChangeSkinData();
  GetSkinData();
  SetControlRegion();
  Invalidate();
}

TSize TbsSkinScrollBar::FittedSize(int W, int H) {
  GetSkinData();
  if (FSkinObjectIndex != -1) CalcSize(W, H);
  return TSize(W, H);
}

void TbsSkinScrollBar::CalcSize(int& W, int& H) {
  TbsSkinCustomControl::CalcSize(W, H);
  CalcRects();
}

void TbsSkinScrollBar::CalcRects() {
  const bool skinned = FSkinObjectIndex != -1 && Picture;
  if (skinned)
    PlaceSkinnedParts();
  else
    PlaceDefaultParts();
  const int thumbW = skinned ? RectWidth(ThumbRect) : kDefaultMinThumb;
  const int thumbH = skinned ? RectHeight(ThumbRect) : kDefaultMinThumb;
  PlaceThumb(skinned, thumbW, thumbH);
}

// The arrows and track as the skin places them; an arrow from the stretch point on lies in the fixed far
// end of the face and follows that edge.
void TbsSkinScrollBar::PlaceSkinnedParts() {
  FTrackR = TrackArea;
  FButtons[bpUp].R = UpButtonRect;
  FButtons[bpDown].R = DownButtonRect;
  if (Horizontal()) {
    const int off = Width() - RectWidth(SkinRect);
    FTrackR.Right += off;
    for (int i : { bpUp, bpDown })
      if (FButtons[i].R.Left >= RTPoint.X) FButtons[i].R = bsShifted(FButtons[i].R, off, 0);
  } else {
    const int off = Height() - RectHeight(SkinRect);
    FTrackR.Bottom += off;
    for (int i : { bpUp, bpDown })
      if (FButtons[i].R.Top >= LBPoint.Y) FButtons[i].R = bsShifted(FButtons[i].R, 0, off);
  }
}

void TbsSkinScrollBar::PlaceDefaultParts() {
  if (Horizontal()) {
    const int w = FBoth ? Width() - FBothMarkerWidth : Width();
    FButtons[bpDown].R = TRect(1, 1, kDefaultArrow, Height() - 1);
    FButtons[bpUp].R = TRect(w - kDefaultArrow, 1, w - 1, Height() - 1);
    FTrackR = TRect(kDefaultArrow, 1, w - kDefaultArrow, Height() - 1);
  } else {
    FButtons[bpDown].R = TRect(1, 1, Width() - 1, kDefaultArrow);
    FButtons[bpUp].R = TRect(1, Height() - kDefaultArrow, Width() - 1, Height() - 1);
    FTrackR = TRect(1, kDefaultArrow, Width() - 1, Height() - kDefaultArrow);
  }
}

// The thumb's length along the track and its place: the page's share of the range (never shorter than
// its picture) at the position's share of the track.
void TbsSkinScrollBar::PlaceThumb(bool Skinned, int ThumbW, int ThumbH) {
  const bool horz = Horizontal();
  const int trackStart = horz ? FTrackR.Left : FTrackR.Top;
  const int trackEnd = horz ? FTrackR.Right : FTrackR.Bottom;
  int length = horz ? ThumbW : ThumbH;
  double f = 0;
  if (FPageSize != 0) {
    const int64_t range = int64_t { FMax } - FMin + 1;
    const int64_t top = int64_t { FMax } - FPageSize + 1;
    length = std::max(range <= 0 ? 0 : RoundEven(double(trackEnd - trackStart) * FPageSize / double(range)), length);
    if (top > FMin)
      f = double(int64_t { FPosition } - FMin) / double(top - FMin);
    else
      f = horz ? 1 : 0;
  } else if (FMax > FMin) {
    f = double(int64_t { FPosition } - FMin) / double(int64_t { FMax } - FMin);
  }
  // A page beyond the range, or a track shorter than the thumb's picture: the thumb still stays within
  // the track, never over the arrows.
  length = std::min(length, std::max(0, trackEnd - trackStart));
  FThumbCenterMin = trackStart + length / 2;
  FThumbCenterMax = trackEnd - length / 2;
  FThumbCenterOffset = RoundEven(double(FThumbCenterMax - FThumbCenterMin) * f);
  const int c = FThumbCenterMin + FThumbCenterOffset;
  TRect& t = FButtons[bpThumb].R;
  if (horz) {
    t.Left = c - length / 2;
    t.Right = c + length / 2;
    t.Top = Skinned ? FTrackR.Top + RectHeight(FTrackR) / 2 - ThumbH / 2 : FTrackR.Top;
    t.Bottom = Skinned ? t.Top + ThumbH : FTrackR.Bottom;
  } else {
    t.Top = c - length / 2;
    t.Bottom = c + length / 2;
    t.Left = Skinned ? FTrackR.Left + RectWidth(FTrackR) / 2 - ThumbW / 2 : FTrackR.Left;
    t.Right = Skinned ? t.Left + ThumbW : FTrackR.Right;
  }
}

int TbsSkinScrollBar::CalcValue(int Offset) {
  const TRect& t = FButtons[bpThumb].R;
  if (FPageSize != 0) {
    const int length = Horizontal() ? RectWidth(t) : RectHeight(t);
    FThumbCenterMin = (Horizontal() ? FTrackR.Left : FTrackR.Top) + length / 2;
    FThumbCenterMax = (Horizontal() ? FTrackR.Right : FTrackR.Bottom) - length / 2;
  }
  const int span = FThumbCenterMax - FThumbCenterMin;
  double k = span > 0 ? double(Offset) / span : 0;
  k = std::clamp(k, 0.0, 1.0);
  const int64_t n = FPageSize != 0 ? int64_t { FMax } - FMin - FPageSize + 1 : int64_t { FMax } - FMin;
  return Saturate(int64_t { RoundEven(double(n) * k) } + FMin);
}

// ---- Faces ---------------------------------------------------------------------------------------------

void TbsSkinScrollBar::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  CalcRects();
  DrawButton(B, bpUp);
  DrawButton(B, bpDown);
  if (Enabled()) DrawButton(B, bpThumb);
}

void TbsSkinScrollBar::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  B->Canvas()->Brush()->SetColor(clBtnFace);
  B->Canvas()->FillRect(TRect(0, 0, B->Width(), B->Height()));
  for (int i = Enabled() ? bpThumb : bpUp; i <= bpDown; ++i) DrawButton(B, i);
}

void TbsSkinScrollBar::DrawButton(TBitmap* B, int Index) {
  TCanvas* C = B->Canvas();
  const TButtonPart& part = FButtons[Index];
  const TRect& R = part.R;
  const bool pressedLook = (part.Down && part.MouseIn) || (Index == bpThumb && (part.Down || IsFocused()));
  if (FSkinObjectIndex == -1 || !Picture) {
    TColor frame = clBtnShadow, fill = clBtnFace;
    if (pressedLook) {
      frame = clNavy;
      fill = static_cast<TColor>(kDownFill);
    } else if (part.MouseIn) {
      frame = clNavy;
      fill = static_cast<TColor>(kHotFill);
    }
    Frm3D(C, R, frame, frame);
    const TRect inside(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(fill);
    if (!IsNullRect(inside)) C->FillRect(inside);
    if (Index == bpUp) DrawArrowImage(C, inside, clBlack, Horizontal() ? 2 : 4);
    if (Index == bpDown) DrawArrowImage(C, inside, clBlack, Horizontal() ? 1 : 3);
    return;
  }
  if (Index != bpThumb) {
    const bool up = Index == bpUp;
    TRect S;
    if (part.Down && part.MouseIn)
      S = up ? DownUpButtonRect : DownDownButtonRect;
    else if (part.MouseIn)
      S = up ? ActiveUpButtonRect : ActiveDownButtonRect;
    if (!IsNullRect(S)) TbsSkinPieces(B, Picture, S).Copy(R, S);
    return;
  }
  const TRect S = pressedLook ? DownThumbRect : part.MouseIn ? ActiveThumbRect : ThumbRect;
  if (IsNullRect(R) || IsNullRect(S)) return;
  const TRect G = pressedLook ? DownGlyphRect : part.MouseIn ? ActiveGlyphRect : GlyphRect;
  if (DrawThumbInPlace(B, R, S, G)) return;
  TBitmap thumb;
  thumb.SetSize(RectWidth(R), RectHeight(R));
  if (FPageSize != 0) {
    if (Horizontal())
      CreateHSkinImage(ThumbOffset1, ThumbOffset2, &thumb, Picture, S, RectWidth(R), RectHeight(R));
    else
      CreateVSkinImage(ThumbOffset1, ThumbOffset2, &thumb, Picture, S, RectWidth(R), RectHeight(R));
  } else {
    TbsSkinPieces(&thumb, Picture, S).Copy(TRect(0, 0, RectWidth(S), RectHeight(S)), S);
  }
  if (!IsNullRect(G)) {
    const int x = thumb.Width() / 2 - RectWidth(G) / 2, y = thumb.Height() / 2 - RectHeight(G) / 2;
    TbsSkinPieces(&thumb, Picture, G).Copy(TRect(x, y, x + RectWidth(G), y + RectHeight(G)), G);
  }
  C->Draw(R.Left, R.Top, &thumb);
}

// A thumb of its picture's own size (no page stretches it), with a glyph that fits on it and both
// wholly in the picture, is copied straight onto the face: built apart and then drawn, it is the same
// pixels copied twice (each copy clipped to the face alike). A picture whose colours depend on the
// destination's (monochrome), or a face of another format or copy mode than the separate thumb's, takes
// the general way.
bool TbsSkinScrollBar::DrawThumbInPlace(TBitmap* B, const TRect& R, const TRect& S, const TRect& G) {
  const int w = RectWidth(R), h = RectHeight(R), gw = RectWidth(G), gh = RectHeight(G);
  if (FPageSize != 0 || RectWidth(S) != w || RectHeight(S) != h || !InPicture(S, Picture) ||
      (!IsNullRect(G) && (gw > w || gh > h || !InPicture(G, Picture))) || B->PixelFormat() != pfDevice ||
      B->Canvas()->CopyMode() != cmSrcCopy || Picture->PixelFormat() == pf1bit)
    return false;
  TbsSkinPieces(B, Picture, S).Copy(R, S);
  if (IsNullRect(G)) return true;
  const int x = R.Left + w / 2 - gw / 2, y = R.Top + h / 2 - gh / 2;
  TbsSkinPieces(B, Picture, G).Copy(TRect(x, y, x + gw, y + gh), G);
  return true;
}

// ---- Mouse ---------------------------------------------------------------------------------------------

void TbsSkinScrollBar::TestActive(int X, int Y) {
  const int old = FActiveButton;
  FActiveButton = -1;
  for (int i = bpThumb; i <= bpDown; ++i)
    if (Inside(FButtons[i].R, X, Y)) {
      FActiveButton = i;
      break;
    }
  // While a part is held, the others do not light up.
  if (FDownButton != -1 && FActiveButton != FDownButton) FActiveButton = -1;
  if (FActiveButton == old) return;
  if (old != -1) ButtonLeave(old);
  if (FActiveButton != -1) ButtonEnter(FActiveButton);
}

void TbsSkinScrollBar::ButtonEnter(int Index) {
  FButtons[Index].MouseIn = true;
  Repaint();
  if (Index != bpThumb && FButtons[Index].Down) StartTimer(kRepeatDelay);
}

void TbsSkinScrollBar::ButtonLeave(int Index) {
  FButtons[Index].MouseIn = false;
  Repaint();
  // The repeat pauses while the pointer is off the held arrow; the scroll mode stays for its return.
  if (Index != bpThumb && FButtons[Index].Down && FTimerOn) {
    KillTimer(Handle(), kRepeatTimer);
    FTimerOn = false;
  }
}

void TbsSkinScrollBar::ArrowStep(int Index) {
  if (Index == bpUp) {
    if (OnUpButtonClick)
      OnUpButtonClick(this);
    else
      SetPosition(Saturate(int64_t { FPosition } + FSmallChange));
  } else {
    if (OnDownButtonClick)
      OnDownButtonClick(this);
    else
      SetPosition(Saturate(int64_t { FPosition } - FSmallChange));
  }
}

void TbsSkinScrollBar::ButtonDown(int Index, int X, int Y) {
  FButtons[Index].Down = true;
  Repaint();
  if (Index == bpThumb) {
    FDragStart = Horizontal() ? X : Y;
    FDragOffset = FThumbCenterOffset;
    FThumbDown = true;
    Repaint();
    return;
  }
  auto life = LifeToken();
  FScrollMode = Index == bpUp ? 2 : 1;
  ArrowStep(Index);
  if (!life.expired()) StartTimer(kFirstDelay);
}

void TbsSkinScrollBar::ButtonUp(int Index) {
  FButtons[Index].Down = false;
  if (FActiveButton != Index) FButtons[Index].MouseIn = false;
  Repaint();
  if (Index == bpThumb)
    FThumbDown = false;
  else
    StopTimer();
}

bool TbsSkinScrollBar::PointerBeforeThumb() const {
  const TRect& t = FButtons[bpThumb].R;
  return Horizontal() ? FLastMouseX < t.Left : FLastMouseY < t.Top;
}

bool TbsSkinScrollBar::PointerAfterThumb() const {
  const TRect& t = FButtons[bpThumb].R;
  return Horizontal() ? FLastMouseX > t.Right : FLastMouseY > t.Bottom;
}

void TbsSkinScrollBar::PageStep(bool TowardsMin) {
  auto life = LifeToken();
  SetPosition(Saturate(int64_t { FPosition } + (TowardsMin ? -int64_t { FLargeChange } : FLargeChange)));
  if (life.expired()) return;
  if (TowardsMin && OnPageUp) OnPageUp(this);
  if (!TowardsMin && OnPageDown) OnPageDown(this);
}

void TbsSkinScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft) return;
  FPressed = true;
  FLastMouseX = X;
  FLastMouseY = Y;
  CalcRects();
  FScrollMode = 0;
  FWaitFirstTimer = true;
  // A press need not follow a move (a bar that appeared under the pointer): the part under it is hot.
  TestActive(X, Y);
  if (life.expired()) return;
  for (int i = bpThumb; i <= bpDown; ++i)
    if (Inside(FButtons[i].R, X, Y)) {
      FDownButton = i;
      ButtonDown(i, X, Y);
      return;
    }
  if (!Inside(FTrackR, X, Y)) return;
  const TRect& t = FButtons[bpThumb].R;
  const bool before = Horizontal() ? X < t.Left : Y < t.Top;
  FScrollMode = before ? 3 : 4;
  StartTimer(kFirstDelay);
  PageStep(before);
}

void TbsSkinScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  FLastMouseX = X;
  FLastMouseY = Y;
  TestActive(X, Y);
  if (FThumbDown) {
    auto life = LifeToken();
    SetPosition(CalcValue((Horizontal() ? X : Y) - FDragStart + FDragOffset));
    if (life.expired()) return;
  }
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || !FPressed) return;
  FPressed = false;
  if (FScrollMode >= 3) StopTimer();
  const int down = FDownButton;
  if (down != -1) ButtonUp(down);
  FDownButton = -1;
  if ((down == -1 || down == bpThumb) && OnLastChange) OnLastChange(this);
}

void TbsSkinScrollBar::CancelPress() {
  StopTimer();
  if (FDownButton != -1) ButtonUp(FDownButton);
  FDownButton = -1;
  FThumbDown = false;
  FPressed = false;
}

// ---- Timer, keys, wheel, focus ---------------------------------------------------------------------------

void TbsSkinScrollBar::StartTimer(UINT Interval) {
  if (!HandleAllocated()) return;
  KillTimer(Handle(), kRepeatTimer);
  SetTimer(Handle(), kRepeatTimer, Interval, nullptr);
  FTimerOn = true;
}

void TbsSkinScrollBar::StopTimer() {
  if (FTimerOn && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
  FTimerOn = false;
  FScrollMode = 0;
}

void TbsSkinScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TbsSkinCustomControl::KeyDown(Key, Shift);
  if (life.expired() || !FCanFocused) return;
  if (Key == VK_LEFT || Key == VK_UP)
    SetPosition(Saturate(int64_t { FPosition } - FSmallChange));
  else if (Key == VK_RIGHT || Key == VK_DOWN)
    SetPosition(Saturate(int64_t { FPosition } + FSmallChange));
}

bool bsTakeFocusOnPress(TWinControl* Control, bool CanFocused, const TMessage& Message) {
  if (!CanFocused || (Message.Msg != WM_LBUTTONDOWN && Message.Msg != WM_LBUTTONDBLCLK) ||
      Control->ComponentState().Contains(csDesigning) || Control->Focused())
    return false;
  auto life = Control->LifeToken();
  ::SetFocus(Control->Handle());
  return life.expired() || !Control->Focused();
}

bool bsWantsArrowKey(bool CanFocused, const TMessage& Message) {
  return CanFocused && (Message.WParam == VK_LEFT || Message.WParam == VK_RIGHT || Message.WParam == VK_UP ||
                        Message.WParam == VK_DOWN);
}

bool bsMouseTakenAway(TWinControl* Control, const TMessage& Message) {
  if (Message.Msg == WM_CANCELMODE) return true;
  const HWND to = reinterpret_cast<HWND>(Message.LParam);
  return (to && to != Control->Handle()) || GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 ||
         GetKeyState(VK_MBUTTON) < 0;
}

void TbsSkinScrollBar::WndProc(TMessage& Message) {
  if (bsTakeFocusOnPress(this, FCanFocused, Message)) return;
  TbsSkinCustomControl::WndProc(Message);
}

void TbsSkinScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer) return RepeatTick();
      break;
    case WM_MOUSEWHEEL:
      if (WheelTurned(Message)) return;
      break;
    case CM_WANTSPECIALKEY:
      TbsSkinCustomControl::Dispatch(Message);
      if (bsWantsArrowKey(FCanFocused, Message)) Message.Result = 1;
      return;
    case CM_MOUSELEAVE:
      return MouseLeft(Message);
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // Another window took the mouse: nothing stays held or repeating.
      if ((FPressed || FTimerOn) && bsMouseTakenAway(this, Message)) CancelPress();
      break;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      CancelPress();
      return InheritedThenRepaint(Message);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return InheritedThenRepaint(Message);
    default:
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

// The repeat timer: the first tick only switches to the fast rate, later ones step on.
void TbsSkinScrollBar::RepeatTick() {
  if (FWaitFirstTimer) {
    FWaitFirstTimer = false;
    StartTimer(kRepeatDelay);
    return;
  }
  switch (FScrollMode) {
    case 1:
      ArrowStep(bpDown);
      break;
    case 2:
      ArrowStep(bpUp);
      break;
    case 3:
    case 4:
      PageRepeat();
      break;
    default:
      StopTimer();
  }
}

// A page step repeats while the pointer stays on its side of the thumb.
void TbsSkinScrollBar::PageRepeat() {
  auto life = LifeToken();
  TestActive(FLastMouseX, FLastMouseY);
  if (life.expired()) return;
  const bool towardsMin = FScrollMode == 3;
  if (towardsMin ? PointerBeforeThumb() : PointerAfterThumb())
    PageStep(towardsMin);
  else
    StopTimer();
}

bool TbsSkinScrollBar::WheelTurned(TMessage& Message) {
  if (!FCanFocused || !IsFocused()) return false;
  // The delta rides in the high word: a negative parameter is a turn towards the user.
  const int step = static_cast<int32_t>(Message.WParam) < 1 ? FSmallChange : -FSmallChange;
  SetPosition(Saturate(int64_t { FPosition } + step));
  Message.Result = 1;
  return true;
}

void TbsSkinScrollBar::MouseLeft(TMessage& Message) {
  auto life = LifeToken();
  TbsSkinCustomControl::Dispatch(Message);
  if (life.expired()) return;
  if (FActiveButton != -1 && FDownButton == -1 && !FThumbDown) {
    FButtons[FActiveButton].MouseIn = false;
    FActiveButton = -1;
    Repaint();
  }
  if (FPressed && FScrollMode >= 3) StopTimer();
}

void TbsSkinScrollBar::InheritedThenRepaint(TMessage& Message) {
  TbsSkinCustomControl::Dispatch(Message);
  Repaint();
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinScrollBar,
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true)
  XJ_PROP(TabStop, false)
  XJ_PROP_RW(SkinDataName, StreamedSkinDataName, SetSkinDataName) XJ_STORED(IsSkinDataNameStored)
  XJ_PROP(Kind)
  XJ_PROP(Min)
  XJ_PROP(Max)
  XJ_PROP(PageSize)
  XJ_PROP(Position)
  XJ_PROP(SmallChange)
  XJ_PROP(LargeChange)
  XJ_PROP(Both)
  XJ_PROP(BothMarkerWidth)
  XJ_PROP(BothSkinDataName)
  XJ_PROP(CanFocused)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnLastChange)
  XJ_EVENT(OnUpButtonClick)
  XJ_EVENT(OnDownButtonClick)
  XJ_EVENT(OnPageUp)
  XJ_EVENT(OnPageDown)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize));
