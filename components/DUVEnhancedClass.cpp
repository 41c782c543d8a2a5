// The DUV set's painters: three-dimensional text, frames, glyph strips and the free drawing routines.
// The threaded timer lives in DUVEnhancedClass_timer.cpp.

#include "components/DUVEnhancedClass.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"

XJ_PUBLISHED(TAHMFont3D,
  XJ_PROP(ThreeDimensional, true)
  XJ_PROP(Style3D, fontOnlyHighlight)
  XJ_PROP(Offset, uint8_t(1))
  XJ_PROP(Repetition, repeatNone)
  XJ_PROP(RepetitionColor, clBlack)
  XJ_PROP(Repetitionwidth, uint8_t(0))
  XJ_PROP(MaskFont, true)
  XJ_PROP(Shadow, clBtnShadow)
  XJ_PROP(Highlight, clBtnHighlight));

XJ_PUBLISHED(TAHMFrame,
  XJ_PROP(FrameStyle, frameRaised)
  XJ_PROP(Highlight, clBtnHighlight)
  XJ_PROP(Shadow, clBtnShadow)
  XJ_PROP(Solid, clBlack)
  XJ_PROP_RW(FrameWidth, FrameWidth, Setwidth, uint8_t(1))
  XJ_PROP(Edges, TAHMFrameEdges { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom }));

XJ_PUBLISHED(TAHMGlyph,
  XJ_PROP(TransparentColor, clBlack)
  XJ_PROP(Bitmap)
  XJ_PROP(Visible, true)
  XJ_PROP(NumGlyphs, TAHMNumGlyphs(1))
  XJ_PROP(Transparent, true));

XJ_PUBLISHED(TAHMEnhancedExecComponent,
  XJ_PROP(DesignExecute) XJ_NOT_STORED);

static const bool xj_duv_registered = (RegisterClasses({ TAHMEnhancedExecComponent::StaticClass() }), true);

namespace {

COLORREF Rgb(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

void Move(TRect& R, int DX, int DY) {
  R.Left += DX;
  R.Right += DX;
  R.Top += DY;
  R.Bottom += DY;
}

void Shrink(TRect& R, int D) {
  R.Left += D;
  R.Top += D;
  R.Right -= D;
  R.Bottom -= D;
}

void InvalidateIfControl(TPersistent* Owner) {
  if (auto* control = dynamic_cast<TControl*>(Owner)) control->Invalidate();
}

// DrawTextExA wants a writable string.
int DrawTextOn(HDC DC, const AnsiString& Text, int Count, TRect R, UINT Flags) {
  std::vector<char> buffer(Text.begin(), Text.end());
  buffer.push_back('\0');
  RECT r = R;
  return DrawTextExA(DC, buffer.data(), Count, &r, Flags, nullptr);
}

}  // namespace

// ---- TAHMFont3D ------------------------------------------------------------------------------------------

TAHMFont3D::TAHMFont3D(TPersistent* AOwner) : FOwner(AOwner) { OnChange = TNotifyEvent(this, &TAHMFont3D::Invalidate); }

TAHMFont3D::~TAHMFont3D() {
  OnChange = nullptr;
  FOwner = nullptr;
}

void TAHMFont3D::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMFont3D*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FThreeDimensional = other->FThreeDimensional;
  FStyle3D = other->FStyle3D;
  FOffset = other->FOffset;
  FRepetition = other->FRepetition;
  FRepetitionColor = other->FRepetitionColor;
  FRepetitionwidth = other->FRepetitionwidth;
  FMaskFont = other->FMaskFont;
  FShadow = other->FShadow;
  FHighlight = other->FHighlight;
  Changed();
}

void TAHMFont3D::SetThreeDimensional(bool Value) {
  FThreeDimensional = Value;
  Changed();
}

void TAHMFont3D::SetStyle3D(TAHMStyle3D Value) {
  FStyle3D = Value;
  Changed();
}

void TAHMFont3D::SetOffset(uint8_t Value) {
  if (Value != 0) FOffset = Value;
  Changed();
}

