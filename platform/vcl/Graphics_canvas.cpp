// The canvas: selects its font, pen and brush into the DC only when an operation needs them, and
// deselects them when they change, so the objects can be replaced while the DC lives.

#include <vector>

#include "platform/vcl/Graphics.h"
#include "platform/win32/WinGdi_user.h"

namespace {

COLORREF Rgb(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

const TCanvasState AllStates { csHandleValid, csFontValid, csPenValid, csBrushValid };

// Whether a raster operation reads the pattern: its result for P = 1 (the code's high nibble) differs
// from that for P = 0.
bool UsesPattern(DWORD Rop) {
  const unsigned code = (Rop >> 16) & 0xFF;
  return (code >> 4) != (code & 0x0F);
}

// A solid brush paints the gaps of text and hatches in its own colour.
bool BrushOpaque(const TBrush& Brush) { return Brush.Style() == bsSolid && Brush.Color() != clNone; }

}  // namespace

TCanvas::TCanvas() {
  FFont.OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  FPen.OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  FBrush.OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

// A canvas freed inside the paint that locked it (its control freed by a handler) lets go of the lock.
TCanvas::~TCanvas() {
  SetHandle(nullptr);
  while (FLockCount > 0) Unlock();
}

HDC TCanvas::Handle() {
  Changing();
  RequiredState(AllStates);
  return FHandle;
}

HDC TCanvas::SourceHandle() {
  RequiredState({ csHandleValid });
  if (!FState.Contains(csBrushValid)) SetBrushBackground();
  return FHandle;
}

HDC TCanvas::TargetHandle() {
  Changing();
  RequiredState(UsesPattern(static_cast<DWORD>(FCopyMode)) ? TCanvasState { csHandleValid, csBrushValid }
                                                           : TCanvasState { csHandleValid });
  return FHandle;
}

// A copy onto this DC in CopyMode: a monochrome source takes the text colour for 0 and the background
// colour for 1, which the font and the brush give without being selected.
void TCanvas::RequireCopyTarget() {
  TargetHandle();
  if (!FState.Contains(csFontValid)) SetTextColor(FHandle, Rgb(FFont.Color()));
  if (!FState.Contains(csBrushValid)) SetBrushBackground();
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    DeselectHandles();
    FHandle = nullptr;
    FState >> csHandleValid;
  }
  if (Value) {
    FState << csHandleValid;
    FHandle = Value;
  }
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  const TCanvasState needed = ReqState - FState;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (needed.Contains(csFontValid)) CreateFont();
  if (needed.Contains(csPenValid)) CreatePen();
  if (needed.Contains(csBrushValid)) CreateBrush();
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csPenValid)) SelectObject(FHandle, GetStockObject(BLACK_PEN));
  if (FState.Contains(csBrushValid)) SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  if (FState.Contains(csFontValid)) SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  FState -= TCanvasState { csPenValid, csBrushValid, csFontValid };
}

void TCanvas::CreateFont() {
  SelectObject(FHandle, FFont.Handle());
  SetTextColor(FHandle, Rgb(FFont.Color()));
  FState << csFontValid;
}

void TCanvas::CreatePen() {
  SelectObject(FHandle, FPen.Handle());
  SetROP2(FHandle, PenModeToRop2(FPen.Mode()));
  FState << csPenValid;
}

// A solid brush paints the gaps of text and hatches in its own colour; any other brush leaves them
// alone. A brush of clNone paints nothing at all.
void TCanvas::CreateBrush() {
  const HBRUSH brush = FBrush.Handle();
  // Only a hatch or a pattern has an origin to reset.
  if (FBrush.Style() != bsSolid || FBrush.Bitmap()) UnrealizeObject(brush);
  SelectObject(FHandle, brush);
  SetBrushBackground();
  FState << csBrushValid;
}

COLORREF TCanvas::BrushBackground() const {
  return BrushOpaque(FBrush) ? Rgb(FBrush.Color()) : ~Rgb(FBrush.Color()) & 0xFFFFFF;
}