void TAHMFont3D::SetRepetition(TAHMRepeat Value) {
  FRepetition = Value;
  Changed();
}

void TAHMFont3D::SetRepetitionColor(TColor Value) {
  FRepetitionColor = Value;
  Changed();
}

void TAHMFont3D::SetRepetitionwidth(uint8_t Value) {
  if (Value == FRepetitionwidth) return;
  FRepetitionwidth = Value;
  Changed();
}

void TAHMFont3D::SetMaskFont(bool Value) {
  FMaskFont = Value;
  Changed();
}

void TAHMFont3D::SetShadow(TColor Value) {
  FShadow = Value;
  Changed();
}

void TAHMFont3D::SetHighlight(TColor Value) {
  FHighlight = Value;
  Changed();
}

void TAHMFont3D::Invalidate(TObject*) { InvalidateIfControl(FOwner); }

void TAHMFont3D::DrawCopies(TRect& R, const TTextPass& Pass) const {
  if (FStyle3D == fontOutLineShadow) {
    // The four diagonal neighbours, whatever the Offset.
    static constexpr int Moves[4][2] = { { -1, -1 }, { 2, 0 }, { 0, 2 }, { -2, 0 } };
    for (const auto& m : Moves) {
      Move(R, m[0], m[1]);
      Pass(FShadow, R);
    }
    Move(R, 1, -1);
    return;
  }
  const int o = FOffset;
  const bool lightUpLeft = FStyle3D == fontRaised || FStyle3D == fontOnlyHighlight;
  const bool darkDownRight = FStyle3D == fontRaised || FStyle3D == fontOnlyShadow;
  Move(R, -o, -o);
  if (FStyle3D != fontOnlyShadow) Pass(lightUpLeft ? FHighlight : FShadow, R);
  Move(R, 2 * o, 2 * o);
  if (FStyle3D != fontOnlyHighlight) Pass(darkDownRight ? FShadow : FHighlight, R);
  Move(R, -o, -o);
}

void TAHMFont3D::Write(TFont* Font, HDC DC, const TRect& Rect, const AnsiString& Text, UINT Flags, bool Enabled) {
  TRect R = Rect;
  TBrush brush;
  brush.SetStyle(bsClear);
  TFont font;
  font.Assign(Font);
  HGDIOBJ oldBrush = GetCurrentObject(DC, OBJ_BRUSH);
  HGDIOBJ oldFont = GetCurrentObject(DC, OBJ_FONT);
  auto pass = [&](TColor Color, const TRect& At) {
    font.SetColor(Color);
    HBRUSH b = brush.Handle();
    UnrealizeObject(b);
    SelectObject(DC, b);
    SetBkColor(DC, ~Rgb(brush.Color()) & 0xFFFFFF);
    SetBkMode(DC, TRANSPARENT);
    SelectObject(DC, font.Handle());
    SetTextColor(DC, Rgb(font.Color()));
    DrawTextOn(DC, Text, -1, At, Flags | DT_NOCLIP);
  };

  if (!Enabled) {
    pass(clBtnHighlight, R);
    Move(R, -1, -1);
    pass(clGrayText, R);
  } else if (!FThreeDimensional) {
    pass(Font->Color(), R);
  } else {
    if (FRepetition != repeatNone) {
      Shrink(R, FRepetitionwidth);
      const int step = FRepetition == repeatOnShadow ? -1 : 1;
      Move(R, -step * FOffset, -step * FOffset);
      for (int i = 0; i < FRepetitionwidth; ++i) {
        pass(FRepetitionColor, R);
        Move(R, step, step);
      }
    }
    DrawCopies(R, pass);
    pass(Font->Color(), R);
  }
  // Leave the DC with its own objects: ours are freed on return.
  SelectObject(DC, oldBrush);
  SelectObject(DC, oldFont);
}

// ---- TAHMFrame -------------------------------------------------------------------------------------------

TAHMFrame::TAHMFrame(TPersistent* AOwner) : FOwner(AOwner) { OnChange = TNotifyEvent(this, &TAHMFrame::Invalidate); }

TAHMFrame::~TAHMFrame() {
  OnChange = nullptr;
  FOwner = nullptr;
}

void TAHMFrame::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMFrame*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FFrameStyle = other->FFrameStyle;
  FHighlight = other->FHighlight;
  FShadow = other->FShadow;
  FSolid = other->FSolid;
  FFrameWidth = other->FFrameWidth;
  FEdges = other->FEdges;
  Changed();
}

void TAHMFrame::SetFrameStyle(TAHMFrameStyle Value) {
  FFrameStyle = Value;
  Changed();
}

void TAHMFrame::SetHighlight(TColor Value) {
  FHighlight = Value;
  Changed();
}

void TAHMFrame::SetShadow(TColor Value) {
  FShadow = Value;
  Changed();
}

void TAHMFrame::SetSolid(TColor Value) {
  FSolid = Value;
  Changed();
}

void TAHMFrame::Setwidth(uint8_t Value) {
  if (Value != 0) FFrameWidth = Value;
  Changed();
}

void TAHMFrame::SetEdges(TAHMFrameEdges Value) {
  FEdges = Value;
  Changed();
}

void TAHMFrame::Invalidate(TObject*) { InvalidateIfControl(FOwner); }

int TAHMFrame::Calcwidth() const {
  switch (FFrameStyle) {
    case frameNone:
      return 0;
    case frameSolid:
    case frameRaised:
    case frameLowered:
      return FFrameWidth;
    default:
      return 2 * FFrameWidth;
  }
}

TRect TAHMFrame::GetEdgePoints() const {
  const int w = Calcwidth();
  auto on = [&](TAHMFrameEdge e) { return FEdges.Contains(e) ? w : 0; };
  return TRect(on(EdgeLeft), on(EdgeTop), on(EdgeRight), on(EdgeBottom));
}

void TAHMFrame::DrawRingGroup(HDC DC, TRect& R, TColor TopLeft, TColor BottomRight) const {
  TPen pen;
  auto line = [&](TColor Color, TPoint From, TPoint To) {
    pen.SetColor(Color);
    HGDIOBJ old = SelectObject(DC, pen.Handle());
    const int oldRop = SetROP2(DC, PenModeToRop2(pen.Mode()));
    MoveToEx(DC, From.X, From.Y, nullptr);
    LineTo(DC, To.X, To.Y);
    SetROP2(DC, oldRop);
    SelectObject(DC, old);
  };
  --R.Right;
  --R.Bottom;
  for (int ring = 0; ring < FFrameWidth; ++ring) {
    const int L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    if (TopLeft != clNone) {
      if (FEdges.Contains(EdgeLeft)) line(TopLeft, TPoint(L, B), TPoint(L, T));
      if (FEdges.Contains(EdgeTop)) line(TopLeft, TPoint(L, T), TPoint(Rt, T));
    }
    if (BottomRight != clNone) {
      if (FEdges.Contains(EdgeRight)) line(BottomRight, TPoint(Rt, T), TPoint(Rt, B));
      if (FEdges.Contains(EdgeBottom)) line(BottomRight, TPoint(Rt, B), TPoint(L - 1, B));
    }
    Shrink(R, 1);
  }
  ++R.Right;
  ++R.Bottom;
}

// A group whose colours are clNone still takes its rings: clNone only leaves the lines out, so the
// rings stay where Calcwidth and GetEdgePoints say they are.
void TAHMFrame::Draw(HDC DC, const TRect& Rect) {
  struct Group {
    TColor TopLeft, BottomRight;
  };
  Group groups[2] {};
  int count = 2;
  switch (FFrameStyle) {
    case frameSolid:
      groups[0] = { FSolid, FSolid }, count = 1;
      break;
    case frameRaised:
      groups[0] = { FHighlight, FShadow }, count = 1;
      break;
    case frameLowered:
      groups[0] = { FShadow, FHighlight }, count = 1;
      break;
    case frameNone:
      return;
    case frameFramedUp:
      groups[0] = { FHighlight, FShadow }, groups[1] = { FShadow, FHighlight };
      break;
    case frameFramedDown:
      groups[0] = { FShadow, FHighlight }, groups[1] = { FHighlight, FShadow };
      break;
    case framePanelUp:
      groups[0] = { FHighlight, clBlack }, groups[1] = { clNone, FShadow };
      break;
    case framePanelDown:
      groups[0] = { FShadow, clNone }, groups[1] = { clBlack, FHighlight };
      break;
    case frameLightBordered:
      groups[0] = { clNone, FShadow }, groups[1] = { FHighlight, FHighlight };
      break;
  }
  TRect R = Rect;
  for (int i = 0; i < count; ++i) DrawRingGroup(DC, R, groups[i].TopLeft, groups[i].BottomRight);
}