void TCanvas::SetBrushBackground() {
  SetBkColor(FHandle, BrushBackground());
  SetBkMode(FHandle, BrushOpaque(FBrush) ? OPAQUE : TRANSPARENT);
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState >> csFontValid;
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState >> csPenValid;
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState >> csBrushValid;
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Refresh() { DeselectHandles(); }

// ---- Queries ------------------------------------------------------------------------------------------

TPoint TCanvas::PenPos() {
  RequiredState({ csHandleValid });
  POINT p {};
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TRect TCanvas::ClipRect() {
  RequiredState({ csHandleValid });
  RECT rc {};
  GetClipBox(FHandle, &rc);
  return rc;
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({ csHandleValid });
  return static_cast<int32_t>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState({ csHandleValid, csPenValid });
  SetPixel(FHandle, X, Y, Rgb(Value));
  Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text) {
  RequiredState({ csHandleValid, csFontValid });
  SIZE s {};
  GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &s);
  return s;
}

// ---- Lines and shapes ---------------------------------------------------------------------------------

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({ csHandleValid });
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({ csHandleValid, csPenValid, csBrushValid });
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Polyline(const TPoint* Points, int Count) {
  Changing();
  RequiredState({ csHandleValid, csPenValid, csBrushValid });
  ::Polyline(FHandle, reinterpret_cast<const POINT*>(Points), Count);
  Changed();
}

void TCanvas::Polygon(const TPoint* Points, int Count) {
  Changing();
  RequiredState({ csHandleValid, csPenValid, csBrushValid });
  ::Polygon(FHandle, reinterpret_cast<const POINT*>(Points), Count);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({ csHandleValid, csBrushValid, csPenValid });
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({ csHandleValid, csPenValid, csBrushValid });
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({ csHandleValid, csPenValid, csBrushValid });
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState({ csHandleValid, csBrushValid });
  const RECT rc = Rect;
  ::FillRect(FHandle, &rc, FBrush.Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState({ csHandleValid, csBrushValid });
  const RECT rc = Rect;
  ::FrameRect(FHandle, &rc, FBrush.Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  Changing();
  RequiredState({ csHandleValid, csBrushValid });
  const RECT rc = Rect;
  ::DrawFocusRect(FHandle, &rc);
  Changed();
}

// ---- Text ---------------------------------------------------------------------------------------------

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState({ csHandleValid, csFontValid, csBrushValid });
  ExtTextOutA(FHandle, X, Y, 0, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState({ csHandleValid, csFontValid, csBrushValid });
  UINT options = ETO_CLIPPED;
  if (BrushOpaque(FBrush)) options |= ETO_OPAQUE;
  const RECT rc = Rect;
  ExtTextOutA(FHandle, X, Y, options, &rc, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

// ---- Images -------------------------------------------------------------------------------------------

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(TRect(X, Y, X + Graphic->Width(), Y + Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({ csHandleValid });
  // Monochrome images map 0 to the text colour and 1 to the background colour.
  SetBkColor(FHandle, Rgb(FBrush.Color()));
  SetTextColor(FHandle, Rgb(FFont.Color()));
  Graphic->Draw(this, Rect);
  // The text colour is the font's own; the background colour is the brush's only for a solid brush:
  // put back what the brush sets. Its flag must stay while it is selected — a canvas that forgot a
  // selected font or brush would not deselect it when it changes, and deleting it would be refused.
  if (FState.Contains(csBrushValid)) SetBrushBackground();
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  RequireCopyTarget();
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->SourceHandle(), Source.Left, Source.Top,
             Source.Width(), Source.Height(), static_cast<DWORD>(FCopyMode));
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty() || Dest.Width() == 0 || Dest.Height() == 0) return;
  const int w = Dest.Width(), h = Dest.Height();
  // The source, at the destination's size, and its mask of Color (1 where the brush goes).
  TBitmap copy;
  copy.SetPixelFormat(pf32bit);
  copy.SetSize(Abs(w), Abs(h));
  copy.Canvas()->CopyRect(TRect(0, 0, Abs(w), Abs(h)), Bitmap->Canvas(), Source);
  TBitmap mask;
  mask.Assign(&copy);
  mask.Mask(Color);
  Changing();
  RequiredState({ csHandleValid, csBrushValid });
  HDC src = copy.Canvas()->Handle();
  HBITMAP maskBits = mask.ReleaseHandle();
  MaskBlt(FHandle, Dest.Left < Dest.Right ? Dest.Left : Dest.Right, Dest.Top < Dest.Bottom ? Dest.Top : Dest.Bottom,
          Abs(w), Abs(h), src, 0, 0, maskBits, 0, 0, MAKEROP4(PATCOPY, SRCCOPY));
  DeleteObject(maskBits);
  Changed();
}

// ---- Locking ------------------------------------------------------------------------------------------

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}