void TAHMFrame::Drawbutton(TCanvas* Canvas, const TRect& Rect, bool Down) {
  const TColor outer[2] = { Down ? FShadow : clWhite, Down ? FHighlight : clBlack };
  const TColor inner[2] = { Down ? clBlack : FHighlight, Down ? clWhite : FShadow };
  TRect R = Rect;
  --R.Right;
  --R.Bottom;
  Canvas->Pen()->SetWidth(1);
  for (const TColor* ring : { outer, inner }) {
    Canvas->Pen()->SetColor(ring[0]);
    Canvas->Polyline({ TPoint(R.Left, R.Bottom), TPoint(R.Left, R.Top), TPoint(R.Right, R.Top) });
    Canvas->Pen()->SetColor(ring[1]);
    Canvas->Polyline({ TPoint(R.Right, R.Top), TPoint(R.Right, R.Bottom), TPoint(R.Left - 1, R.Bottom) });
    Shrink(R, 1);
  }
}

// ---- TAHMGlyph -------------------------------------------------------------------------------------------

TAHMGlyph::TAHMGlyph(TPersistent* AOwner) : FOwner(AOwner), FBitmap(std::make_unique<TBitmap>()) {}

TAHMGlyph::~TAHMGlyph() = default;

void TAHMGlyph::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMGlyph*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FTransparentColor = other->FTransparentColor;
  FBitmap->Assign(other->FBitmap.get());
  FVisible = other->FVisible;
  FNumGlyphs = other->FNumGlyphs;
  FTransparent = other->FTransparent;
  Changed();
}

void TAHMGlyph::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  Changed();
}

void TAHMGlyph::SetBitmap(TBitmap* Value) {
  if (Value != FBitmap.get()) {
    FBitmap->Assign(Value);
    auto* owner = dynamic_cast<TComponent*>(FOwner);
    if (!FBitmap->Empty() && owner && owner->ComponentState().Contains(csDesigning)) {
      const int w = FBitmap->Width(), h = FBitmap->Height();
      if (w % h == 0) FNumGlyphs = w / h > 4 ? 1 : static_cast<TAHMNumGlyphs>(w / h);
      FTransparentColor = FBitmap->Canvas()->Pixels(0, h - 1);
    }
  }
  Changed();
}

void TAHMGlyph::SetVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TAHMGlyph::SetNumGlyphs(TAHMNumGlyphs Value) {
  FNumGlyphs = std::clamp<TAHMNumGlyphs>(Value, 1, 4);
  Changed();
}

void TAHMGlyph::SetTransparent(bool Value) {
  FTransparent = Value;
  Changed();
}

int TAHMGlyph::GetWidth() const {
  if (FBitmap->Empty() || FNumGlyphs == 0) return 0;
  return static_cast<int>(Round(static_cast<Extended>(FBitmap->Width()) / FNumGlyphs));
}

int TAHMGlyph::GetHeight() const { return FBitmap->Empty() ? 0 : FBitmap->Height(); }

void TAHMGlyph::Draw(TCanvas* Canvas, int X, int Y, bool Enabled, bool Down, bool Grey) {
  if (FBitmap->Empty() || !FVisible) return;
  const int cellWidth = GetWidth(), height = FBitmap->Height();
  TBitmap cell;
  cell.SetPixelFormat(pf32bit);
  cell.SetSize(cellWidth, height);
  auto copyCell = [&](int n) {
    BitBlt(cell.Canvas()->Handle(), 0, 0, cellWidth, height, FBitmap->Canvas()->Handle(), (n - 1) * cellWidth, 0,
           SRCCOPY);
  };
  const int n = !Enabled ? FNumGlyphs : !Down ? 1 : FNumGlyphs >= 3 ? 2 : 1;
  copyCell(n);
  if (!Enabled) {
    DrawGrayed(&cell, FTransparentColor, 2);
  } else if (Grey) {
    copyCell(1);
    DrawGrayed(&cell, FTransparentColor, 1);
  }
  if (FTransparent)
    DUVDrawTransparentBitmap(Canvas, &cell, X, Y, FTransparentColor);
  else
    BitBlt(Canvas->Handle(), X, Y, cellWidth, height, cell.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TAHMGlyph::DrawGrayed(TBitmap* Bitmap, TColor Color, int Factor) {
  if (!Bitmap || Bitmap->Empty()) return;
  Bitmap->SetPixelFormat(pf32bit);
  const COLORREF keep = Rgb(Color);
  // Pixels are B, G, R, 0; the levels in the same layout.
  auto bgr = [](TColor c) {
    const COLORREF v = Rgb(c);
    return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
  };
  const uint32_t face = bgr(clBtnFace), light = bgr(clBtnHighlight), dark = bgr(clBtnShadow);
  const uint32_t keepBgr = (GetRValue(keep) << 16) | (GetGValue(keep) << 8) | GetBValue(keep);
  for (int y = 0; y < Bitmap->Height(); ++y) {
    auto* row = static_cast<uint32_t*>(Bitmap->ScanLine(y));
    for (int x = 0; x < Bitmap->Width(); ++x) {
      const uint32_t p = row[x] & 0xFFFFFF;
      if (p == keepBgr) continue;
      const int sum = static_cast<int>((p & 0xFF) + ((p >> 8) & 0xFF) + (p >> 16));
      row[x] = sum > 535 * Factor ? face : sum > 274 * Factor ? light : sum > 55 * Factor ? dark : 0;
    }
  }
}

// ---- Free routines ---------------------------------------------------------------------------------------

void DUVDrawButtonFrame(TCanvas* Canvas, int Width, int Height, int Style, bool Down) {
  struct Ring {
    TColor First, Second;
  };
  const Ring rings[3] = { { TColor(0xC0C0C0), clBlack },
                          { clWhite, TColor(0x808080) },
                          { clBtnHighlight, clBtnShadow } };
  auto draw = [&](int Index, const TRect& R) {
    const Ring& r = rings[Index];
    TRect ring = R;
    Frame3D(Canvas, ring, Down ? r.Second : r.First, Down ? r.First : r.Second, 1);
  };
  const int W = Width, H = Height;
  switch (Style) {
    case 3:
      draw(0, TRect(0, 0, W, H));
      draw(1, TRect(1, 1, W - 1, H - 1));
      draw(2, TRect(2, 2, W - 2, H - 2));
      break;
    case 2:
      draw(0, TRect(0, 0, W - 1, H - 1));
      draw(2, TRect(1, 1, W - 2, H - 2));
      break;
    case 1:
      draw(2, TRect(0, 0, W - 1, H - 1));
      break;
    default:
      break;
  }
}

void DUVDrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, int X, int Y, TColor Color) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  TImageList list(Bitmap->Width(), Bitmap->Height());
  list.AddMasked(Bitmap, Color);
  list.Draw(Canvas, X, Y, 0, true);
}

void DUVDrawDisabledText(TFont* Font, TCanvas* Canvas, const TRect& Rect, const AnsiString& Text, UINT Flags) {
  TRect R = Rect;
  Canvas->SetFont(Font);
  Canvas->Brush()->SetStyle(bsClear);
  auto pass = [&](TColor Color) {
    Canvas->Font()->SetColor(Color);
    DrawTextOn(Canvas->Handle(), Text, Length(Text), R, Flags);
  };
  pass(clBtnHighlight);
  Move(R, -1, -1);
  pass(clGrayText);
}
